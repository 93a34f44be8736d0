#!/usr/bin/env bash
# Photographs every page of the example product's wizard under Wine:
#   testing/wine/wizard-screens.sh [OUTPUT_FOLDER]   (default docs/screenshots)
# Builds cvnpack (build-native) and setup.exe with the UI tests ($CVN_SCREENS_BUILD,
# default build-win64; build-win for the 32-bit one), packs
# tools/cvnpack/example, walks through its pages with the UI tests' example walk and
# saves page-1.png, page-2.png, ... from a private headless X server, and prints the
# time from the start of setup.exe to its first page. The example installs
# into a prefix of its own (screens-prefix in the build folder).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
cd "$root"
out=$(realpath -m "${1:-docs/screenshots}")
work=$(mktemp -d)

# shellcheck source=testing/wine/screens-common.sh
source testing/wine/screens-common.sh
build_for_screens setup cvn_ui_tests
build-native/tools/cvnpack/cvnpack --stub "$win_build/src/app/setup.exe" --out "$work/setup.exe" \
  tools/cvnpack/example/package.json

xvfb_pid=
walk_pid=
cleanup() {
  [ -z "$walk_pid" ] || kill "$walk_pid" 2>/dev/null || true
  [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
start_private_x "$work"

mkdir -p "$out" "$work/shots"
# A prefix of its own, without the example's earlier install (an existing file would be asked about).
export CVN_WINEPREFIX=$root/$win_build/screens-prefix
rm -rf "${CVN_WINEPREFIX}$win_prefix_suffix/drive_c/Program Files/Sample Software"
CVN_EXAMPLE_SETUP="Z:${work//\//\\}\\setup.exe" CVN_SHOTS_DIR="Z:${work//\//\\}\\shots" \
  testing/wine/run-wine.sh "$win_build/tests/ui/cvn_ui_tests.exe" --gtest_also_run_disabled_tests --gtest_filter=WizardExample.* &
walk_pid=$!
n=1
while kill -0 "$walk_pid" 2>/dev/null; do
  if [ -f "$work/shots/$n.ready" ]; then
    import -window root "$out/page-$n.png"
    touch "$work/shots/$n.done"
    echo "page $n: $out/page-$n.png"
    n=$((n + 1))
  fi
  sleep 0.2
done
wait "$walk_pid"
walk_pid=
