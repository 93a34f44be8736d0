#!/usr/bin/env bash
# Draws the setup's pictures with ImageMagick: the loader window's background
# (300 x 110, resource "LOADER") as a 24-bit BMP compressed with bzip2, which the program
# unpacks with its own decompressor (a seventh of the plain file), and the program icon
# (resource "MAINICON", 16, 32 and 48 pixels). The results are committed; run this only
# to change the look.
#   bash src/app/res/make-resources.sh [output folder]
set -euo pipefail
dir=${1:-"$(dirname "$0")"}
tmp=$(mktemp -d)
out=$tmp/loader.bmp
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
bzip2 -9 -c "$out" >"$dir/loader.bmp.bz2"
echo "wrote $dir/loader.bmp.bz2"

# The icon: the same arcs in white on the night-blue tile.
for size in 16 32 48; do
  stroke=$((size / 8 > 1 ? size / 8 : 1))
  convert -size ${size}x${size} xc:none -fill '#1d3557' -draw "roundrectangle 0,0 $((size - 1)),$((size - 1)) $((size / 6)),$((size / 6))" \
      -fill none -stroke white -strokewidth $stroke \
      -draw "circle $((size - 2)),$((size - 2)) $((size - 2)),$((size / 5))" \
      -stroke '#3fa7d6' -draw "circle $((size - 2)),$((size - 2)) $((size - 2)),$((size / 2))" \
      "$tmp/icon-$size.png"
done
convert "$tmp/icon-16.png" "$tmp/icon-32.png" "$tmp/icon-48.png" "$dir/setup.ico"
echo "wrote $dir/setup.ico"
