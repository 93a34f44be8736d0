#!/usr/bin/env bash
# Writes the script reference of docs/authoring.md afresh from the statement table,
# through `cvnpack --statements` of a native build (default build-native).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cvnpack=${1:-$root/build-native/tools/cvnpack/cvnpack}
doc=$root/docs/authoring.md
table=$("$cvnpack" --statements)
python3 - "$doc" "$table" <<'PY'
import sys
doc, table = sys.argv[1], sys.argv[2]
text = open(doc).read()
begin, end = "<!-- statements: begin -->\n", "<!-- statements: end -->"
a, b = text.index(begin) + len(begin), text.index(end)
open(doc, "w").write(text[:a] + table.rstrip("\n") + "\n" + text[b:])
PY
