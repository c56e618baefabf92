#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the tests (the benchmarks'
# smoke runs among them) and the demo need, only those that are missing: a
# second run installs nothing and needs neither the network nor root. Runs as
# root or through sudo.
#
# List real package names only (`apt-cache show NAME` shows a package, not
# "purely virtual"): a virtual name is never reported installed, so it
# would be installed again at every run.
set -euo pipefail

packages=(
  cmake g++ make pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev qt6-serialport-dev
  qt6-charts-dev libqt6opengl6-dev tzdata
  socat xvfb xdotool imagemagick tio tmux
  libsystemd-dev faketime
  dbus-x11 at-spi2-core python3-pyatspi libglib2.0-bin
  clang libclang-rt-14-dev
  scdoc librsvg2-bin file dpkg-dev lintian desktop-file-utils appstream man-db
  systemd bubblewrap python3-seccomp
  libpq-dev postgresql
)

installed() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"
}

missing=()
for package in "${packages[@]}"; do
  if ! installed "$package"; then missing+=("$package"); fi
done
if ((${#missing[@]} == 0)); then exit 0; fi

as_root=()
if [ "$(id -u)" -ne 0 ]; then
  if ! command -v sudo >/dev/null 2>&1; then
    echo "Missing packages; as root run: apt-get install --no-install-recommends ${missing[*]}" >&2
    exit 1
  fi
  as_root=(sudo)
fi
echo "Installing: ${missing[*]}"
"${as_root[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"

for package in "${missing[@]}"; do
  if ! installed "$package"; then
    echo "scripts/install-deps.sh: $package is not a real package name; list the package that provides it" >&2
    exit 1
  fi
done
