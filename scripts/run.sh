#!/usr/bin/env bash
# Installs what is missing, builds, starts a virtual calibrator and the program against it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
scripts/build.sh
exec build/bin/lorikws "$@"
