# shellcheck shell=bash
# Little-endian writers for the scripts that draw the Windows images (icons
# and bitmaps). Sourced, not run. The bytes of one file are gathered as printf
# escapes in $image_bytes and written at once by write_image_bytes.
#
#   byte N          one byte, 0..255
#   u16 N, u32 N    16- and 32-bit values, least significant byte first
#   icon_header SIZE MASK_ROW
#                   ICONDIR, one ICONDIRENTRY and the BITMAPINFOHEADER (height
#                   doubled for the mask) of a SIZE x SIZE icon of 32 bits per
#                   pixel whose AND mask has MASK_ROW bytes a row
#   write_image_bytes FILE
#                   writes the gathered bytes to FILE and starts afresh
#   paint_key UX UY sets red, green, blue and alpha for the unit at UX, UY
#                   of the 16 x 16 drawing of the product's USB key (a blue
#                   body with a yellow light and a silver plug)

image_bytes=""

byte() {
  local octal
  printf -v octal '%03o' "$1"
  image_bytes+="\\$octal"
}
u16() {
  byte $(($1 & 255))
  byte $((($1 >> 8) & 255))
}
u32() {
  u16 $(($1 & 65535))
  u16 $((($1 >> 16) & 65535))
}

icon_header() {
  local side=$1 row_bytes=$2
  local pixels=$((side * side * 4 + side * row_bytes))
  u16 0
  u16 1 # icon
  u16 1 # one image
  byte "$side"
  byte "$side"
  byte 0 # no palette
  byte 0
  u16 1
  u16 32
  u32 $((40 + pixels))
  u32 $((6 + 16)) # offset of the image
  u32 40
  u32 "$side"
  u32 $((side * 2))
  u16 1
  u16 32
  u32 0
  u32 "$pixels"
  u32 0
  u32 0
  u32 0
  u32 0
}

write_image_bytes() {
  printf "%b" "$image_bytes" >"$1"
  image_bytes=""
}

# The USB key of the program's images; the drawing scripts read the colour.
# shellcheck disable=SC2034
paint_key() {
  local ux=$1 uy=$2
  red=0 green=0 blue=0 alpha=0
  if [ "$ux" -ge 1 ] && [ "$ux" -le 10 ] && [ "$uy" -ge 4 ] && [ "$uy" -le 11 ]; then
    if [ "$ux" -eq 1 ] || [ "$ux" -eq 10 ] || [ "$uy" -eq 4 ] || [ "$uy" -eq 11 ]; then
      red=16 green=40 blue=96 # body outline
    else
      red=40 green=90 blue=180 # body
    fi
    if [ "$ux" -ge 3 ] && [ "$ux" -le 4 ] && [ "$uy" -ge 7 ] && [ "$uy" -le 8 ]; then
      red=255 green=208 blue=32 # light
    fi
    alpha=255
  elif [ "$ux" -ge 11 ] && [ "$ux" -le 14 ] && [ "$uy" -ge 6 ] && [ "$uy" -le 9 ]; then
    if [ "$uy" -eq 6 ] || [ "$uy" -eq 9 ] || [ "$ux" -eq 14 ]; then
      red=96 green=96 blue=104 # plug outline
    elif [ "$ux" -eq 12 ] && [ "$uy" -eq 7 ]; then
      red=64 green=64 blue=72 # contact
    else
      red=216 green=216 blue=224 # plug
    fi
    alpha=255
  fi
}
