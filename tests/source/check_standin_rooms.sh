#!/bin/sh
# Fails on any include in the stand-in's sources that goes up its rooms. Arguments: the
# source tree, then the stand-in's rooms lowest first (STANDIN_ROOMS in
# standin/rooms.cmake). A file of a room may include its own room's headers and those
# of the rooms before it; the server, the files directly in standin/, sits above every
# room. Includes of the plug-in's own layers are the layers check's concern.
set -eu
tree=$1
shift
top=$(($# + 1))
rank_of() {
  rank=0
  for room in "$@"; do
    [ "$room" = "$target" ] && { echo "$rank"; return; }
    rank=$((rank + 1))
  done
  echo -1
}
status=0
checked=0
for folder in "$tree"/standin/*/; do
  target=$(basename "$folder")
  [ "$(rank_of "$@")" -ge 0 ] || {
    echo "standin/$target is a folder of the stand-in but no room"
    status=1
  }
done
check_file() {
  file=$1
  own=$2
  shift 2
  checked=$((checked + 1))
  for included in $(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$file"); do
    case $included in
      standin/*/*) target=${included#standin/}; target=${target%%/*}; rank=$(rank_of "$@") ;;
      standin/*) target=server; rank=$top ;;
      *) continue ;;
    esac
    if [ "$rank" -lt 0 ]; then
      echo "$file: include \"$included\" names no room of the stand-in"
      status=1
    elif [ "$rank" -gt "$own" ]; then
      echo "$file: includes \"$included\", which is in the room $target above it"
      status=1
    fi
  done
}
own=0
for room in "$@"; do
  for file in "$tree/standin/$room"/*.h "$tree/standin/$room"/*.cpp; do
    [ -f "$file" ] && check_file "$file" "$own" "$@"
  done
  own=$((own + 1))
done
for file in "$tree"/standin/*.h "$tree"/standin/*.cpp; do
  [ -f "$file" ] && check_file "$file" "$top" "$@"
done
[ "$checked" -gt 0 ] || { echo "no sources found under $tree/standin"; exit 1; }
echo "$checked files: every include goes down the stand-in's rooms ($* server)"
exit $status
