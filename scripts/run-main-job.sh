#!/usr/bin/env bash
# The main job of `make run`: starts KVE from the release build.
set -euo pipefail
BUILD_DIR="${1:-build-release}"
KVE="$BUILD_DIR/app/KVE"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  export QT_QPA_PLATFORM=offscreen
fi
exec "$KVE"
