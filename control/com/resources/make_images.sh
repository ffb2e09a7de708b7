#!/bin/bash
# Draws the control's two images and writes them into OUTPUT_DIR:
#   quill_toolbox.bmp  16 x 16, 24 bits per pixel (the container's toolbox)
#   quill.ico          32 x 32, 32 bits per pixel with alpha (the dialog's icon)
# Both show the same small USB key: a blue body with a yellow light and a
# silver plug. Run at configure time; the output depends on nothing else.
#
#   make_images.sh OUTPUT_DIR
set -eu

if [ $# -ne 1 ]; then
  echo "usage: $0 OUTPUT_DIR" >&2
  exit 2
fi
out=$1
mkdir -p "$out"

# shellcheck source=SCRIPTDIR/../../../scripts/lib/image_bytes.sh
. "$(dirname "${BASH_SOURCE[0]}")/../../../scripts/lib/image_bytes.sh"

# The key drawn on a grid of SIZE x SIZE (16 or 32). Sets red, green, blue
# and alpha for the pixel at column X, row Y (row 0 at the top).
paint() {
  local x=$1 y=$2 size=$3 s
  s=$((size / 16)) # 1 or 2 grid pixels per unit of the 16-unit drawing
  paint_key $((x / s)) $((y / s))
}

# Toolbox bitmap: file header, BITMAPINFOHEADER, rows bottom-up (16 pixels of
# 3 bytes make 48 bytes, already a multiple of 4). The background is the
# light grey that containers treat as transparent.
size=16
pixels=$((size * size * 3))
byte 66
byte 77                   # "BM"
u32 $((14 + 40 + pixels)) # file size
u32 0
u32 $((14 + 40)) # offset of the pixels
u32 40
u32 $size
u32 $size
u16 1
u16 24
u32 0 # BI_RGB
u32 $pixels
u32 2835
u32 2835
u32 0
u32 0
for ((y = size - 1; y >= 0; y--)); do
  for ((x = 0; x < size; x++)); do
    paint $x $y $size
    if [ "$alpha" -eq 0 ]; then red=192 green=192 blue=192; fi
    byte $blue
    byte $green
    byte $red
  done
done
write_image_bytes "$out/quill_toolbox.bmp"

# Icon: ICONDIR, one ICONDIRENTRY, then the image as BITMAPINFOHEADER (height
# doubled for the mask), BGRA rows bottom-up and a 1-bit AND mask (4 bytes a
# row) that is set where the image is transparent.
size=32
mask_row=4
icon_header $size $mask_row
for ((y = size - 1; y >= 0; y--)); do
  for ((x = 0; x < size; x++)); do
    paint $x $y $size
    byte $blue
    byte $green
    byte $red
    byte $alpha
  done
done
for ((y = size - 1; y >= 0; y--)); do
  bits=0
  for ((x = 0; x < size; x++)); do
    paint $x $y $size
    bits=$(((bits << 1) | (alpha == 0 ? 1 : 0)))
  done
  byte $(((bits >> 24) & 255))
  byte $(((bits >> 16) & 255))
  byte $(((bits >> 8) & 255))
  byte $((bits & 255))
done
write_image_bytes "$out/quill.ico"
