#!/usr/bin/env bash
# Renders every page of the wizard window, and the run page after a clone of
# the sample database, to PNG files, without a display.
# Usage: scripts/wizard-screenshots.sh [FOLDER [BUILD_DIR]]
#   FOLDER defaults to out/screenshots, BUILD_DIR to build.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(dirname "$here")
folder=${1:-$root/out/screenshots}
build=${2:-$root/build}
wizard="$build/app/wizard/dravik-wizard"
[ -x "$wizard" ] || { echo "$0: build dravik-wizard first ($wizard)" >&2; exit 1; }

work=$(mktemp -d /tmp/dravik-shots-XXXXXX)
chmod 777 "$work"
trap 'rm -rf "$work"' EXIT
bash "$here/make-sample-db.sh" "$work/sample.fdb" >/dev/null
QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} "$wizard" --screenshots "$folder" \
  --source "$work/sample.fdb" --destination "$work/clone.fdb"
