#!/bin/sh
# The plug-in's own code, layer by layer, clean under cppcheck's warning, style,
# performance and portability checks, read as the 32-bit Windows build it ships as.
# A finding that is intended carries a `cppcheck-suppress` comment saying why.
# Arguments: the source tree, the top layer's include root (it sees every layer), the
# folder of generated headers, then the layers.
set -eu
tree=$1
include_root=$2
generated=$3
shift 3
cd "$tree"
exec cppcheck --quiet --error-exitcode=1 --inline-suppr --std=c++17 --platform=win32A \
  --enable=warning,style,performance,portability \
  -I "$include_root" -I "$generated" "$@"
