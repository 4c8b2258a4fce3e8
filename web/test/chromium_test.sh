#!/usr/bin/env bash
# Headless Chromium shows a page of <lanterna-slide> elements served from 127.0.0.1; its
# screenshot must hold lanterna-cli's pictures pixel for pixel.
# Usage: chromium_test.sh SITE LANTERNA_CLI SAMPLES; exit 77 without the site or chromium.
set -euo pipefail
site=$1 cli=$2 samples=$3
here=$(cd "$(dirname "$0")" && pwd)
browser=$(command -v chromium || command -v chromium-browser || true)
if [[ ! -f $site/lanterna-slide.js || -z $browser ]]; then
  echo "skipped: needs $site/lanterna-slide.js (make web) and chromium"
  exit 77
fi
work=$(mktemp -d)
server=""
trap '[[ -n $server ]] && kill $server; rm -rf "$work"' EXIT
mkdir "$work/root"
cp "$site"/* "$work/root/"
cp -r "$samples" "$work/root/samples"
cp "$here/embed.html" "$work/root/"

python3 -u -m http.server 0 --bind 127.0.0.1 -d "$work/root" >"$work/server.log" 2>&1 &
server=$!
for _ in $(seq 50); do
  port=$(sed -n 's/.*port \([0-9]*\).*/\1/p' "$work/server.log" | head -1)
  [[ -n $port ]] && break
  sleep 0.1
done
[[ -n $port ]] || { echo "the web server did not start"; exit 1; }

# Virtual time lets the page fetch, compile and draw before the screenshot is taken.
root=()
[[ $(id -u) -eq 0 ]] && root=(--no-sandbox)
"$browser" --headless "${root[@]}" --disable-gpu --force-device-scale-factor=1 \
  --hide-scrollbars --window-size=800,520 --virtual-time-budget=10000 \
  --user-data-dir="$work/profile" --screenshot="$work/shot.png" \
  "http://127.0.0.1:$port/embed.html" >"$work/browser.log" 2>&1 || { cat "$work/browser.log"; exit 1; }
[[ -n ${LANTERNA_SHOT:-} ]] && cp "$work/shot.png" "$LANTERNA_SHOT"
node "$here/screenshot_check.js" "$work/shot.png" "$cli" "$samples" "$here/embed.html"
