#!/usr/bin/env bash
# Photographs the main window after a conversion of the bundled samples:
# builds what is needed, starts the window under a virtual X server (96 dpi),
# converts the samples through the real buttons and saves docs/main-window.png.
#
#   bash tools/screenshot/take-screenshot.sh [OUTPUT.png]
#
# Needs xvfb-run and ImageMagick's import. TOVRA_BUILD_DIR selects the build
# folder (default: build).
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$(pwd)
build=${TOVRA_BUILD_DIR:-build}
output=${1:-docs/main-window.png}
case "$output" in /*) ;; *) output="$root/$output" ;; esac

# ImageMagick and the fonts are among the optional packages.
bash tools/install-deps.sh --optional
for tool in xvfb-run import; do
  command -v "$tool" >/dev/null || { echo "take-screenshot: $tool is not installed" >&2; exit 2; }
done

if [ ! -f "$build/build.ninja" ] && [ ! -f "$build/Makefile" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
targets="tovra-screenshot-driver tovra_kjv_module"
if cmake --build "$build" --target help | grep -q '^tovra_sample_databases'; then
  targets="$targets tovra_sample_databases"
fi
cmake --build "$build" --target $targets -j 2 >/dev/null

samples=()
for name in sample-dictionary.dct sample-topics.top sample-bible.bbl sample-commentary.cmt; do
  [ -f "$build/samples/$name" ] && samples+=("$(cd "$build/samples" && pwd)/$name")
done
if [ ${#samples[@]} -eq 0 ]; then
  # No generated samples: the externally written test databases.
  shared=${TOVRA_SHARED_DIR:-$root/../shared}
  for name in dictionary.dct topics.top bible.bbl commentary.cmt; do
    [ -f "$shared/fixtures/$name" ] && samples+=("$(cd "$shared/fixtures" && pwd)/$name")
  done
fi
[ ${#samples[@]} -gt 0 ] || { echo "take-screenshot: no sample databases found" >&2; exit 2; }

work=$(mktemp -d /tmp/tovra-screenshot-XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/out" "$work/config/tovra"
# A settings file of its own: the output goes to the temporary folder and the
# user's settings stay untouched.
printf '[Settings]\nOutFolder=sz:%s\n' "$work/out" >"$work/config/tovra/settings.ini"
export XDG_CONFIG_HOME="$work/config"
mkdir -p "$(dirname "$output")"

driver="$(cd "$build/tools/screenshot" && pwd)/tovra-screenshot-driver"
# A virtual server that another program grabs at the same moment fails the
# window's connection; try again a few times.
photograph() {
xvfb-run -a -s "-screen 0 800x600x24 -dpi 96" bash -c '
  set -euo pipefail
  driver=$1; settings=$2; output=$3; shift 3
  "$driver" "$settings" "$@" >"$(dirname "$settings")/driver.out" &
  pid=$!
  for _ in $(seq 1 200); do
    window=$(sed -n "s/^WINDOW //p" "$(dirname "$settings")/driver.out")
    [ -n "$window" ] && break
    kill -0 "$pid" 2>/dev/null || { echo "take-screenshot: the window ended early" >&2; exit 1; }
    sleep 0.1
  done
  [ -n "$window" ] || { echo "take-screenshot: the window did not appear" >&2; kill "$pid"; exit 1; }
  import -window "$window" "$output"
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
' bash "$driver" "$work/config/tovra/settings.ini" "$work/shot.png" "${samples[@]}"
}
for attempt in 1 2 3; do
  rm -f "$work/shot.png" "$work/config/tovra/driver.out"
  if photograph && [ -s "$work/shot.png" ]; then break; fi
  [ "$attempt" -lt 3 ] || { echo "take-screenshot: no screenshot taken" >&2; exit 1; }
  sleep 1
done
mv "$work/shot.png" "$output"
echo "Saved $output"
