#!/usr/bin/env bash
# Writes the program's four cursor resources (FINGER, HAND, MIN, MOVE) as
# 32 x 32 monochrome .cur files into the folder given. Each shape is a
# 16 x 16 picture ('#' black, 'o' white, anything else transparent) drawn
# at the top-left of the cursor.
set -euo pipefail
out=${1:?usage: make_cursors.sh OUTDIR}

le16() { printf "\\x$(printf %02x $(($1 & 255)))\\x$(printf %02x $((($1 >> 8) & 255)))"; }
le32() { le16 $(($1 & 65535)); le16 $((($1 >> 16) & 65535)); }
byte() { printf "\\x$(printf %02x "$1")"; }

# write_cursor FILE HOTX HOTY ROW0 .. ROW15
write_cursor() {
  local file=$1 hx=$2 hy=$3; shift 3
  local rows=("$@") xor=() and=() y x r bit
  for ((y = 31; y >= 0; y--)); do          # bottom-up rows of 32 bits
    local xr=0 ar=0
    for ((x = 0; x < 32; x++)); do
      bit=$((1 << (31 - x))); r=' '
      if ((y < 16 && x < 16)); then r=${rows[y]:x:1}; fi
      case $r in
        '#') ;;                              # black: AND 0, XOR 0
        o) xr=$((xr | bit)) ;;               # white: AND 0, XOR 1
        *) ar=$((ar | bit)) ;;               # transparent: AND 1, XOR 0
      esac
    done
    xor+=("$xr"); and+=("$ar")
  done
  {
    le16 0; le16 2; le16 1                   # cursor directory, one image
    byte 32; byte 32; byte 2; byte 0; le16 "$hx"; le16 "$hy"; le32 304; le32 22
    le32 40; le32 32; le32 64; le16 1; le16 1; le32 0; le32 256; le32 0; le32 0; le32 2; le32 0
    le32 0; le32 0x00FFFFFF                  # colours: black, white
    local v
    for v in "${xor[@]}" "${and[@]}"; do     # rows are stored big-endian
      byte $(((v >> 24) & 255)); byte $(((v >> 16) & 255)); byte $(((v >> 8) & 255)); byte $((v & 255))
    done
  } > "$file"
}

write_cursor "$out/FINGER.cur" 5 0 \
  '    ##          ' '   #oo#         ' '   #oo#         ' '   #oo#         ' \
  '   #oo###       ' '   #oo#oo###    ' '   #oo#oo#oo##  ' '## #oo#oo#oo#o# ' \
  '#o##oooooooo#o# ' '#oo#ooooooooooo#' ' #oooooooooooo# ' ' #oooooooooooo# ' \
  '  #ooooooooooo# ' '  #oooooooooo#  ' '   #ooooooooo#  ' '   ##########   '
write_cursor "$out/HAND.cur" 8 8 \
  '      ##        ' '   ## #oo###    ' '  #oo##oo#oo#   ' '  #oo##oo#oo# # ' \
  '   #oo#oo#oo##o#' '   #oo#oo#oo#oo#' ' ## #oooooo#oo#' '#oo##ooooooooo# ' \
  '#ooo#oooooooooo#' ' #oooooooooooo# ' '  #ooooooooooo# ' '  #oooooooooo#  ' \
  '   #ooooooooo#  ' '    #oooooooo#  ' '    #oooooooo#  ' '    ##########  '
write_cursor "$out/MIN.cur" 7 7 \
  '                ' '                ' '                ' '                ' \
  '                ' '                ' '################' '#oooooooooooooo#' \
  '#oooooooooooooo#' '################' '                ' '                ' \
  '                ' '                ' '                ' '                '
write_cursor "$out/MOVE.cur" 7 7 \
  '       #        ' '      #o#       ' '     #ooo#      ' '    ####o##     ' \
  '   #   #o#  #   ' '  #o# #o# #o#   ' ' #ooooooooooo#  ' '#ooooooooooooo# ' \
  ' #ooooooooooo#  ' '  #o# #o# #o#   ' '   #   #o#  #   ' '    ##o###      ' \
  '     #ooo#      ' '      #o#       ' '       #        ' '                '
