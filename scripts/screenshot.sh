#!/usr/bin/env bash
# Starts the editor under a virtual X display on a file, waits until its window shows, and writes
# a screenshot: anyone can look at the editor without a desktop.
#
#   scripts/screenshot.sh FILE OUTPUT.png [EDITOR]
#
# EDITOR defaults to build/src/ui/morvane. The editor runs with a settings folder of its own
# under a temporary HOME, so the user's settings are neither read nor changed.
set -euo pipefail
if [ $# -lt 2 ]; then
  echo "usage: $0 FILE OUTPUT.png [EDITOR]" >&2
  exit 2
fi
file=$(realpath "$1")
output=$2
editor=${3:-"$(dirname "$0")/../build/src/ui/morvane"}
editor=$(realpath "$editor")
for tool in Xvfb xwininfo xdpyinfo import; do
  command -v "$tool" >/dev/null || { echo "$0: $tool is missing" >&2; exit 1; }
done

work=$(mktemp -d)
display_number=$((90 + RANDOM % 100))
cleanup() {
  [ -n "${editor_pid:-}" ] && kill "$editor_pid" 2>/dev/null || true
  [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

Xvfb ":$display_number" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
export DISPLAY=":$display_number"
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

# A fresh settings folder, past its first start: the first start offers the associations dialog
# over the window (SCREENSHOT_FIRST_LAUNCH=1 shows it).
if [ "${SCREENSHOT_FIRST_LAUNCH:-0}" != 1 ]; then
  mkdir -p "$work/config/Brenk Ltd"
  printf '[General]\nFirst%%20launch=0\n' >"$work/config/Brenk Ltd/Morvane Pro.conf"
fi
HOME="$work" XDG_CONFIG_HOME="$work/config" QT_QPA_PLATFORM=xcb "$editor" "$file" \
  >"$work/editor.log" 2>&1 &
editor_pid=$!

window=""
for _ in $(seq 100); do
  window=$(xwininfo -root -tree 2>/dev/null | grep -F "Morvane Pro" | head -n 1 || true)
  [ -n "$window" ] && break
  sleep 0.1
done
if [ -z "$window" ]; then
  echo "$0: the editor window did not show" >&2
  cat "$work/editor.log" >&2
  exit 1
fi
sleep "${SCREENSHOT_DELAY:-1}"  # let the first paint and any message box settle
import -window root "$output"
echo "$output"
