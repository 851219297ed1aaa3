#!/usr/bin/env bash
# Builds the operator's quillon.dll (and quillon-check.exe, when given) a second time from a copy of the sources in another
# folder (a path of another length), later, in another time zone, locale and umask, and
# checks that each is the same bytes as the first build's. Anyone can then rebuild a
# published release from its commit and compare.
#   check_reproducible.sh SOURCE_DIR FIRST_DLL [BUILD_TYPE [FIRST_CHECK_EXE]]
set -euo pipefail
source_dir=$(cd "$1" && pwd)
first=$2
build_type=${3:-RelWithDebInfo}
first_check=${4:-}
fail() { echo "FAIL: $*" >&2; exit 1; }

[ -f "$first" ] || fail "no first build at $first"
# Neither folder may reach the binary; the second build would differ anyway, but this
# says why.
first_build_dir=$(cd "$(dirname "$first")/.." && pwd)
for folder in "$source_dir" "$first_build_dir"; do
  ! grep -qaF "$folder" "$first" || fail "$first holds the path $folder"
done

work=$(mktemp -d "${TMPDIR:-/tmp}/quillon-second-build.XXXXXX")
trap 'rm -rf "$work"' EXIT
copy=$work/another/checkout/of/quillon
mkdir -p "$copy"

# The files a checkout has: from git when the sources are a work tree (edits not yet
# committed included), otherwise everything but build folders and the output.
if git -C "$source_dir" rev-parse --show-toplevel 2>/dev/null | grep -qxF "$source_dir"; then
  git -C "$source_dir" ls-files -z --cached --others --exclude-standard |
    tar -cf - -C "$source_dir" --null --no-recursion --ignore-failed-read -T - |
    tar -xf - -C "$copy"
else
  tar -cf - -C "$source_dir" --exclude-tag-all=CMakeCache.txt --exclude=./dist . |
    tar -xf - -C "$copy"
fi

# Started from make, the inner make must not look for the outer one's job server.
unset MAKEFLAGS MFLAGS MAKELEVEL
(
  umask 077
  export TZ=Pacific/Kiritimati LC_ALL=C
  unset SOURCE_DATE_EPOCH
  cmake -S "$copy" -B "$copy/out" -DCMAKE_TOOLCHAIN_FILE="$copy/cmake/mingw-i686.cmake" \
    -DCMAKE_BUILD_TYPE="$build_type" >"$work/configure.log" 2>&1 ||
    { cat "$work/configure.log" >&2; exit 1; }
  cmake --build "$copy/out" --target quillon_shipped ${first_check:+quillon_check_shipped} -j 2 >"$work/build.log" 2>&1 ||
    { cat "$work/build.log" >&2; exit 1; }
) || fail "the second build failed"

same_bytes() {
  first=$1 second=$2
  if ! cmp -s "$first" "$second"; then
    echo "first:  $(sha256sum "$first")" >&2
    echo "second: $(sha256sum "$second")" >&2
    echo "first differing bytes (offset, first, second, octal):" >&2
    cmp -l "$first" "$second" | head -20 >&2 || true
    fail "two builds of the same sources differ: $(basename "$first")"
  fi
  echo "$(basename "$first") built twice, in $source_dir and $copy: same bytes, sha256 $(sha256sum "$first" | cut -d' ' -f1)"
}
same_bytes "$first" "$copy/out/dist/quillon.dll"
if [ -n "$first_check" ]; then
  ! grep -qaF "$source_dir" "$first_check" || fail "$first_check holds the path $source_dir"
  same_bytes "$first_check" "$copy/out/dist/quillon-check.exe"
fi
