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
  local options=() skipped=()
  if [ "${preset}" = m32 ] && ! runs_32_bit_programs; then
    # Some kernels are built without 32-bit support; there the suites (and
    # their discovery) run under user-mode emulation instead. A death test
    # runs its child by executing the test program again, which such a
    # kernel refuses, so those few are left to the native configurations.
    echo "=== m32: this kernel does not run 32-bit programs; the suites run under qemu-i386, death tests left out"
    options=(-DCMAKE_CROSSCOMPILING_EMULATOR="$(command -v qemu-i386)")
    skipped=(-E 'DeathTest\.')
  fi
  echo "=== ${preset}: configure and build"
  cmake --preset "${preset}" "${options[@]}" >/dev/null
  cmake --build --preset "${preset}" -j "${jobs}"
  echo "=== ${preset}: test"
  ctest --preset "${preset}" -j "${jobs}" "${skipped[@]}"
}

runs_32_bit_programs() {
  local probe
  probe=$(mktemp -d)
  printf 'int main(void) { return 0; }\n' > "${probe}/probe.c"
  local ok=1
  cc -m32 -o "${probe}/probe" "${probe}/probe.c" 2>/dev/null && "${probe}/probe" 2>/dev/null && ok=0
  rm -rf "${probe}"
  return ${ok}
}

run_preset default
run_preset m32
run_preset asan
run_preset tsan
bash scripts/fuzz-smoke.sh
echo "=== all configurations passed"
