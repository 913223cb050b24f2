#!/usr/bin/env bash
# Builds the libFuzzer targets with AddressSanitizer and
# UndefinedBehaviorSanitizer and runs each one for a short, bounded time
# from its seed corpus. Any finding fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
# Seven targets: 20 s each keeps the whole smoke within a few minutes.
seconds=${FUZZ_SECONDS:-20}

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$(nproc)"
shopt -s nullglob
targets=(build/fuzz/fuzz/fuzz_*)
if [ ${#targets[@]} -eq 0 ]; then
  echo "fuzz-smoke: no fuzz targets yet"
  exit 0
fi
for target in "${targets[@]}"; do
  name=$(basename "${target}")
  work=fuzz/corpus-work/${name}
  mkdir -p "${work}"
  echo "=== ${name}: ${seconds}s"
  "${target}" -max_total_time="${seconds}" -max_len=65536 -timeout=10 -print_final_stats=1 \
    "${work}" "fuzz/corpus/${name#fuzz_}" 2>&1 | tail -n 4
done
