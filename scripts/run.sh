#!/usr/bin/env bash
# Builds the program and starts it on a data folder of its own (./data, or
# the folder given as the first argument).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh --target velmora-admin
build="${BUILD_DIR:-build}"
data="${1:-data}"
"$build/apps/velmora-admin/velmora-admin" init "$data"
"$build/apps/velmora-admin/velmora-admin" files "$data"
