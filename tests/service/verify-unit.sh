#!/usr/bin/env bash
# systemd-analyze verify on a unit of packaging/systemd/ (or as installed),
# with ExecStart pointing at the programs of BINDIR, and, given MAX, its
# exposure level under systemd-analyze security at most MAX. Exit 77
# (skipped) where systemd is not installed.
#   verify-unit.sh UNIT BINDIR [MAX]
set -euo pipefail
unit_in=$1
bindir=$2
max=${3:-}
if ! command -v systemd-analyze >/dev/null; then
  echo "skipped: systemd-analyze is not installed"
  exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
unit=$work/$(basename "$unit_in" .in)
sed -e "s|@CMAKE_INSTALL_FULL_BINDIR@|$bindir|g" -e "s|=/usr/bin/tally77|=$bindir/tally77|g" "$unit_in" > "$unit"
# The man page is not installed yet, so its reference is not followed.
systemd-analyze verify --man=no "$unit" 2>&1 | tee "$work/verify.log"
# verify exits 0 on some warnings: any line it writes is a finding.
[ ! -s "$work/verify.log" ]
[ -n "$max" ] || exit 0

# A template is rated as one of its instances.
instance=$unit
case $unit in *@.service) instance=${unit%@.service}@check.service; cp "$unit" "$instance" ;; esac
systemd-analyze security --offline=true "$instance" > "$work/security.log" 2>&1 || true
level=$(sed -n 's/^→ Overall exposure level for [^:]*: \([0-9.]*\).*/\1/p' "$work/security.log")
if [ -z "$level" ]; then
  cat "$work/security.log"
  echo "FAILED: systemd-analyze security rated nothing"
  exit 1
fi
if awk -v level="$level" -v max="$max" 'BEGIN { exit !(level > max) }'; then
  grep '✗' "$work/security.log" || true
  echo "FAILED: $(basename "$instance") exposure $level, more than $max"
  exit 1
fi
echo "$(basename "$instance"): exposure $level (at most $max)"
