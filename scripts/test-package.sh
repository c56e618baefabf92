#!/usr/bin/env bash
# The Debian package test: makes the package from an already built tree,
# checks it with lintian, installs it with dpkg into a root folder made here,
# runs the installed programs, validates the installed desktop entries,
# metainfo and man pages, and removes it again, leaving no file behind.
# Usage: scripts/test-package.sh [build folder]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build}")

skip() { echo "Package test skipped: $*"; exit 0; }
if [ "$(id -u)" -ne 0 ]; then skip "dpkg --root needs root"; fi
missing=()
for tool in dpkg dpkg-deb dpkg-shlibdeps apt-get cpack lintian desktop-file-validate appstreamcli man; do
  command -v "$tool" >/dev/null || missing+=("$tool")
done
if ((${#missing[@]})); then skip "missing ${missing[*]} (scripts/install-deps.sh installs them)"; fi
if [ ! -f "$build/CPackConfig.cmake" ]; then skip "no configured build in $build"; fi

work=$(mktemp -d /tmp/tally77-package.XXXXXX)
trap 'rm -rf "$work"' EXIT
fail() { echo "Package test FAILED: $*" >&2; exit 1; }

# The package, from what the build made.
rm -f "$build"/package/tally77_*.deb
(cd "$build" && cpack -G DEB >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; fail "cpack"; }
debs=("$build"/package/tally77_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "cpack made no single tally77 package"
deb=${debs[0]}
echo "Package: $deb"

# Warnings and notes are shown; errors fail. packaging/README.md names the
# warnings that stay for a locally built package.
lintian_status=0
lintian --fail-on error "$deb" >"$work/lintian.log" 2>&1 || lintian_status=$?
grep -v "running with root privileges" "$work/lintian.log" || true
((lintian_status == 0)) || fail "lintian found errors"

# Every dependency can be satisfied here, as apt would do it.
apt-get install --simulate -qq "$deb" >"$work/apt.log" 2>&1 || { cat "$work/apt.log"; fail "apt cannot install it"; }

# Install into a root of our own; the libraries come from the running system.
# The maintainer scripts run outside it, told the root by DPKG_ROOT.
root=$work/root
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates" "$root/etc"
touch "$root/var/lib/dpkg/status"
dpkg --root="$root" --force-depends --force-script-chrootless -i "$deb" >"$work/dpkg.log" 2>&1 ||
  { cat "$work/dpkg.log"; fail "dpkg -i"; }

# The services' user, from the sysusers.d entry, made by the postinst.
[ -f "$root/usr/lib/sysusers.d/tally77.conf" ] || fail "no sysusers.d entry"
if command -v systemd-sysusers >/dev/null; then
  grep -q '^tally77:x:[0-9]*:[0-9]*:[^:]*:/var/lib/tally77:' "$root/etc/passwd" 2>/dev/null ||
    fail "the postinst made no user tally77 with its home /var/lib/tally77"
  grep -Eq '^dialout:x:[0-9]+:(.*,)?tally77(,|$)' "$root/etc/group" || fail "tally77 is no member of dialout"
fi

version=$(dpkg-deb -f "$deb" Version)
QT_QPA_PLATFORM=offscreen timeout 20 "$root/usr/bin/tally77" --version >"$work/version.txt" 2>&1 ||
  { cat "$work/version.txt"; fail "tally77 --version"; }
grep -q "${version%-*}" "$work/version.txt" || { cat "$work/version.txt"; fail "tally77 --version does not name ${version%-*}"; }
timeout 20 "$root/usr/bin/tally77-sim" --help >"$work/sim-help.txt" 2>&1 || fail "tally77-sim --help"
grep -q -- "--bursts" "$work/sim-help.txt" || fail "tally77-sim --help lists no options"

for entry in "$root"/usr/share/applications/*.desktop; do
  desktop-file-validate "$entry" || fail "desktop-file-validate $entry"
done
for info in "$root"/usr/share/metainfo/*.metainfo.xml; do
  appstreamcli validate --no-net "$info" || fail "appstreamcli validate $info"
done
# Every windowed program is described to software centres: its desktop
# entry is the launchable of an installed metainfo.
for entry in "$root"/usr/share/applications/*.desktop; do
  grep -qs "<launchable type=\"desktop-id\">$(basename "$entry")</launchable>" \
    "$root"/usr/share/metainfo/*.metainfo.xml || fail "no metainfo launches $(basename "$entry")"
done
# Every program a desktop entry or a unit starts is where it says, so a unit
# configured for another prefix or a renamed program is caught.
programs=$(cat "$root"/usr/share/applications/*.desktop "$root"/usr/lib/systemd/system/* 2>/dev/null |
  sed -n 's/^\(Exec\|ExecStart\|ExecReload\|ExecStop\)=[-@+!:]*\([^ ]*\).*/\2/p' | sort -u)
for program in $programs; do
  case $program in
    /*/tally77*) [ -x "$root$program" ] || fail "$program, started by an installed file, is not in the package" ;;
    /*) [ -x "$program" ] || fail "$program, started by an installed file, is missing" ;;
    *) [ -x "$root/usr/bin/$program" ] || fail "$program, started by an installed file, is not in /usr/bin" ;;
  esac
done
# The man pages as packaged (a local dpkg may be told to leave them out):
# no warning, the data directory's page among them, and every page names
# every other one under SEE ALSO.
dpkg-deb -x "$deb" "$work/contents"
pages=("$work"/contents/usr/share/man/man*/*)
[ -f "$work/contents/usr/share/man/man5/tally77-data.5.gz" ] || fail "no page tally77-data(5)"
for page in "${pages[@]}"; do
  warnings=$(LC_ALL=C.UTF-8 man --warnings -l "$page" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "man --warnings $page: $warnings"
  see_also=$(LC_ALL=C.UTF-8 MANWIDTH=200 man -l "$page" 2>/dev/null | sed -n '/^SEE ALSO/,/^[A-Z]/p')
  for other in "${pages[@]}"; do
    name=$(basename "$other" .gz)
    [ "$other" = "$page" ] || grep -qF "${name%.*}(${name##*.})" <<<"$see_also" ||
      fail "$(basename "$page") does not name ${name%.*}(${name##*.}) under SEE ALSO"
  done
done
# The operator's guide comes along.
cmp -s README.md "$root/usr/share/doc/tally77/README.md" || fail "README.md is not installed in /usr/share/doc/tally77"
# What the forwarder's help says of its stop signals, its page says too.
for signal in SIGTERM SIGINT SIGHUP; do
  "$root/usr/bin/tally77-forward" --help | grep -q "$signal" || fail "tally77-forward --help does not name $signal"
  zcat "$work/contents/usr/share/man/man1/tally77-forward.1.gz" | grep -q "$signal" ||
    fail "tally77-forward(1) does not name $signal"
done

# The units as installed: systemd-analyze verify, and their exposure under
# systemd-analyze security at most what each service's work allows.
declare -A exposure=([tally77-capture@.service]=2.0 [tally77-forward@.service]=3.0)
for unit in "$root"/usr/lib/systemd/system/*; do
  max=${exposure[$(basename "$unit")]:-}
  [ -n "$max" ] || fail "no exposure level set here for $(basename "$unit")"
  bash tests/service/verify-unit.sh "$unit" "$root/usr/bin" "$max" || fail "$(basename "$unit")"
done

dpkg --root="$root" --purge tally77 >>"$work/dpkg.log" 2>&1 || { cat "$work/dpkg.log"; fail "dpkg --purge"; }
# A user stays when its package goes, as Debian keeps them.
left=$(cd "$root" && find . -mindepth 1 ! -path './var' ! -path './var/lib' ! -path './var/lib/dpkg' \
  ! -path './var/lib/dpkg/*' ! -path './etc' ! -path './etc/.pwd.lock' ! -regex './etc/g?shadow-?' ! -regex './etc/\(passwd\|group\)-?' | sort)
[ -z "$left" ] || fail "left behind after removal: $left"
if compgen -G "$root/var/lib/dpkg/info/tally77.*" >/dev/null; then fail "dpkg still lists tally77's files"; fi
echo "Package test passed: lintian, install, the services' user, tally77 --version, tally77-sim --help, validation, man pages, README, units, removal"
