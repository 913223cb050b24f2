#!/usr/bin/env bash
# Installs what is missing, then builds and tests every configuration CI
# checks: the native build, the 32-bit build (boundary offsets as documented),
# AddressSanitizer with UndefinedBehaviorSanitizer, ThreadSanitizer on the
# suites where threads meet, and a short bounded run of every fuzz target.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh test

jobs=$(nproc)
run_preset() {
  local preset=$1
  echo "=== ${preset}: configure and build"
  cmake --preset "${preset}" >/dev/null
  cmake --build --preset "${preset}" -j "${jobs}"
  echo "=== ${preset}: test"
  ctest --preset "${preset}" -j "${jobs}"
}

run_preset default
run_preset m32
run_preset asan
run_preset tsan
bash scripts/fuzz-smoke.sh
echo "=== all configurations passed"
