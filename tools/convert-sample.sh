#!/usr/bin/env bash
# The main job on a fresh machine: installs what is missing, builds, converts
# the bundled sample dictionary with the bundled reference Bible, and shows
# where the output went and how it begins.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
build=${TOVRA_BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j "$(nproc)"

sample="$build/samples/${1:-sample-dictionary.dct}"
out="$build/sample-output"
mkdir -p "$out"
# A settings folder of its own, so the user's stored settings stay untouched.
export XDG_CONFIG_HOME="$build/sample-settings"
"$build/cli/tovra-cli" --out "$out" --remove-fonts "$sample"

base=$(basename "$sample")
result="$out/${base%.*}_loom.txt"
echo
echo "Output file: $(cd "$(dirname "$result")" && pwd)/$(basename "$result")"
echo "First lines:"
head -n 25 "$result" | iconv -f WINDOWS-1252 -t UTF-8 | tr -d '\r'
