#!/usr/bin/env bash
# Photographs the example with its background window under Wine:
#   testing/wine/background-screens.sh [OUTPUT_FOLDER]   (default docs/screenshots)
# Builds cvnpack (build-native) and setup.exe (build-win64), lays
# tools/cvnpack/example-background/background.json over tools/cvnpack/example, packs it
# and starts it on a private headless X server: background-1.png as soon as the gradient
# is on the screen (the first frame, the first corner item on its way in), background-2.png
# a moment later and background-3.png once every item has arrived (the background behind
# the wizard's first page). The setup runs in a prefix of its own
# (build-win64/background-prefix64), which is stopped at the end.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
cd "$root"
out=$(realpath -m "${1:-docs/screenshots}")
work=$(mktemp -d)

# shellcheck source=testing/wine/screens-common.sh
source testing/wine/screens-common.sh
build_for_screens setup

cp -r tools/cvnpack/example "$work/example"
python3 - tools/cvnpack/example-background/background.json "$work/example/package.json" <<'PY'
import json, sys
def merge(base, over):
    for key, value in over.items():
        if isinstance(value, dict) and isinstance(base.get(key), dict):
            merge(base[key], value)
        else:
            base[key] = value
with open(sys.argv[1]) as f:
    overlay = json.load(f)
with open(sys.argv[2]) as f:
    package = json.load(f)
merge(package, overlay)
with open(sys.argv[2], "w") as f:
    json.dump(package, f, indent=2)
PY
build-native/tools/cvnpack/cvnpack --stub build-win64/src/app/setup.exe --out "$work/setup.exe" \
  "$work/example/package.json"

export CVN_WINEPREFIX=$root/build-win64/background-prefix
xvfb_pid=
setup_pid=
cleanup() {
  if [ -n "$setup_pid" ]; then
    WINEPREFIX=${CVN_WINEPREFIX}64 wineserver -k 2>/dev/null || true
    wait "$setup_pid" 2>/dev/null || true
  fi
  [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
start_private_x "$work"
testing/wine/run-wine.sh --init "$work/setup.exe"

mkdir -p "$out"
testing/wine/run-wine.sh "$work/setup.exe" &
setup_pid=$!
# The first frame: the first screen on which the gradient's top-left corner is painted.
for _ in $(seq 600); do
  import -window root "$work/frame.png"
  [ "$(convert "$work/frame.png" -format '%[fx:max(p{3,3}.r,max(p{3,3}.g,p{3,3}.b))>0.05]' info:)" = 1 ] &&
    break
done
cp "$work/frame.png" "$out/background-1.png"
echo "first frame: $out/background-1.png"
sleep 0.3
import -window root "$out/background-2.png"
echo "entrance: $out/background-2.png"
sleep 4
import -window root "$out/background-3.png"
echo "settled: $out/background-3.png"
