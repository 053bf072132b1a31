#!/usr/bin/env bash
# The main job: makes the sample source database in a temporary folder and
# clones it with build/dravik-clone through the embedded engine (no server
# needed), showing the run log, then compares the row counts of both.
# Usage: scripts/demo.sh [--keep]   (--keep leaves the two databases in place)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
clone=${DRAVIK_CLONE:-$root/build/dravik-clone}
if [ ! -x "$clone" ]; then
  echo "$clone not found: build first (bash scripts/setup.sh)" >&2
  exit 2
fi
work=$(mktemp -d /tmp/dravik-demo-XXXXXX)
if [ "${1:-}" = "--keep" ]; then
  trap 'echo "databases kept in $work"' EXIT
else
  trap 'rm -rf "$work"' EXIT
fi

echo "== Making the sample source database"
bash "$root/scripts/make-sample-db.sh" "$work/sample.fdb"

echo
echo "== dravik-clone -c UTF8 --page-size 8192 --roles --grants sample.fdb clone.fdb"
status=0
"$clone" -c UTF8 --page-size 8192 --roles --grants "$work/sample.fdb" "$work/clone.fdb" || status=$?
echo "== dravik-clone exit status: $status"

echo
echo "== Rows per table"
counts() {
  isql-fb -q -user "${ISC_USER:-SYSDBA}" -password "${ISC_PASSWORD:-corbelfin}" "$1" <<'SQL' | awk 'NF == 2 && $2 ~ /^[0-9]+$/'
select 'AUDIT_LOG', count(*) from AUDIT_LOG union all
select 'CATEGORY', count(*) from CATEGORY union all
select 'CUSTOMER', count(*) from CUSTOMER union all
select 'ORDERS', count(*) from ORDERS union all
select 'ORDER_LINE', count(*) from ORDER_LINE union all
select 'PRODUCT', count(*) from PRODUCT;
SQL
}
printf '%-12s %8s %8s\n' TABLE SOURCE CLONE
paste <(counts "$work/sample.fdb") <(counts "$work/clone.fdb" | awk '{print $2}') |
  awk '{printf "%-12s %8s %8s\n", $1, $2, $3}'
exit "$status"
