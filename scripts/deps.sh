#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when missing.
set -euo pipefail

# Build: compiler, CMake, SQLite, Qt 6 (Widgets, PrintSupport, Test).
# Tests and runs without a display: fonts for off-screen windows, Xvfb.
# SMS: libcurl for the gateway's FTP upload; a local FTP server for its tests.
# PostgreSQL: libpq for the client/server engine; the server for its tests.
packages=(cmake ninja-build g++ ccache pkg-config libsqlite3-dev libgtest-dev libgmock-dev
          libbenchmark-dev qt6-base-dev qt6-base-dev-tools fonts-dejavu-core xvfb xauth
          poppler-utils libcurl4-openssl-dev python3-pyftpdlib libpq-dev postgresql-15)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
fi
