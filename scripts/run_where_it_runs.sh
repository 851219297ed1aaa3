#!/usr/bin/env sh
# Runs a command where a part of the tests can run (scripts/runs_here.sh): on this
# machine, or in the emulated guest, in this folder with this environment. Where it can
# run nowhere, it fails and says why: a part that cannot run is never passed over.
#   run_where_it_runs.sh wine|sanitizers [--interactive] COMMAND [ARGS...]
here=$(dirname "$0")
what=${1:?usage: run_where_it_runs.sh wine|sanitizers [--interactive] COMMAND...}
shift
where=$("$here/runs_here.sh" "$what") || { echo "$what: cannot run on this machine" >&2; exit 1; }
interactive=
[ "${1:-}" = --interactive ] && { interactive=--interactive; shift; }
if [ "$where" = guest ]; then
  exec "$here/guest/run_in_guest.sh" $interactive -- "$@"
fi
exec "$@"
