#!/usr/bin/env bash
# Makes the production's images with ImageMagick and the DejaVu fonts.
# Every image is an 8-bit RGBA PNG with power-of-two sides (the engine builds
# mipmaps from them).
#
#   cards (1024x512, shown over the whole 16:9 window, so they are drawn at
#   1024x576 and squeezed: on screen the type has its true shape)
#     oc.png         team card: "glasswren presents"
#     OST.png        title card: "morvelane"
#     cred.png       credits by role
#     greets1..6     greetings to the audience and the scene
#   eye.png          (1024x512) a glowing iris, blended over the cards
#   f1.png, f2.png   (1024x512) flash images: a starburst, a ring tunnel
#   happy.png        (512x512, tiles) the scrolling background
#   party.png        (256x256, tiles) colour of the point lines
#   grad2.png        (256x16) metaball tint from blob centre (left, white hot)
#                    through gold and pink to a violet rim (right)
#   colorscheme.png  (256x16, wraps) box colours
#
# Usage: make_images.sh <output folder>
set -euo pipefail
out=${1:?usage: make_images.sh <output folder>}
mkdir -p "$out"
command -v convert >/dev/null || { echo "make_images: ImageMagick (convert) is missing" >&2; exit 1; }
fonts=/usr/share/fonts/truetype/dejavu
bold=$fonts/DejaVuSans-Bold.ttf
condensed=$fonts/DejaVuSansCondensed-Bold.ttf
light=$fonts/DejaVuSans-ExtraLight.ttf
for f in "$bold" "$condensed" "$light"; do
  [ -f "$f" ] || { echo "make_images: font $f is missing (package fonts-dejavu-core/extra)" >&2; exit 1; }
done

W=1024; H=576           # card canvas; squeezed to 1024x512 at the end
# No date or time chunks: the same sources give the same bytes.
save() { convert "$1" -resize "$2"\! -depth 8 -define png:color-type=6 -define png:exclude-chunks=date,time "PNG32:$3"; }

# text_layer <file> <font> <size> <y offset> <text> <gradient from> <gradient to> <glow colour>
# A line of type filled with a vertical gradient, over a wide soft glow and a
# tight bright halo, on a transparent canvas.
text_layer() {
  local file=$1 font=$2 size=$3 y=$4 text=$5 from=$6 to=$7 glow=$8
  convert -size ${W}x${H} xc:none -font "$font" -pointsize "$size" -gravity center \
    -fill white -annotate +0+"$y" "$text" "$file.mask.png"
  convert \( -size ${W}x${H} "gradient:$from-$to" \) "$file.mask.png" \
    -compose CopyOpacity -composite "$file.fill.png"
  convert "$file.mask.png" -fill "$glow" -colorize 100 -channel A -blur 0x22 -evaluate multiply 1.6 \
    +channel "$file.wide.png"
  convert "$file.mask.png" -fill "$glow" -colorize 100 -channel A -blur 0x4 +channel "$file.halo.png"
  convert "$file.wide.png" "$file.halo.png" -compose Screen -composite \
    "$file.fill.png" -compose Over -composite "$file"
  rm -f "$file".*.png
}

# card <output> <layer files...>: stacks the layers and squeezes to 1024x512.
card() {
  local output=$1
  shift
  convert -size ${W}x${H} xc:none "$@" -background none -compose Over -flatten "$output.tmp.png"
  save "$output.tmp.png" 1024x512 "$output"
  rm -f "$output.tmp.png" "$@"
}

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# --- title cards --------------------------------------------------------------
text_layer "$tmp/a.png" "$bold" 150 -30 "glasswren" "#e8fbff" "#6fd6ff" "#00a8ff"
text_layer "$tmp/b.png" "$light" 54 90 "p r e s e n t s" "#ffffff" "#b8ecff" "#2a7dff"
card "$out/oc.png" "$tmp/a.png" "$tmp/b.png"

