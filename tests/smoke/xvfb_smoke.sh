#!/usr/bin/env bash
# Starts the real viewer with a demo slide on a virtual X display, checks that the screen shows
# the slide, and ends the viewer. Skipped (exit 77) where Xvfb is not installed.
# Then the same with a slide library, which opens as a grid of miniatures; the screens are kept
# in SHOTS (screen-slide.xwd, screen-library.xwd, and .png where ImageMagick is installed).
# Usage: xvfb_smoke.sh LANTERNA XWD_CHECK SLIDE [LIBRARY SHOTS]
set -euo pipefail
viewer=$1 checker=$2 slide=$3 library=${4:-} shots=${5:-}

if [[ -z "${SMOKE_WORK:-}" ]]; then
  for tool in xvfb-run Xvfb xauth; do
    if ! command -v "$tool" >/dev/null; then
      echo "xvfb_smoke: $tool is not installed (scripts/install-deps adds it); skipped"
      exit 77
    fi
  done
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  mkdir -p "$work/fb" "$work/config" "$work/runtime"
  chmod 700 "$work/runtime"
  # A black root window: anything else on the screen is the viewer's.
  status=0
  SMOKE_WORK=$work xvfb-run -a -s "-screen 0 1280x1024x24 -br -nolisten tcp -fbdir $work/fb" \
    bash "$0" "$@" || status=$?
  exit $status
fi

# On the virtual display: a configuration and a single-instance socket of its own, with a
# frame stored on a bigger monitor earlier; a window manager when there is one.
export XDG_CONFIG_HOME=$SMOKE_WORK/config XDG_RUNTIME_DIR=$SMOKE_WORK/runtime QT_QPA_PLATFORM=xcb
unset WAYLAND_DISPLAY
printf '[Lanterna]\nXPos=1\nYPos=1\nWPos=1600\nHPos=1200\n' >"$SMOKE_WORK/config/QVINI.INI"
if command -v openbox >/dev/null; then
  openbox >/dev/null 2>&1 &
  sleep 0.5
fi
start_viewer() {
  "$viewer" "$1" >"$SMOKE_WORK/viewer.log" 2>&1 &
  pid=$!
}
start_viewer "$slide"
stop() {
  kill -TERM "$pid" 2>/dev/null || return 0
  for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || return 0; sleep 0.1; done
  kill -KILL "$pid" 2>/dev/null || true
}
trap stop EXIT

# The frame, shrunk to the 1280x1024 screen, lies wholly on it.
on_screen() {
  command -v xwininfo >/dev/null || return 0
  local info x y w h
  info=$(xwininfo -name "Quelna WWW Slide Viewer")
  x=$(sed -n 's/.*Absolute upper-left X: *//p' <<<"$info")
  y=$(sed -n 's/.*Absolute upper-left Y: *//p' <<<"$info")
  w=$(sed -n 's/.*Width: *//p' <<<"$info")
  h=$(sed -n 's/.*Height: *//p' <<<"$info")
  echo "xvfb_smoke: frame client area at $x,$y size ${w}x$h"
  if ((x < 0 || y < 0 || x + w > 1280 || y + h > 1024)); then
    echo "xvfb_smoke: the frame is off the screen"
    exit 1
  fi
}

keep_shot() {
  [[ -n "$shots" ]] || return 0
  mkdir -p "$shots"
  cp "$shot" "$shots/screen-$1.xwd"
  if command -v convert >/dev/null; then convert "xwd:$shot" "$shots/screen-$1.png" || true; fi
}

# Waits until the screen shows the colours; $1 names what is awaited.
await_colours() {
  local what=$1 deadline=$((SECONDS + 20)) result=""
  shift
  while ((SECONDS < deadline)); do
    sleep 0.5
    if ! kill -0 "$pid" 2>/dev/null; then
      echo "xvfb_smoke: the viewer ended before showing the $what"
      cat "$SMOKE_WORK/viewer.log"
      exit 1
    fi
    cp "$SMOKE_WORK/fb/Xvfb_screen0" "$shot"
    if result=$("$checker" "$shot" "$@"); then
      echo "$result"
      echo "xvfb_smoke: the $what is on the screen"
      keep_shot "$what"
      return 0
    fi
  done
  echo "$result"
  echo "xvfb_smoke: the screen did not show the $what in time"
  cat "$SMOKE_WORK/viewer.log"
  exit 1
}

# The slide's table is red, its chairs green and its circle blue.
shot=$SMOKE_WORK/screen.xwd
await_colours slide FF0000:10 00FF00:10 0000FF:10
on_screen
[[ -n "$library" ]] || exit 0

# A library from the command line: its miniatures (a red triangle, a green square, a blue
# hexagon) in one window.
stop
start_viewer "$library"
await_colours library FF0000:200 00FF00:200 0000FF:20
exit 0
