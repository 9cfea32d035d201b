#!/usr/bin/env bash
# The Windows build refuses a path made from a narrow string (std::string,
# std::string_view, a char pointer; by construction, append or assignment) and
# takes one made through pathFromUtf8 or from a string literal.
# Usage: narrow_path_guard.sh <compiler> <source folder>
set -uo pipefail
compiler=$1 src=$2
snippet=$(mktemp --suffix=.cpp)
trap 'rm -f "$snippet"' EXIT
compiles() {
  printf '#include "seams/utf8_path.h"\nstd::filesystem::path made(std::string s, std::string_view v, char* p) {\n%s\n}\n' \
    "$1" > "$snippet"
  "$compiler" -std=c++20 -fsyntax-only -include "$src/platform/windows/narrow_path_guard.h" -I "$src" "$snippet" \
    2>/dev/null
}
compiles '(void)v; (void)p; return ib::pathFromUtf8(s) / "literal";' || { echo "FAIL: the UTF-8 path is refused"; exit 1; }
for form in 'return std::filesystem::path(s);' 'return std::filesystem::path("a") / v;' 'return p;' \
            'std::filesystem::path a; a /= s; return a;' 'std::filesystem::path a; a = s; return a;'; do
  if compiles "(void)s; (void)v; (void)p; $form"; then echo "FAIL: compiles: $form"; exit 1; fi
done
echo "narrow conversions refused"
