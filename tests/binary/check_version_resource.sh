#!/usr/bin/env bash
# Reads the version resource back out of the DLL, as Windows shows it on the file's
# Details tab, and checks every field an operator relies on against the version the
# build was made from.
#   check_version_resource.sh quillon.dll 1.0
set -euo pipefail
dll=$1
version=$2
windres=${WINDRES:-i686-w64-mingw32-windres}
fail() { echo "FAIL: $*" >&2; exit 1; }

[[ $version =~ ^[0-9]+(\.[0-9]+){1,3}$ ]] || fail "not a version: '$version'"
IFS=. read -r -a numbers <<<"$version"
while [ ${#numbers[@]} -lt 4 ]; do numbers+=(0); done
expected_numbers="${numbers[0]}, ${numbers[1]}, ${numbers[2]}, ${numbers[3]}"

resources=$("$windres" --input-format=coff --output-format=rc -i "$dll") ||
  fail "windres cannot read the resources of $dll"
count=$(grep -c '^[0-9A-Za-z_]* VERSIONINFO$' <<<"$resources" || true)
[ "$count" = 1 ] || fail "expected one version resource, found ${count}"

fixed() { sed -n "s/^ *$1 \(.*\)$/\1/p" <<<"$resources"; }
[ "$(fixed FILEVERSION)" = "$expected_numbers" ] ||
  fail "FILEVERSION is '$(fixed FILEVERSION)', not '$expected_numbers'"
[ "$(fixed PRODUCTVERSION)" = "$expected_numbers" ] ||
  fail "PRODUCTVERSION is '$(fixed PRODUCTVERSION)', not '$expected_numbers'"
# A DLL (VFT_DLL) for 32-bit Windows (VOS_NT_WINDOWS32), flagged neither debug nor
# pre-release: windres leaves a zero FILEFLAGS out.
[ "$(fixed FILETYPE)" = 0x2 ] || fail "FILETYPE is '$(fixed FILETYPE)', not a DLL"
[ "$(fixed FILEOS)" = 0x40004 ] || fail "FILEOS is '$(fixed FILEOS)', not 32-bit Windows"
[ -z "$(fixed FILEFLAGS)" ] || fail "FILEFLAGS is '$(fixed FILEFLAGS)'"

# Windows looks the strings up under the language and code page that Translation
# names, so the one string block must be the one Translation points at.
blocks=$(sed -n 's/^ *BLOCK "\([0-9A-Fa-f]\{8\}\)"$/\1/p' <<<"$resources")
[ "$blocks" = 040904B0 ] || fail "string blocks: '$blocks', expected 040904B0 alone"
translation=$(sed -n 's/^ *VALUE "Translation", \(.*\)$/\1/p' <<<"$resources")
[ "$translation" = "0x409, 1200" ] || fail "Translation is '$translation', not 0x409, 1200"

value() {
  sed -n "s/^ *VALUE \"$1\", \"\(.*\)\"$/\1/p" <<<"$resources"
}
expect_value() {
  local actual
  actual=$(value "$1")
  [ "$actual" = "$2" ] || fail "$1 is '$actual', not '$2'"
}
expect_value ProductName Quillon
expect_value ProductVersion "$version"
expect_value FileVersion "$version"
expect_value OriginalFilename quillon.dll
description=$(value FileDescription)
# Explorer shows the description first: it has to name the product and say what it is,
# not repeat the file name.
[[ $description == Quillon:\ * && ${#description} -ge 30 ]] ||
  fail "FileDescription '$description' does not say what Quillon is"

echo "quillon.dll version resource: Quillon $version ($expected_numbers), \"$description\""
