#!/bin/bash
# Draws the monitor's two icons and writes them into OUTPUT_DIR, each one
# 48 x 48 image of 32 bits per pixel with alpha:
#   lumo_main.ico  the program and tray icon: a blue USB key with a yellow
#                  light and a silver plug
#   lumo_info.ico  the Information dialog's icon: a golden padlock
# Run at configure time; the output depends on nothing else.
#
#   make_icons.sh OUTPUT_DIR
set -eu

if [ $# -ne 1 ]; then
  echo "usage: $0 OUTPUT_DIR" >&2
  exit 2
fi
out=$1
mkdir -p "$out"

# shellcheck source=SCRIPTDIR/../../../scripts/lib/image_bytes.sh
. "$(dirname "${BASH_SOURCE[0]}")/../../../scripts/lib/image_bytes.sh"

readonly size=48
readonly scale=3 # grid pixels per unit of the 16-unit drawings

# Each drawing sets red, green, blue and alpha for the unit at UX, UY
# (paint_key, the USB key, is the library's).

paint_lock() {
  local ux=$1 uy=$2
  red=0 green=0 blue=0 alpha=0
  if [ "$ux" -ge 3 ] && [ "$ux" -le 12 ] && [ "$uy" -ge 7 ] && [ "$uy" -le 14 ]; then
    if [ "$ux" -eq 3 ] || [ "$ux" -eq 12 ] || [ "$uy" -eq 7 ] || [ "$uy" -eq 14 ]; then
      red=128 green=88 blue=8 # body outline
    elif [ "$ux" -ge 7 ] && [ "$ux" -le 8 ] && [ "$uy" -ge 9 ] && [ "$uy" -le 11 ]; then
      red=48 green=32 blue=8 # keyhole
    else
      red=240 green=184 blue=40 # body
    fi
    alpha=255
  elif [ "$uy" -ge 2 ] && [ "$uy" -le 6 ]; then
    if { [ "$ux" -eq 5 ] || [ "$ux" -eq 10 ]; } && [ "$uy" -ge 3 ]; then
      red=112 green=112 blue=120 # shackle sides
      alpha=255
    elif [ "$uy" -eq 2 ] && [ "$ux" -ge 6 ] && [ "$ux" -le 9 ]; then
      red=112 green=112 blue=120 # shackle top
      alpha=255
    fi
  fi
}

# Icon file: ICONDIR, one ICONDIRENTRY, then the image as BITMAPINFOHEADER
# (height doubled for the mask), BGRA rows bottom-up and a 1-bit AND mask
# (6 bytes, padded to 8, a row) that is set where the image is transparent.
write_icon() {
  local painter=$1 target=$2 x y chunk bits mask_row=8
  icon_header $size $mask_row
  local -a alphas=()
  for ((y = size - 1; y >= 0; y--)); do
    for ((x = 0; x < size; x++)); do
      "$painter" $((x / scale)) $((y / scale))
      byte "$blue"
      byte "$green"
      byte "$red"
      byte "$alpha"
      alphas+=("$alpha")
    done
  done
  for ((y = 0; y < size; y++)); do
    for ((chunk = 0; chunk < mask_row; chunk++)); do
      bits=0
      for ((x = chunk * 8; x < chunk * 8 + 8; x++)); do
        local transparent=1
        if [ "$x" -lt "$size" ] && [ "${alphas[$((y * size + x))]}" -ne 0 ]; then
          transparent=0
        fi
        bits=$(((bits << 1) | transparent))
      done
      byte "$bits"
    done
  done
  write_image_bytes "$target"
}

write_icon paint_key "$out/lumo_main.ico"
write_icon paint_lock "$out/lumo_info.ico"
