#!/usr/bin/env bash
# Installs what is missing, builds the native configuration and runs the
# development host on the freshly built plug-in. Extra arguments go to
# kel-host.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

cmake --preset default >/dev/null
cmake --build --preset default --target kel-host -j "$(nproc)"
exec build/default/kel-host "$@"
