#!/bin/sh
# Runs a build with its output kept in a log instead of on the screen, for the targets
# that end in the server's console (make run, make run-native): nothing is shown when
# the build finds nothing to do, one line when it does work, and the whole log when it
# fails.
#   quiet_build.sh LOG MESSAGE COMMAND...
set -u
if [ $# -lt 3 ]; then
  echo "usage: $0 LOG MESSAGE COMMAND..." >&2
  exit 2
fi
log=$1
message=$2
shift 2
mkdir -p "$(dirname "$log")"
status="$log.status"
rm -f "$status"
# The build's lines go to the log; the first one that shows work (configuring,
# compiling, linking, generating, installing a package) brings up the message.
{ "$@" 2>&1; echo $? >"$status"; } | tee "$log" | awk -v message="$message" '
  !shown && /Configuring|Building|Linking|Generating|Setting up|Unpacking|Copying|wine: / {
    print message; fflush(); shown = 1
  }'
if [ "$(cat "$status" 2>/dev/null)" != 0 ]; then
  cat "$log"
  echo "The build failed; its output is above and in $log." >&2
  exit 1
fi
rm -f "$status"
