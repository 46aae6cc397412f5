#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing need (only what is missing).
set -euo pipefail

PACKAGES=(
  g++ cmake ninja-build pkg-config make
  qt6-base-dev qt6-charts-dev libqt6opengl6-dev libgl-dev
  libudev-dev libminizip-dev zlib1g-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  locales dbus xvfb
  libreoffice-calc libreoffice-dev
  dpkg-dev file lintian desktop-file-utils appstream
)

if [ "${1:-}" = "--list" ]; then echo "${PACKAGES[*]}"; exit 0; fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
if [ "${#missing[@]}" -gt 0 ] || [ "${LORIK_APT_ALWAYS:-0}" = 1 ]; then
  echo "Installing: ${missing[*]:-(refresh)}"
  $SUDO apt-get update
  $SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${PACKAGES[@]}"
fi

# A comma-decimal locale, so the tests can prove that numbers never follow the user's locale.
if ! locale -a 2>/dev/null | grep -qi '^ru_RU\.utf-\?8$'; then
  if [ -f /etc/locale.gen ]; then
    $SUDO sed -i 's/^# *\(ru_RU.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    grep -q '^ru_RU.UTF-8 UTF-8' /etc/locale.gen || echo 'ru_RU.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
    $SUDO locale-gen >/dev/null || echo "note: locale-gen failed; comma-locale checks will be skipped"
  fi
fi
