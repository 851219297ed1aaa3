#!/bin/sh
# Fails on any C++ file of the tree that clang-format would change, and names each.
# Argument: the source tree. The style is the tree's .clang-format.
set -eu
tree=$1
cd "$tree"
files=$(find plugin host commands math standin tests fuzz bench tools \
  -name '*.h' -o -name '*.cpp' | sort)
status=0
count=0
for file in $files; do
  count=$((count + 1))
  if ! clang-format --dry-run --Werror "$file" >/dev/null 2>&1; then
    echo "not formatted: $file (clang-format -i $file)"
    status=1
  fi
done
echo "format: $count files checked"
exit $status
