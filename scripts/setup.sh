#!/usr/bin/env bash
# Installs the Debian packages the build, the program and the tests need, when any is missing;
# packages named as arguments too (scripts/fuzz.sh adds clang's).
set -euo pipefail
packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-serialport-dev libgl-dev
  libsqlite3-dev unixodbc-dev odbc-postgresql postgresql
  libgtest-dev libgmock-dev libbenchmark-dev
  qtkeychain-qt6-dev
  fonts-noto-cjk fonts-arphic-gbsn00lp xvfb xauth
  poppler-utils
  locales
  qt6-translations-l10n breeze-icon-theme libqt6svg6 libx11-dev
  "$@"
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
