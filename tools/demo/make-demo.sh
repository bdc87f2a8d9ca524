#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Draws the demo ad set (ads/) and the title picture (myTitle.png) with ImageMagick.
# The results are kept in the repository; run this only to change them.
cd "$(dirname "$0")"
source ../../scripts/lib/common.sh
font=DejaVu-Sans-Bold
mkdir -p ads

still() { # file, background, foreground, text
    convert -size 240x53 "gradient:$2-$2" -fill "$3" -font "$font" -pointsize 20 \
        -gravity center -annotate +0+0 "$4" -depth 8 -strip "ads/$1"
}
still GG1.png '#2d4059' white 'Model casting'
still GG2.png '#ea5455' white 'Studio backdrops'
still GG3.jpg '#f07b3f' white 'Lens rental'
still GG4.png '#ffd460' '#2d4059' 'Fine-art prints'
still GG6.png '#3f72af' white 'Photo books'
still GG7.jpg '#112d4e' '#f9f7f7' 'Retouching'
still GG8.png '#6a2c70' white 'Colour calibration'

# Tile 5: a small animation, a light sweeping across the tile.
frames=()
for x in 0 40 80 120 160 200; do
    convert -size 240x53 xc:'#08d9d6' -fill 'rgba(255,255,255,0.55)' \
        -draw "rectangle $x,0 $((x + 40)),53" -fill '#252a34' -font "$font" -pointsize 20 \
        -gravity center -annotate +0+0 'Cloud backup' "/tmp/gg5-$x.png"
    frames+=("/tmp/gg5-$x.png")
done
convert -delay 15 -loop 0 "${frames[@]}" -layers Optimize ads/GG5.gif
rm -f "${frames[@]}"

# Tile 9: the wide banner, a caption that cycles through three colours. A flat background keeps
# the whole ad set small enough to arrive in one piece on loopback.
frames=()
for colour in '#ff2e63' '#08d9d6' '#f9ed69'; do
    convert -size 1021x224 xc:'#2b3440' -fill "$colour" -font "$font" \
        -pointsize 64 -gravity center -annotate +0-20 'Zanora Studio Week' \
        -fill white -pointsize 28 -annotate +0+50 'Every pick, every original, one click' \
        "/tmp/gg9-${colour#\#}.png"
    frames+=("/tmp/gg9-${colour#\#}.png")
done
convert -delay 80 -loop 0 "${frames[@]}" -layers Optimize ads/GG9.gif
rm -f "${frames[@]}"

cat > ads/links.txt <<'LINKS'
# <file name> <link>, one ad per line, sent in this order
GG1.png https://example.com/ads/model-casting
GG2.png https://example.com/ads/backdrops
GG3.jpg https://example.com/ads/lens-rental
GG4.png https://example.com/ads/prints
GG5.gif https://example.com/ads/cloud-backup
GG6.png https://example.com/ads/photo-books
GG7.jpg https://example.com/ads/retouching
GG8.png https://example.com/ads/calibration
GG9.gif https://example.com/ads/studio-week
LINKS

convert -size 441x71 xc:none -fill '#3a4750' -font "$font" -pointsize 54 -gravity center \
    -annotate +0+0 'Zanora' -strip myTitle.png
