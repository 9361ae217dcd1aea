#!/usr/bin/env bash
# screenshot.sh [BUILD]: takes the AppStream screenshot (resources/screenshots/main-window.png) of the
# real main window with a page open, on a virtual X screen (Xvfb) of 1280x800, from BUILD (default build).
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
work="$(mktemp -d)"
trap 'kill "${editor:-}" "${screen:-}" 2>/dev/null || true; rm -rf "$work"' EXIT
display=":$((90 + RANDOM % 100))"
Xvfb "$display" -screen 0 1280x800x24 -fbdir "$work" -nolisten tcp &
screen=$!
sleep 1
mkdir -m 700 "$work/runtime"
cp resources/screenshots/index.html "$work/index.html"
DISPLAY="$display" XDG_RUNTIME_DIR="$work/runtime" XDG_STATE_HOME="$work/state" \
  "$build/src/app/tallo" --new-window "$work/index.html" &
editor=$!
sleep 4
mkdir -p resources/screenshots
xwdtopnm "$work/Xvfb_screen0" 2>/dev/null | pnmtopng -compression 9 > resources/screenshots/main-window.png
echo "resources/screenshots/main-window.png"
