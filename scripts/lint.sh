#!/usr/bin/env bash
# Checks the sources with clang-format, clang-tidy (the platform-free core, natively) and
# cppcheck. Needs the native build's compile_commands.json: cmake --preset native first.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

sources=$(git ls-files '*.cpp' '*.h')
clang-format --dry-run --Werror $sources

core=$(git ls-files 'actions/*.cpp' 'app/*.cpp' 'search/*.cpp' 'toolkit/*.cpp' | grep -v '_win\.cpp$')
clang-tidy -p build/native --quiet $core

# cppcheck 2.10 reads no identifiers outside ASCII, and the controls keep their Chinese form
# names; it checks a copy of the product's sources in which those names are spelled with
# ASCII letters.
product=$(echo "$sources" | grep -v -E '^(tests|bench)/')
copy=$(mktemp -d)
trap 'rm -rf "$copy"' EXIT
for file in $product; do
  mkdir -p "$copy/$(dirname "$file")"
  python3 scripts/ascii_identifiers.py <"$file" >"$copy/$file"
done
(cd "$copy" && cppcheck --enable=warning,performance,portability --std=c++20 --quiet \
  --error-exitcode=1 --inline-suppr -I . -D_WIN32 -DWINAPI= -DCALLBACK= \
  --suppress=missingIncludeSystem $(echo "$product" | grep '\.cpp$'))
echo "lint: clean"
