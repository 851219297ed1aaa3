#!/bin/sh
# The plug-in's own code clean under the tree's .clang-tidy checks, compiled as the
# clang build compiles it. Arguments: the source tree, the build folder holding
# compile_commands.json, then the layers.
set -eu
tree=$1
build=$2
shift 2
cd "$tree"
files=$(find "$@" -name '*.cpp' | sort)
exec clang-tidy -p "$build" --quiet $files
