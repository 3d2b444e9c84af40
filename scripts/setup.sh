#!/usr/bin/env bash
# Installs every Debian package the project needs to build, run and test.
# (file: CPack reads the programs' libraries with it when it makes the Debian package.)
# Safe to run again: apt-get skips what is installed already.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6sql6-sqlite libqt6sql6-psql libqt6sql6-odbc
  qt6-translations-l10n
  libqt6printsupport6 libgl-dev
  unixodbc unixodbc-dev odbc-postgresql
  pxlib-dev
  libgtest-dev
  postgresql postgresql-client libpq-dev
  sqlite3 libsqlite3-dev time bc
  xvfb xauth xdg-utils
  fonts-liberation fonts-dejavu-core
  poppler-utils
  file
  clang-format
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" = 0 ] || SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update
  $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi
