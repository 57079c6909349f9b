# shellcheck shell=bash
# Sourceable bash library: bytes and Shift-JIS texts of settings records.
#
#   sjis UTF8_TEXT                 the text in Shift-JIS, on stdout
#   put_byte FILE OFFSET VALUE     one byte, in place
#   put_text FILE OFFSET UTF8_TEXT the text in Shift-JIS, in place
#   get_text FILE OFFSET LENGTH    the slot's text up to its terminator, in UTF-8

sjis() { printf '%s' "$1" | iconv -f UTF-8 -t CP932; }

put_byte() {
  printf '%b' "\\x$(printf %02x "$3")" | dd of="$1" bs=1 seek="$2" conv=notrunc status=none
}

put_text() { sjis "$3" | dd of="$1" bs=1 seek="$2" conv=notrunc status=none; }

get_text() {
  dd if="$1" bs=1 skip="$2" count="$3" status=none | tr '\0' '\n' | head -n 1 | iconv -f CP932 -t UTF-8
}
