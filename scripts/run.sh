#!/usr/bin/env bash
# Builds the desktop program and starts it on a data folder of its own:
# ./data, or the folder given as the first argument. A folder that does not
# exist yet becomes a demo office first (velmora-admin seed-demo), so there is
# something to look at. Without a display the program runs under Xvfb.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh --target velmora --target velmora-admin
build="$(pwd)/${BUILD_DIR:-build}"
data="${1:-data}"
if [ ! -d "$data" ]; then
  echo "Making a demo office in $data ..."
  "$build/apps/velmora-admin/velmora-admin" seed-demo "$data"
fi
cd "$data"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display: starting the program under Xvfb."
  exec xvfb-run -a -s "-screen 0 1280x900x24" "$build/apps/velmora/velmora"
fi
exec "$build/apps/velmora/velmora"
