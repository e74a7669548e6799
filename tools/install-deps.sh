#!/usr/bin/env bash
# Installs the Debian packages that building, testing and benchmarking need.
# Safe to run repeatedly; does nothing when everything is already present.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config clang
  libgtest-dev libgmock-dev
  mdbtools mdbtools-dev libsqlite3-dev
  libpcre2-dev zlib1g-dev
  qt6-base-dev qt6-base-dev-tools libgl-dev
  xvfb xauth
)
# Tools used only by the benchmarks and the screenshot script.
optional=(unrtf pandoc sqlite3 fonts-dejavu-core imagemagick)

missing=()
for p in "${packages[@]}" "${optional[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
  SUDO=sudo
else
  SUDO=
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${packages[@]}" >/dev/null
# Benchmark comparison tools are nice to have; their absence must not stop a build.
$SUDO apt-get install -y -qq --no-install-recommends "${optional[@]}" >/dev/null || \
  echo "install-deps: optional benchmark tools could not be installed" >&2
