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
