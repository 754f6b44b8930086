#!/bin/sh
# format_check.sh SOURCE: every C++ file git tracks is in the house format (.clang-format);
# make format formats them all.
cd "$1" || exit 1
status=0
for file in $(git ls-files '*.cpp' '*.h' '*.inc'); do
  if ! clang-format --dry-run -Werror "$file" >/dev/null 2>&1; then
    echo "not formatted: $file (make format formats it)"
    status=1
  fi
done
exit $status
