#!/usr/bin/env sh
# Makes Wine's prefix ready before any Wine program of ours runs. Two programs that
# start together in a prefix not yet made both begin to make it, and one of them dies
# ("chdir to /tmp/wine-.../server-...: No such file or directory"): the tests and the
# differential start several at once. A stamp, written only once wineboot has finished
# and Wine's server has stopped, marks a prefix as made by this Wine; a prefix that an
# earlier start left half made, or that an older Wine made, is brought up to date.
#
# It then starts Wine's server to stay up a minute after its last program ends
# (QUILLON_WINESERVER_LINGER seconds): a server that ends between two tests is started
# again, with Wine's own system processes, by the next program, which then takes about
# 8 s to start in the emulated guest instead of 2.
set -eu
prefix=${WINEPREFIX:-$HOME/.wine}
stamp="$prefix/.quillon-prefix-ready"
version=$(wine --version)
made_by_this_wine() { [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$version" ] && [ -f "$prefix/system.reg" ]; }
if ! made_by_this_wine; then
  rm -f "$stamp"
  wineboot --init
  wineserver --wait
  if [ ! -f "$prefix/system.reg" ]; then
    echo "wine_prefix.sh: wineboot ended without making $prefix/system.reg" >&2
    exit 1
  fi
  echo "$version" >"$stamp"
fi
# Its own output closed, or whoever reads this script's would wait for it. A server
# already up refuses to start a second one; that is as good. A server that has never
# had a program stays up for good, so one program runs at once: the minute is counted
# from its end, and it starts Wine's system processes for the tests that follow.
wineserver -p"${QUILLON_WINESERVER_LINGER:-60}" </dev/null >/dev/null 2>&1 || true
WINEDEBUG=-all wine cmd /c exit </dev/null >/dev/null 2>&1 || true
