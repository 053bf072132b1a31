#!/usr/bin/env bash
# Makes the sample source database (scripts/sample-db.sql) at OUTPUT_PATH
# through the embedded engine: default character set UTF8, page size 8192.
# Usage: scripts/make-sample-db.sh OUTPUT_PATH
set -euo pipefail
if [ $# -ne 1 ]; then
  echo "usage: $0 OUTPUT_PATH" >&2
  exit 2
fi
output=$1
case "$output" in /*) ;; *) output="$PWD/$output" ;; esac
[ -e "$output" ] && { echo "$0: $output already exists" >&2; exit 1; }
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
user=${ISC_USER:-SYSDBA}
password=${ISC_PASSWORD:-corbelfin}

script=$(mktemp /tmp/dravik-sample-XXXXXX.sql)
trap 'rm -f "$script"' EXIT
{
  echo "SET SQL DIALECT 3;"
  echo "SET NAMES UTF8;"
  echo "CREATE DATABASE '$output' USER '$user' PASSWORD '$password' PAGE_SIZE 8192 DEFAULT CHARACTER SET UTF8;"
  cat "$here/sample-db.sql"
} >"$script"
if ! isql-fb -q -bail -i "$script"; then
  rm -f "$output"
  echo "$0: the sample database was not made" >&2
  exit 1
fi
echo "sample database made: $output"
