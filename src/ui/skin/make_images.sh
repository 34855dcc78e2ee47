#!/usr/bin/env bash
# Draws the skin's pictures with ImageMagick. The results are committed; run
# this again after changing a picture here. Fixed seeds keep the output stable.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"
IMG=img
mkdir -p "$IMG/bkg/default"
W=462 H=312

# background N SKY_TOP SKY_BOTTOM GLOW HILL_FAR HILL_NEAR SEED
background() {
  local n=$1; local sunx=$((n == 2 ? 370 : (n == 1 ? 95 : 300))) top=$2 bottom=$3 glow=$4 far=$5 near=$6 seed=$7 out="$IMG/bkg/default/bkg$1.png"
  convert -size ${W}x${H} "gradient:$top-$bottom" \
    \( -seed "$seed" -size ${W}x${H} plasma:fractal -blur 0x8 -colorspace gray -level 30%,90% \) \
    -compose soft-light -composite \
    \( -size ${W}x${H} xc:black -seed "$seed" +noise Random -colorspace gray -threshold 99.5% \
       -morphology dilate disk:0.6 -blur 0x0.4 -fill white -opaque white \) \
    -compose screen -composite \
    \( -size ${W}x${H} xc:none -fill "$glow" -draw "circle $sunx,150 $((sunx + 40)),150" -blur 0x18 \) \
    -compose screen -composite \
    \( -size ${W}x${H} xc:none -fill "$glow" -draw "circle $sunx,150 $((sunx + 24)),150" \) \
    -compose over -composite \
    \( -size ${W}x${H} xc:none -fill "$far" \
       -draw "polygon 0,210 60,170 120,195 190,140 260,185 330,150 400,190 462,160 462,312 0,312" \) \
    -compose over -composite \
    \( -size ${W}x${H} xc:none -fill "$near" \
       -draw "polygon 0,240 80,205 150,228 240,190 320,230 390,210 462,235 462,312 0,312" \) \
    -compose over -composite \
    \( -size ${W}x${H} gradient:'rgba(0,0,0,0.25)'-'rgba(0,0,0,0)' -crop ${W}x35+0+0 +repage \
       -background none -extent ${W}x${H} \) -compose over -composite \
    \( -size ${W}x$((H - 190)) gradient:'rgba(10,12,30,0)'-'rgba(10,12,30,0.85)' -background none \
       -gravity south -extent ${W}x${H} \) -compose over -composite \
    -font DejaVu-Sans-Bold -pointsize 30 -gravity north -fill 'rgba(255,255,255,0.92)' \
    -stroke 'rgba(0,0,0,0.35)' -strokewidth 1 -annotate +0+72 'PLAYVANE' \
    -font DejaVu-Sans -pointsize 11 -stroke none -fill 'rgba(255,255,255,0.75)' -annotate +0+110 'PLAY MOBILE GAMES ON YOUR PC' \
    -alpha off -depth 8 "PNG24:$out"
}

background 1 '#141a46' '#5a2a7a' '#ffcf7a' '#2a2150' '#160f2e' 11
background 2 '#0b2c4a' '#1f7a8c' '#c8f4ff' '#0e3048' '#08192b' 22
background 3 '#3b1030' '#d0643a' '#fff0b0' '#4a1a34' '#220a1a' 33

# Minimise glyph: an 11 by 1 line.
line() { convert -size 11x1 "xc:$1" "PNG32:$IMG/-$2.png"; }
line 'rgba(255,255,255,0.6)' normal
line 'rgba(255,255,255,1.0)' hover
line 'rgba(200,210,255,0.8)' down

# Close glyph: a 9 by 9 cross.
cross() {
  convert -size 9x9 xc:none -stroke "$1" -strokewidth 1.4 -draw 'line 0.5,0.5 8.5,8.5' -draw 'line 8.5,0.5 0.5,8.5' \
    "PNG32:$IMG/x-$2.png"
}
cross 'rgba(255,255,255,0.6)' normal
cross 'rgba(255,255,255,1.0)' hover
cross 'rgba(200,210,255,0.8)' down

# Check box, 13 by 13.
CHECK=(-stroke white -strokewidth 1.6 -fill none -draw 'polyline 3,6.5 5.5,9 10,3.5')
convert -size 13x13 xc:none -fill 'rgba(255,255,255,0.08)' -stroke 'rgba(255,255,255,0.8)' -strokewidth 1 \
  -draw 'roundrectangle 0.5,0.5 12.5,12.5 2,2' "PNG32:$IMG/opt-normal.png"
convert -size 13x13 xc:none -fill 'rgba(255,255,255,0.2)' -stroke white -strokewidth 1 \
  -draw 'roundrectangle 0.5,0.5 12.5,12.5 2,2' "PNG32:$IMG/opt-hover.png"
convert -size 13x13 xc:none -fill '#00c249' -stroke '#00c249' -strokewidth 1 \
  -draw 'roundrectangle 0.5,0.5 12.5,12.5 2,2' "${CHECK[@]}" "PNG32:$IMG/opt-selected-normal.png"
convert -size 13x13 xc:none -fill '#22dd66' -stroke '#22dd66' -strokewidth 1 \
  -draw 'roundrectangle 0.5,0.5 12.5,12.5 2,2' "${CHECK[@]}" "PNG32:$IMG/opt-selected-hover.png"

# Progress fill, 40 by 12: a bright band fading to its edges.
convert -size 12x40 gradient:'#1aa0ff'-'#37f0c8' -rotate 90 \
  \( -size 40x12 gradient:'rgba(255,255,255,0.5)'-'rgba(255,255,255,0)' \) -compose screen -composite \
  "PNG32:$IMG/process_light.png"

# Information icon, 16 by 16.
convert -size 16x16 xc:none -fill '#2d8cff' -draw 'circle 7.5,7.5 7.5,0.3' \
  -fill white -draw 'rectangle 7,6.5 8.6,12' -draw 'circle 7.8,4 7.8,3' "PNG32:$IMG/msgbox_info.png"

# Logo, 16 by 16, and the game icon, 48 by 48 (32-bit with alpha).
logo() {
  local s=$1 out=$2
  convert -size ${s}x${s} xc:none -fill '#7b3fe4' -draw "roundrectangle 0,0 $((s - 1)),$((s - 1)) $((s / 5)),$((s / 5))" \
    -fill '#ffcf3a' -draw "polygon $((s * 3 / 8)),$((s / 4)) $((s * 3 / 8)),$((s * 3 / 4)) $((s * 3 / 4)),$((s / 2))" \
    "$out"
}
logo 16 "PNG32:$IMG/logo.png"
logo 48 /tmp/zel-game-icon.png
convert /tmp/zel-game-icon.png -define icon:auto-resize=48 -type TrueColorAlpha game.ico
rm -f /tmp/zel-game-icon.png
