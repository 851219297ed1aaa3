#!/bin/sh
# Fails on any include in the plug-in's sources that goes up the layers. Arguments:
# the source tree, then the layers lowest first (math host commands plugin). A file
# of a layer may include its own layer's headers and those of the layers before it;
# the build enforces the same with include roots, this names every offender at once.
set -eu
tree=$1
shift
rank_of() {
  rank=0
  for layer in "$@"; do
    [ "$layer" = "$target" ] && { echo "$rank"; return; }
    rank=$((rank + 1))
  done
  echo -1
}
status=0
checked=0
for layer in "$@"; do
  target=$layer
  own=$(rank_of "$@")
  for file in "$tree/$layer"/*.h "$tree/$layer"/*.cpp "$tree/$layer"/*.h.in; do
    [ -f "$file" ] || continue
    checked=$((checked + 1))
    # Every quoted include names its layer by its first path component.
    for included in $(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$file"); do
      target=${included%%/*}
      [ "$target" = "$included" ] && {
        echo "$file: include \"$included\" names no layer folder"
        status=1
        continue
      }
      rank=$(rank_of "$@")
      if [ "$rank" -lt 0 ] || [ "$rank" -gt "$own" ]; then
        echo "$file: $layer includes \"$included\", which is above it or outside the plug-in"
        status=1
      fi
    done
  done
done
[ "$checked" -gt 0 ] || { echo "no sources found under $tree"; exit 1; }
echo "$checked files: every include goes down the layers ($*)"
exit $status