text_layer "$tmp/a.png" "$bold" 150 -20 "morvelane" "#fff6b0" "#ff3d8b" "#ff2fa0"
text_layer "$tmp/b.png" "$condensed" 40 120 "A REAL-TIME PRODUCTION" "#ffffff" "#ffc0e4" "#ff4fb8"
card "$out/OST.png" "$tmp/a.png" "$tmp/b.png"

# --- credits -----------------------------------------------------------------
text_layer "$tmp/a.png" "$bold" 96 -170 "credits" "#fff6b0" "#ffa23d" "#ff7a00"
text_layer "$tmp/b.png" "$condensed" 52 -50 "code  ·  the glasswren engine room" "#ffffff" "#ffd9a0" "#ff8a1f"
text_layer "$tmp/c.png" "$condensed" 52 30 "music  ·  the glasswren sound desk" "#ffffff" "#ffd9a0" "#ff8a1f"
text_layer "$tmp/d.png" "$condensed" 52 110 "graphics  ·  the glasswren pixel shop" "#ffffff" "#ffd9a0" "#ff8a1f"
text_layer "$tmp/e.png" "$condensed" 52 190 "tools  ·  the glasswren workbench" "#ffffff" "#ffd9a0" "#ff8a1f"
card "$out/cred.png" "$tmp/a.png" "$tmp/b.png" "$tmp/c.png" "$tmp/d.png" "$tmp/e.png"

# --- greetings ---------------------------------------------------------------
greet() {  # greet <n> <headline> <line> <from> <to> <glow>
  text_layer "$tmp/a.png" "$bold" 104 -60 "$2" "$4" "$5" "$6"
  text_layer "$tmp/b.png" "$condensed" 40 90 "$3" "#ffffff" "$4" "$6"
  card "$out/greets$1.png" "$tmp/a.png" "$tmp/b.png"
}
greet 1 "greetings" "to everyone watching this screen" "#e0fff4" "#3dffb0" "#00ff9c"
greet 2 "hello party!" "to every crowd that stays up for the compos" "#fff0c0" "#ffb03d" "#ff8000"
greet 3 "respect" "to all coders, musicians and pixel artists" "#f4e0ff" "#b36bff" "#9d3dff"
greet 4 "big thanks" "to the people who keep the parties running" "#e0f4ff" "#3db8ff" "#008cff"
greet 5 "keep making" "everything you build for the fun of it counts" "#ffe0ec" "#ff3d7f" "#ff0055"
greet 6 "see you" "at the next party, in front of the big screen" "#ffffe0" "#e6ff3d" "#b0ff00"

# --- eye: a glowing iris with rays, dark outside ------------------------------
convert -size 1024x576 radial-gradient:"#000000"-"#000000" \
  \( -size 1024x576 xc:none -fill none -stroke "#39e6ff" -strokewidth 10 -draw "circle 512,288 512,88" \
     -stroke "#ff49c8" -strokewidth 6 -draw "circle 512,288 512,128" -blur 0x6 \) -compose Screen -composite \
  \( -size 1024x576 xc:none -fill "#0d0020" -stroke "#ffffff" -strokewidth 4 -draw "circle 512,288 512,218" -blur 0x2 \) -compose Over -composite \
  \( -size 1024x576 xc:black -fill white -draw "circle 512,288 512,98" -blur 0x30 \) -compose Multiply -composite \
  "$tmp/eye.png"
convert -size 1024x576 xc:black -fill none -stroke white -strokewidth 3 \
  -draw "$(for a in $(seq 0 10 350); do
      awk -v a="$a" 'BEGIN { r = a * 3.14159265 / 180;
        printf "line %d,%d %d,%d ", 512 + 80 * cos(r), 288 + 80 * sin(r), 512 + 210 * cos(r), 288 + 210 * sin(r) }'
    done)" -blur 0x3 -fill "#7ff0ff" -tint 100 "$tmp/rays.png"
convert "$tmp/eye.png" "$tmp/rays.png" -compose Screen -composite -alpha set \
  \( +clone -colorspace gray -level 0%,60% \) -compose CopyOpacity -composite "$tmp/eye2.png"
save "$tmp/eye2.png" 1024x512 "$out/eye.png"

