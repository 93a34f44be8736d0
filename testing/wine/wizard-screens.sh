#!/usr/bin/env bash
# Photographs every page of the wizard examples under Wine:
#   testing/wine/wizard-screens.sh [OUTPUT_FOLDER]   (default docs/screenshots)
# Builds cvnpack (build-native) and setup.exe with the UI tests (the Windows build this
# host runs, screens-common.sh), packs examples/wizard and examples/components, walks
# through each one's pages with the UI tests' example walk and saves wizard-1.png,
# wizard-2.png, ... and components-1.png, ... from a private headless X server; it
# prints the time from the start of setup.exe to its first page. The examples install
# into a prefix of their own (screens-prefix in that build folder).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
cd "$root"
out=$(realpath -m "${1:-docs/screenshots}")
work=$(mktemp -d)

# shellcheck source=testing/wine/screens-common.sh
source testing/wine/screens-common.sh
build_for_screens setup cvn_ui_tests

xvfb_pid=
walk_pid=
cleanup() {
  [ -z "$walk_pid" ] || kill "$walk_pid" 2>/dev/null || true
  [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
start_private_x "$work"
mkdir -p "$out"
# A prefix of its own, without the examples' earlier installs (an existing file would be asked about).
export CVN_WINEPREFIX=$root/$win_build/screens-prefix
rm -rf "${CVN_WINEPREFIX}${win_prefix_suffix}/drive_c/Program Files/Sample Software"

# walk NAME BUTTONS: packs examples/NAME and photographs its pages; BUTTONS lead from
# page to page before the last ("|" between them).
walk() {
  local name=$1 n=1 shots=$work/$1-shots
  mkdir -p "$shots"
  build-native/tools/cvnpack/cvnpack --stub "$win_build/src/app/setup.exe" --out "$work/$name.exe" \
    "examples/$name/project.toml"
  CVN_EXAMPLE_SETUP="Z:${work//\//\\}\\$name.exe" CVN_SHOTS_DIR="Z:${shots//\//\\}" CVN_EXAMPLE_BUTTONS=$2 \
    testing/wine/run-wine.sh "$win_build/tests/ui/cvn_ui_tests.exe" --gtest_also_run_disabled_tests \
    --gtest_filter=WizardExample.* &
  walk_pid=$!
  while kill -0 "$walk_pid" 2>/dev/null; do
    if [ -f "$shots/$n.ready" ]; then
      import -window root "$out/$name-$n.png"
      touch "$shots/$n.done"
      echo "$name page $n: $out/$name-$n.png"
      n=$((n + 1))
    fi
    sleep 0.2
  done
  wait "$walk_pid"
  walk_pid=
}

walk wizard "Next >|I Agree|Next >|Next >|Next >|Install"
walk components "Next >|Next >|Install"
