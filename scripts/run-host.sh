#!/usr/bin/env bash
# Installs what building and running needs (no test tools), builds the
# plug-in and the host without tests or benchmarks and runs the
# development host on the freshly built plug-in. Extra arguments go to
# kel-host.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh run

cmake --preset host >/dev/null
cmake --build --preset host --target kel-host -j "$(nproc)"
exec build/host/kel-host "$@"
