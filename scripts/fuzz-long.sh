#!/usr/bin/env bash
# Runs every libFuzzer target for SECONDS each, two at a time, from its seed
# corpus plus the working corpus of earlier runs, and merges what each run
# found new into that working corpus (fuzz/corpus-work/<target>/, outside
# the sources). Prints executions and findings per target; crashing inputs
# are kept as fuzz/corpus-work/findings/<target>/crash-*. Not part of CI.
#   scripts/fuzz-long.sh SECONDS [TARGET...]   (default: every target)
set -euo pipefail
cd "$(dirname "$0")/.."
if [ $# -lt 1 ] || ! [[ $1 =~ ^[0-9]+$ ]]; then
  echo "usage: $0 SECONDS [TARGET...]" >&2
  exit 2
fi
seconds=$1
shift
# libFuzzer's per-input timeout is wall-clock time: on a shared machine a
# nice'd run can wait longer than 10 s for the processor with an input that
# takes milliseconds (all five timeouts of one such run did), so it can be
# raised (FUZZ_TIMEOUT=60). A timeout input is run again alone before it
# counts.
timeout=${FUZZ_TIMEOUT:-10}

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j2 >/dev/null
if [ $# -gt 0 ]; then
  targets=("$@")
else
  targets=()
  for path in build/fuzz/fuzz/fuzz_*; do targets+=("$(basename "${path}")"); done
fi

work=fuzz/corpus-work
logs=${work}/logs
mkdir -p "${logs}"

run_one() {
  local name=$1
  local corpus=${work}/${name} fresh=${work}/${name}.new findings=${work}/findings/${name}
  rm -rf "${fresh}" "${findings}"
  mkdir -p "${corpus}" "${fresh}" "${findings}"
  # New inputs go to a fresh directory; the seeds and the working corpus are
  # only read. A finding ends the target's run; its input stays in findings/.
  build/fuzz/fuzz/"${name}" -max_total_time="${seconds}" -max_len=65536 -timeout="${timeout}" -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="${findings}/" \
    "${fresh}" "${corpus}" "fuzz/corpus/${name#fuzz_}" >"${logs}/${name}.log" 2>&1 || true
  build/fuzz/fuzz/"${name}" -merge=1 -max_len=65536 -timeout="${timeout}" "${corpus}" "${fresh}" \
    >"${logs}/${name}.merge.log" 2>&1 || true
  rm -rf "${fresh}"
}

# An input that timed out under load and then finishes alone within the
# timeout was waiting for the processor, not hanging: it is dropped.
recheck_timeouts() {
  local name=$1 input
  for input in "${work}/findings/${name}"/timeout-*; do
    [ -e "${input}" ] || continue
    if build/fuzz/fuzz/"${name}" -timeout="${timeout}" "${input}" >/dev/null 2>&1; then
      echo "${name}: ${input##*/} finishes alone within ${timeout} s, dropped"
      rm -f "${input}"
    fi
  done
}

report() {
  local name=$1 log=${logs}/$1.log
  local runs speed found
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "${log}" | tail -n 1)
  speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "${log}" | tail -n 1)
  found=$(find "${work}/findings/${name}" -type f | wc -l)
  printf '%-22s executions %-12s per second %-8s findings %s\n' "${name}" "${runs:-?}" "${speed:-?}" "${found}"
}

for ((i = 0; i < ${#targets[@]}; i += 2)); do
  run_one "${targets[i]}" &
  if ((i + 1 < ${#targets[@]})); then run_one "${targets[i + 1]}" & fi
  wait
done

status=0
for name in "${targets[@]}"; do
  recheck_timeouts "${name}"
  report "${name}"
  if [ -n "$(find "${work}/findings/${name}" -type f)" ]; then status=1; fi
done
exit "${status}"