# --- flash images ------------------------------------------------------------
convert -size 1024x576 xc:black -fill none -stroke white -strokewidth 9 \
  -draw "$(for a in $(seq 0 15 345); do
      awk -v a="$a" 'BEGIN { r = a * 3.14159265 / 180;
        printf "line %d,%d %d,%d ", 512 + 40 * cos(r), 288 + 40 * sin(r), 512 + 700 * cos(r), 288 + 700 * sin(r) }'
    done)" -blur 0x5 \
  \( -size 1024x576 radial-gradient:"#fff3b0"-"#000000" \) -compose Screen -composite \
  \( -size 1024x576 gradient:"#ffb347"-"#ff2f7a" \) -compose Multiply -composite \
  -alpha set \( +clone -colorspace gray \) -compose CopyOpacity -composite "$tmp/f1.png"
save "$tmp/f1.png" 1024x512 "$out/f1.png"

convert -size 1024x576 xc:black -fill none -stroke white \
  -draw "$(for r in 30 62 98 140 190 250 320 400 490; do
      w=$(( r / 18 + 2 )); printf "stroke-width %d circle 512,288 %d,288 " "$w" $(( 512 + r )); done)" \
  -blur 0x4 \( -size 1024x576 gradient:"#40f0ff"-"#a040ff" -rotate 90 -resize 1024x576\! \) -compose Multiply -composite \
  -alpha set \( +clone -colorspace gray \) -compose CopyOpacity -composite "$tmp/f2.png"
save "$tmp/f2.png" 1024x512 "$out/f2.png"

# --- tiling textures ----------------------------------------------------------
# A grey pattern made of sine terms with whole periods across the tile (so it
# repeats without seams), coloured through a palette.
palette() {  # palette <file> <colours...>: a 256x1 ramp through the colours, wrapping
  local file=$1
  shift
  local parts=() from=$1 first=$1
  shift
  for c in "$@" "$first"; do
    parts+=( "(" -size 1x64 "gradient:$from-$c" ")" )
    from=$c
  done
  convert "${parts[@]}" -append -rotate 90 -resize 256x1\! "$file"
}
palette "$tmp/warm.png" "#04021a" "#1d0b52" "#4a1478" "#0b2f66" "#12607a" "#2a0a4a"
convert -size 512x512 xc:black -fx "
  xq = i / w; yq = j / h;
  aq = sin(2 * pi * (2 * xq + 0.35 * sin(2 * pi * yq)));
  bq = sin(2 * pi * (3 * yq + 0.25 * sin(4 * pi * xq)));
  cq = sin(4 * pi * (xq + yq));
  (aq + bq + cq) / 6 + 0.5" "$tmp/warm.png" -clut "$tmp/happy.png"
save "$tmp/happy.png" 512x512 "$out/happy.png"

palette "$tmp/rainbow.png" "#ff3d6e" "#ffd23d" "#3dff8b" "#3dc5ff" "#b03dff"
convert -size 256x256 xc:black -fx "
  xq = i / w; yq = j / h;
  sq = xq + yq + 0.1 * sin(4 * pi * yq);
  sq - floor(sq)" "$tmp/rainbow.png" -clut "$tmp/party.png"
save "$tmp/party.png" 256x256 "$out/party.png"

# --- one-dimensional ramps ---------------------------------------------------
convert -size 16x256 gradient:"#ffffff"-"#2a0a6e" -rotate -90 \
  \( -size 256x16 xc:none -fill "#ffd36b" -draw "rectangle 40,0 90,15" \
     -fill "#ff4fa3" -draw "rectangle 110,0 170,15" -blur 0x14 \) -compose Screen -composite \
  "$tmp/grad2.png"
save "$tmp/grad2.png" 256x16 "$out/grad2.png"

palette "$tmp/scheme.png" "#ff2f7a" "#ff9f1c" "#ffe66d" "#2ec4b6" "#3a86ff" "#8338ec"
convert "$tmp/scheme.png" -scale 256x16\! "$tmp/colorscheme.png"
save "$tmp/colorscheme.png" 256x16 "$out/colorscheme.png"

echo "wrote the images in $out"
