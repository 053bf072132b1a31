#!/usr/bin/env bash
# Starts the local Firebird server on 127.0.0.1:3050 (when it is not already
# answering) and makes sure SYSDBA's password is the one the tests use.
set -euo pipefail
PASSWORD=${DRAVIK_TEST_PASSWORD:-corbelfin}
CONF=/etc/firebird/3.0

# True when SYSDBA with the given password can create and drop a database over localhost.
answers() {
  local probe; probe=$(mktemp -u /tmp/dravik-probe-XXXXXX.fdb)
  echo "create database 'localhost:$probe' user 'SYSDBA' password '$1'; drop database;" |
    timeout 30 isql-fb -q >/dev/null 2>&1
  local ok=$?; rm -f "$probe"; [ -z "$(ls "$probe" 2>/dev/null)" ] && return $ok
}
port_open() { (exec 3<>/dev/tcp/127.0.0.1/3050) 2>/dev/null; }

if ! port_open; then
  if command -v systemctl >/dev/null 2>&1 && systemctl is-system-running >/dev/null 2>&1; then
    systemctl start firebird3.0 || true
  fi
  if ! port_open; then
    /usr/sbin/fbguard -daemon -forever -pidfile /run/firebird3.0-guard.pid 2>/dev/null || /usr/sbin/fbguard -daemon -forever
  fi
  for _ in $(seq 1 50); do port_open && break; sleep 0.2; done
fi
port_open || { echo "Firebird server did not start on 127.0.0.1:3050" >&2; exit 1; }

# Set the password over a localhost attachment with the package's initial one.
if ! answers "$PASSWORD"; then
  initial=$(sed -n 's/^ISC_PASSWORD="\{0,1\}\([^"]*\)"\{0,1\}$/\1/p' "$CONF/SYSDBA.password" 2>/dev/null || true)
  tmpdb=$(mktemp -u /tmp/dravik-pw-XXXXXX.fdb)
  {
    echo "create database 'localhost:$tmpdb' user 'SYSDBA' password '$initial';"
    echo "alter user SYSDBA password '$PASSWORD';"
    echo "commit;"
    echo "drop database;"
  } | isql-fb -q >/dev/null 2>&1 || true
  rm -f "$tmpdb"
  sed -i "s/^ISC_PASSWORD=.*/ISC_PASSWORD=\"$PASSWORD\"/" "$CONF/SYSDBA.password" 2>/dev/null || true
fi
# Last resort: stop the server and set the password through the embedded engine
# on the security database itself, then start the server again.
if ! answers "$PASSWORD"; then
  pkill -x fbguard || true; pkill -x firebird || true; sleep 1
  echo "create or alter user SYSDBA password '$PASSWORD' using plugin Srp; commit;" |
    isql-fb -q -user SYSDBA /var/lib/firebird/3.0/system/security3.fdb >/dev/null 2>&1 || true
  /usr/sbin/fbguard -daemon -forever -pidfile /run/firebird3.0-guard.pid
  for _ in $(seq 1 50); do port_open && break; sleep 0.2; done
fi
answers "$PASSWORD" || { echo "Firebird server answers, but not to SYSDBA/$PASSWORD" >&2; exit 1; }
echo "Firebird server running on 127.0.0.1:3050 (SYSDBA/$PASSWORD)"
