# shellcheck shell=bash
# Sourceable bash library: settings records and Shift-JIS texts. Records are
# made and written through the native tool settingsrecord (README), found in
# the native build folder $native, so no script types the layout's offsets.
#
#   settingsrecord new|set|clear|get ...   the tool
#   sjis UTF8_TEXT                 the text in Shift-JIS, on stdout
#   get_text FILE OFFSET LENGTH    the slot's text up to its terminator, in UTF-8

settingsrecord() {
  local tool=${native:?settingsrecord needs \$native, the native build folder}/settingsrecord
  [ -x "$tool" ] || { echo "missing $tool (build settingsrecord natively)" >&2; return 2; }
  "$tool" "$@"
}

sjis() { printf '%s' "$1" | iconv -f UTF-8 -t CP932; }

get_text() {
  dd if="$1" bs=1 skip="$2" count="$3" status=none | tr '\0' '\n' | head -n 1 | iconv -f CP932 -t UTF-8
}
