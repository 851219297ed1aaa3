#!/usr/bin/env bash
# Installs what the two builds need on a Debian 12 machine, as root. Safe to run again:
# it only calls apt-get when something is missing.
set -euo pipefail

# clang with libclang-rt-14-dev (its i386 sanitizer and libFuzzer runtimes included;
# never the :i386 package, which removes g++-multilib) builds the fuzzer; llvm brings
# llvm-symbolizer, which turns the clang build's sanitizer reports into source lines.
# python3 packs the release zip (make release) and runs the tests of its contents;
# locales gives the German locale the native locale test sets (generated below);
# clang-format, cppcheck and clang-tidy check the sources (tests/source); qemu-user runs
# the i386 programs where the kernel will not (scripts/enable_i386_programs.sh), and
# qemu-system-x86 the emulated guest that runs Wine and the sanitizer builds there
# (scripts/guest/).
packages=(cmake make g++ g++-multilib g++-mingw-w64-i686 libgtest-dev:i386 googletest python3
          libbenchmark-dev:i386 wine wine32 clang clang-format clang-tidy cppcheck libclang-rt-14-dev llvm
          locales qemu-user qemu-system-x86)
here=$(dirname "$0")

# The native locale test runs the stand-in under de_DE.UTF-8 (decimal comma).
german_locale_missing() { ! locale -a 2>/dev/null | grep -qix 'de_DE.utf8'; }
generate_german_locale() {
  if ! grep -q '^de_DE.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null; then
    echo 'de_DE.UTF-8 UTF-8' >>/etc/locale.gen
  fi
  locale-gen >/dev/null
}

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  if german_locale_missing; then
    [ "$(id -u)" -eq 0 ] || { echo "the de_DE.UTF-8 locale is missing (run 'make deps' as root)" >&2; exit 1; }
    generate_german_locale
  fi
  exec "$here/enable_i386_programs.sh"
fi

if [ "$(id -u)" -ne 0 ]; then
  echo "missing packages: ${missing[*]} (run 'make deps' as root)" >&2
  exit 1
fi
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
# A mirror caught mid-sync fails one index now and then ("File has unexpected size").
# apt then mixes versions: a library's amd64 build from the suite whose i386 index did
# download and its i386 build from the other cannot both be installed. So update is
# tried three times, and if an index still fails, the install leaves out the sources
# whose index failed (the main suites alone hold every package we need).
update_log=$(mktemp)
trap 'rm -rf "$update_log" "${partial_sources:-}"' EXIT
update_package_lists() {
  local attempt
  for attempt in 1 2 3; do
    apt-get update -q 2>&1 | tee "$update_log"
    [ "${PIPESTATUS[0]}" -eq 0 ] && return 0
    echo "apt-get update failed (attempt $attempt of 3)" >&2
    sleep $((attempt * 5))
  done
  return 1
}

# The repository addresses (before /dists/) of every index apt could not fetch.
failed_repositories() {
  grep -o 'Failed to fetch [^ ]*/dists/' "$update_log" | sed 's|^Failed to fetch ||; s|/dists/$||' | sort -u
}

# Installs from the sources whose indexes all downloaded: the deb822 stanzas that
# name a failed repository are left out of a private copy of the source list.
install_without_failed_sources() {
  partial_sources=$(mktemp -d)
  local repositories
  repositories=$(failed_repositories | paste -sd '|')
  echo "installing without the sources whose index failed: $repositories" >&2
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -e "$f" ] || continue
    awk -v failed="$repositories" 'BEGIN { RS = ""; ORS = "\n\n"; n = split(failed, r, "|") }
      { for (i = 1; i <= n; i++) if (index($0, "URIs: " r[i])) next; print }' \
      "$f" >"$partial_sources/$(basename "$f")"
  done
  apt-get -o Dir::Etc::SourceList=/dev/null -o Dir::Etc::SourceParts="$partial_sources" \
    install -y -q --no-install-recommends "${missing[@]}"
}

if update_package_lists; then
  apt-get install -y -q --no-install-recommends "${missing[@]}"
else
  apt-get install -y -q --no-install-recommends "${missing[@]}" || install_without_failed_sources
fi
german_locale_missing && generate_german_locale
exec "$here/enable_i386_programs.sh"
