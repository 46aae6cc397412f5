#!/usr/bin/env bash
# Installs what is missing, builds, starts a virtual calibrator and the program against it.
# Stopping the program stops the virtual calibrator.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
scripts/build.sh
SCENARIO="${LORIK_SCENARIO:-bench}"
build/bin/lorik-sim --scenario "$SCENARIO" > "${TMPDIR:-/tmp}/lorik-sim.$$.log" 2>&1 < /dev/null &
SIM=$!
trap 'kill "$SIM" 2>/dev/null || true; wait "$SIM" 2>/dev/null || true' EXIT
sleep 0.3
echo "virtual calibrator: $(head -n 1 "${TMPDIR:-/tmp}/lorik-sim.$$.log") (scenario $SCENARIO)"
build/bin/lorikws "$@"
