#!/usr/bin/env bash
# Installs what is missing, builds, and makes the Debian package build/lorikws_<version>_<arch>.deb.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
scripts/build.sh
cmake --build build --target package
ls build/lorikws_*.deb
