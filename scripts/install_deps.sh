#!/usr/bin/env bash
# Installs what the two builds need on a Debian 12 machine, as root. Safe to run again:
# it only calls apt-get when something is missing.
set -euo pipefail

# clang with libclang-rt-14-dev (its i386 sanitizer and libFuzzer runtimes included;
# never the :i386 package, which removes g++-multilib) builds the fuzzer; llvm brings
# llvm-symbolizer, which turns the clang build's sanitizer reports into source lines.
# python3 packs the release zip (make release) and runs the tests of its contents;
# locales gives the German locale the native locale test sets (generated below);
# clang-format, cppcheck and clang-tidy check the sources (tests/source).
packages=(cmake make g++ g++-multilib g++-mingw-w64-i686 libgtest-dev:i386 googletest python3
          libbenchmark-dev:i386 wine wine32 clang clang-format clang-tidy cppcheck libclang-rt-14-dev llvm
          locales)

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
  exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
  echo "missing packages: ${missing[*]} (run 'make deps' as root)" >&2
  exit 1
fi
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -q
apt-get install -y -q --no-install-recommends "${missing[@]}"
german_locale_missing && generate_german_locale
exit 0
