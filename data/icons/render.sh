#!/usr/bin/env bash
# Renders the program's icon at the sizes the hicolor theme installs, from the
# same three shapes as hicolor/scalable/apps/org.korvello.Korvello.svg (the
# Debian ImageMagick has no SVG reader, so the shapes are drawn directly).
# Drawn at 8 times the size on the 64-unit grid, then reduced, for smooth edges.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
for size in 48 128 256; do
  big=$((size * 8))
  s=$(awk "BEGIN { print $big / 64 }")
  out="$here/hicolor/${size}x${size}/apps/org.korvello.Korvello.png"
  mkdir -p "$(dirname "$out")"
  convert -size "${big}x${big}" xc:none \
    -fill '#1f3a5f' -draw "roundrectangle $(awk "BEGIN { print 2*$s, 2*$s, 62*$s, 62*$s, 10*$s, 10*$s }")" \
    -fill '#ffffff' -draw "rectangle $(awk "BEGIN { print 12*$s, 14*$s, 18*$s, 50*$s }")" \
    -fill '#f2b134' -draw "polygon $(awk "BEGIN { print 22*$s\",\"16*$s, 50*$s\",\"32.5*$s, 22*$s\",\"49*$s }")" \
    -filter Lanczos -resize "${size}x${size}" -strip "PNG32:$out"
done
