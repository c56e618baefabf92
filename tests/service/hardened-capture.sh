#!/usr/bin/env bash
# tally77-capture still captures a set under the restrictions of its unit,
# imposed with bubblewrap where systemd cannot impose them (not PID 1): the
# system read-only, a minimal /dev with only the serial line (the
# simulator's pseudo-terminal, bound in as /dev/ttyUSB0), no network, no
# homes, a private /tmp, no capability, the unit's umask and the unit's own
# system-call filter; only the data directory and the state folder writable.
# Exit 77 (skipped), with the reason, where the sandbox cannot start.
#   hardened-capture.sh TALLY77_CAPTURE TALLY77_SIM UNIT
set -euo pipefail
capture=$1
sim=$2
unit=$3
skip() { echo "skipped: $*"; exit 77; }
command -v bwrap >/dev/null || skip "bwrap is not installed (Debian package bubblewrap)"
command -v systemd-analyze >/dev/null || skip "systemd-analyze is not installed"
/usr/bin/python3 -c 'import seccomp' 2>/dev/null || skip "no libseccomp for Python (Debian package python3-seccomp)"

work=$(mktemp -d)
sim_pid=
cleanup() {
  if [ -n "$sim_pid" ]; then kill "$sim_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
data=$work/srv/B701
state=$work/state
mkdir -p "$data" "$state"

sandbox=(bwrap --ro-bind / / --dev /dev --proc /proc --tmpfs /tmp --tmpfs /home --tmpfs /root
  --bind "$data" "$data" --bind "$state" "$state"
  --unshare-net --unshare-ipc --unshare-pid --unshare-uts --die-with-parent --new-session
  --setenv HOME "$state" --setenv XDG_STATE_HOME "$state")
# Capabilities can only be dropped where bwrap has them.
if [ "$(id -u)" -eq 0 ]; then sandbox+=(--cap-drop ALL); fi
"${sandbox[@]}" true 2>"$work/bwrap.log" || skip "the sandbox cannot start: $(head -n 1 "$work/bwrap.log")"
/usr/bin/python3 "$(dirname "$0")/unit_seccomp.py" "$unit" "$work/filter.bpf"
# bwrap reads the filter from a descriptor, once per sandbox.
filtered() { "${sandbox[@]}" --seccomp 9 "$@" 9<"$work/filter.bpf"; }

umask 0027
filtered "$capture" --data-dir "$data" --init > "$work/init.log"

coproc SIM { exec "$sim" --fast --gap 300 --wait-end 30000 --bursts 16 2>&1; }
sim_pid=$SIM_PID
exec {sim_out}<&"${SIM[0]}"
read -r -t 30 pty <&"$sim_out" || { echo "FAILED: tally77-sim printed no pseudo-terminal"; exit 1; }
cat <&"$sim_out" > "$work/sim.log" &

status=0
timeout 120 "${sandbox[@]}" --dev-bind "$pty" /dev/ttyUSB0 --seccomp 9 \
  "$capture" --port /dev/ttyUSB0 --data-dir "$data" --sets 1 --interval 150 9<"$work/filter.bpf" > "$work/capture.log" 2>&1 || status=$?
# A capture that failed leaves the simulator waiting for its peer.
if ((status != 0)); then kill "$sim_pid" 2>/dev/null || true; fi
wait "$sim_pid" || true
sim_pid=
wait

fail() {
  echo "FAILED: $*"
  cat "$work/capture.log" "$work/sim.log"
  exit 1
}
((status == 0)) || fail "tally77-capture exited $status"
# One fLI set: a record of 324 characters and CR LF.
[ "$(wc -c < "$data/fl.db1")" -eq 326 ] || fail "fl.db1 holds no single set: $(wc -c < "$data/fl.db1") bytes"
grep -q "end, count 0" "$work/sim.log" || fail "the end command did not reach the processor"
# The unit's umask: the station's files are not for every user.
if find "$data" -type f -perm -o=r | grep -q .; then fail "files readable by every user: $(find "$data" -type f -perm -o=r)"; fi
echo "captured one set in the sandbox"
