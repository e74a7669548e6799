#!/usr/bin/env bash
# Installs the Debian packages that building and testing need, and runs
# apt-get only when one of them is missing. The benchmarks' comparison tools
# and the screenshot script's tools are optional: they are installed when
# apt-get runs anyway, or on request with --optional (as the benchmarks and
# the screenshot script need them).
#
#   tools/install-deps.sh              required packages
#   tools/install-deps.sh --optional   required and optional packages
#
# Without root (or sudo), or on a system without apt-get, it installs
# nothing: it lists the missing packages and exits non-zero.
set -euo pipefail

required=(
  build-essential cmake ninja-build pkg-config
  clang libclang-rt-14-dev
  libgtest-dev libgmock-dev
  mdbtools mdbtools-dev libsqlite3-dev
  libpcre2-dev zlib1g-dev
  qt6-base-dev qt6-base-dev-tools libgl-dev
  xvfb xauth
)
# Comparison tools of the benchmarks and the screenshot script's tools.
optional=(unrtf pandoc sqlite3 fonts-dejavu-core imagemagick)

want_optional=false
case "${1:-}" in
  "") ;;
  --optional) want_optional=true ;;
  *) echo "usage: $0 [--optional]" >&2; exit 2 ;;
esac

installed() {
  command -v dpkg-query >/dev/null 2>&1 &&
    [ "$(dpkg-query -W -f='${Status}' "$1" 2>/dev/null)" = "install ok installed" ]
}

missing_required=()
for p in "${required[@]}"; do installed "$p" || missing_required+=("$p"); done
missing_optional=()
for p in "${optional[@]}"; do installed "$p" || missing_optional+=("$p"); done

if [ ${#missing_required[@]} -eq 0 ] && { ! $want_optional || [ ${#missing_optional[@]} -eq 0 ]; }; then
  exit 0
fi

# Root installs directly; anyone else needs sudo that asks no password.
SUDO=()
can_install=true
if ! command -v apt-get >/dev/null 2>&1; then
  can_install=false
elif [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null 2>&1 && sudo -n true 2>/dev/null; then
    SUDO=(sudo)
  else
    can_install=false
  fi
fi
if ! $can_install; then
  echo "install-deps: cannot install packages here (needs apt-get and root or sudo)." >&2
  if [ ${#missing_required[@]} -gt 0 ]; then
    echo "install-deps: missing required Debian packages: ${missing_required[*]}" >&2
  fi
  if $want_optional && [ ${#missing_optional[@]} -gt 0 ]; then
    echo "install-deps: missing optional Debian packages: ${missing_optional[*]}" >&2
  fi
  exit 1
fi

export DEBIAN_FRONTEND=noninteractive
"${SUDO[@]}" apt-get update -qq
if [ ${#missing_required[@]} -gt 0 ]; then
  "${SUDO[@]}" apt-get install -y -qq --no-install-recommends "${missing_required[@]}" >/dev/null
fi
# apt-get has run, so the optional tools come along; their absence must not
# stop a build or a test run.
if [ ${#missing_optional[@]} -gt 0 ]; then
  "${SUDO[@]}" apt-get install -y -qq --no-install-recommends "${missing_optional[@]}" >/dev/null ||
    echo "install-deps: optional packages could not be installed: ${missing_optional[*]}" >&2
fi
