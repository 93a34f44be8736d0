#!/usr/bin/env bash
# Photographs the example with its background window under Wine:
#   testing/wine/background-screens.sh [OUTPUT_FOLDER]   (default docs/screenshots)
# Builds cvnpack (build-native) and setup.exe with the UI tests (in $CVN_SCREENS_BUILD, else
# the Windows build this host runs; screens-common.sh), lays
# tools/cvnpack/example-background/background.json over tools/cvnpack/example, packs it
# and walks through it with the UI tests' example walk on a private headless X server:
# background-1.png as soon as the gradient is on the screen (the first frame, the first
# corner item on its way in), background-2.png a moment later, background-3.png once every
# item has arrived (the background behind the wizard's first page) and
# background-billboard.png during the installation (the billboard above the progress
# page). For the last one the photographed copy holds its copying for a few seconds (a
# wait for the system's ping in its before-copy script). The setup runs in a prefix of its own
# (background-prefix in the build folder), which is stopped at the end.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
cd "$root"
out=$(realpath -m "${1:-docs/screenshots}")
work=$(mktemp -d)

# shellcheck source=testing/wine/screens-common.sh
source testing/wine/screens-common.sh
build_for_screens setup cvn_ui_tests

cp -r tools/cvnpack/example "$work/example"
cp tools/cvnpack/example-background/billboard.bmp "$work/example/"
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
# Only for the photograph: the copying waits for a few seconds of pings (windows painting
# meanwhile, as a started program is waited for), so that the billboard stays on the screen.
package["eventScripts"][1].append({"command": "Run", "params": ["ping.exe", "-n 6 127.0.0.1", "1"]})
with open(sys.argv[2], "w") as f:
    json.dump(package, f, indent=2)
PY
build-native/tools/cvnpack/cvnpack --stub "$win_build/src/app/setup.exe" --out "$work/setup.exe" \
  "$work/example/package.json"

export CVN_WINEPREFIX=$root/$win_build/background-prefix
prefix=$CVN_WINEPREFIX$win_prefix_suffix
xvfb_pid=
walk_pid=
cleanup() {
  if [ -n "$walk_pid" ]; then
    kill "$walk_pid" 2>/dev/null || true
    WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
    wait "$walk_pid" 2>/dev/null || true
  fi
  [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
start_private_x "$work"
testing/wine/run-wine.sh --init "$work/setup.exe"
# Without the example's earlier install (an existing file would be asked about).
rm -rf "$prefix/drive_c/Program Files/Sample Software"

mkdir -p "$out" "$work/shots"
CVN_EXAMPLE_SETUP="Z:${work//\//\\}\\setup.exe" CVN_SHOTS_DIR="Z:${work//\//\\}\\shots" \
  testing/wine/run-wine.sh "$win_build/tests/ui/cvn_ui_tests.exe" --gtest_also_run_disabled_tests \
  --gtest_filter=WizardExample.* &
walk_pid=$!
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

# The walk stops on every page until it is let go; the one before "Install" is the sixth.
n=1
while kill -0 "$walk_pid" 2>/dev/null; do
  if [ -f "$work/shots/$n.ready" ]; then
    touch "$work/shots/$n.done"
    if [ "$n" = 6 ]; then
      sleep 2
      import -window root "$out/background-billboard.png"
      echo "installing: $out/background-billboard.png"
    fi
    n=$((n + 1))
  fi
  sleep 0.2
done
wait "$walk_pid"
walk_pid=
