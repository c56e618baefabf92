#!/usr/bin/env bash
# systemd-analyze verify on a unit of packaging/systemd/, with ExecStart
# pointing at the program just built. Exit 77 (skipped) where systemd is not installed.
set -euo pipefail
unit_in=$1
bindir=$2
if ! command -v systemd-analyze >/dev/null; then
  echo "skipped: systemd-analyze is not installed"
  exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
unit=$work/$(basename "$unit_in" .in)
sed "s|@CMAKE_INSTALL_FULL_BINDIR@|$bindir|g" "$unit_in" > "$unit"
# The man page is not installed yet, so its reference is not followed.
systemd-analyze verify --man=no "$unit" 2>&1 | tee "$work/verify.log"
# verify exits 0 on some warnings: any line it writes is a finding.
[ ! -s "$work/verify.log" ]
