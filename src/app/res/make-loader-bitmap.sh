#!/usr/bin/env bash
# Draws the loader window's background (300 x 110, resource "LOADER") with
# ImageMagick and writes it as an uncompressed 24-bit BMP, the form LoadBitmap reads
# on every Windows version. The result is committed; run this only to change the look.
#   bash src/app/res/make-loader-bitmap.sh [output.bmp]
set -euo pipefail
out=${1:-"$(dirname "$0")/loader.bmp"}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# Night-blue to deep teal, lit from the top left.
convert -size 300x110 gradient:'#1d3557-#0b1b33' -rotate 0 "$tmp/base.png"
convert -size 300x110 radial-gradient:'#2f6690-#0b1b33' -crop 300x110+0+0 "$tmp/glow.png"
convert "$tmp/base.png" "$tmp/glow.png" -compose screen -composite "$tmp/bg.png"

# Concentric arcs in the lower right: the product mark, faint so white text stays readable.
convert -size 300x110 xc:none -fill none -strokewidth 6 \
    -stroke 'rgba(120,200,230,0.16)' -draw "circle 290,118 290,48" \
    -stroke 'rgba(120,200,230,0.12)' -draw "circle 290,118 290,70" \
    -stroke 'rgba(120,200,230,0.09)' -draw "circle 290,118 290,92" "$tmp/arcs.png"

# A thin accent rule under the title line and a hairline frame.
convert "$tmp/bg.png" "$tmp/arcs.png" -composite \
    -fill '#3fa7d6' -draw "rectangle 9,25 120,26" \
    -fill 'rgba(63,167,214,0.35)' -draw "rectangle 121,25 290,25" \
    -fill none -stroke '#3a5f85' -strokewidth 1 -draw "rectangle 0,0 299,109" \
    -stroke '#07111f' -draw "line 1,108 298,108" -draw "line 298,1 298,108" \
    "$tmp/loader.png"

# Three small dots at the bottom left hint at work in progress.
convert "$tmp/loader.png" -fill '#3fa7d6' -stroke none \
    -draw "circle 14,101 16,101" -fill 'rgba(63,167,214,0.6)' -draw "circle 22,101 24,101" \
    -fill 'rgba(63,167,214,0.3)' -draw "circle 30,101 32,101" \
    -alpha off -type TrueColor BMP3:"$out"
echo "wrote $out"
