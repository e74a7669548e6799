#!/usr/bin/env bash
# Installs what is missing, then builds and runs the whole test suite twice:
#   1. the normal build (default compiler, gcc on Debian), warnings as errors,
#      in $TOVRA_BUILD_DIR (default: build);
#   2. a clang build with AddressSanitizer and UndefinedBehaviorSanitizer,
#      warnings as errors, in $TOVRA_BUILD_DIR-sanitize.
# Stops at the first stage that fails and prints how long each stage took.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${TOVRA_BUILD_DIR:-build}
sanitize_build="$build-sanitize"
jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen
# Any sanitizer report fails the test that triggered it.
export ASAN_OPTIONS=detect_leaks=1:halt_on_error=1:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1:check_initialization_order=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1

timings=()
stage() {
  local name=$1
  shift
  echo "=== run-tests: $name"
  local start=$SECONDS
  "$@"
  local took=$((SECONDS - start))
  timings+=("$(printf '%-40s %5d s' "$name" "$took")")
  echo "=== run-tests: $name done in ${took} s"
}

configure_and_build() {
  local dir=$1
  shift
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOVRA_WERROR=ON "$@" >/dev/null
  cmake --build "$dir" -j "$jobs"
}

run_suite() {
  ctest --test-dir "$1" --output-on-failure -j "$jobs"
}

stage "install missing packages" bash tools/install-deps.sh
stage "normal build (-Werror)" configure_and_build "$build"
stage "tests, normal build" run_suite "$build"
# CC and CXX choose the compiler when the build folder is configured first.
CC=clang CXX=clang++ stage "sanitizer build (clang, -Werror)" configure_and_build "$sanitize_build" -DTOVRA_SANITIZE=ON
stage "tests, sanitizer build" run_suite "$sanitize_build"

echo "=== run-tests: stage times"
printf '  %s\n' "${timings[@]}"
