#!/usr/bin/env bash
# The package check must refuse broken zips: each case spoils a copy of the
# good zip one way and expects the check to fail with its reason; the good
# zip itself must pass.
#
#   tests/package/package_check_test.sh ZIP
# The spoilers below are called through expect_refused.
# shellcheck disable=SC2317
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
zip=$(cd "$(dirname "${1:?usage: $0 ZIP}")" && pwd)/$(basename "$1")
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failed=0

# A program linked the default way needs the compiler's DLLs beside it.
printf '#include <string>\nint main(int c, char**) { return static_cast<int>(std::to_string(c).size()); }\n' >"$tmp/dyn.cpp"
x86_64-w64-mingw32-g++-posix -o "$tmp/dyn.exe" "$tmp/dyn.cpp" || { echo "package check test: cannot build dyn.exe"; exit 1; }
# One linked statically, but without version information or manifest.
x86_64-w64-mingw32-g++-posix -static -o "$tmp/bare.exe" "$tmp/dyn.cpp" || { echo "package check test: cannot build bare.exe"; exit 1; }

# expect_refused NAME REASON COMMAND: COMMAND spoils the unpacked top folder
# (its path in $top); the check must fail and name REASON.
expect_refused() {
  local name=$1 reason=$2 out
  shift 2
  rm -rf "$tmp/case" && mkdir -p "$tmp/case" && (cd "$tmp/case" && cmake -E tar xf "$zip") || return 1
  top=$(find "$tmp/case" -mindepth 1 -maxdepth 1 -type d)
  "$@"
  (cd "$tmp/case" && cmake -E tar cf "$tmp/case.zip" --format=zip "$(basename "$top")")
  if out=$("$here/package_check.sh" "$tmp/case.zip"); then
    echo "FAIL package check accepted: $name"; failed=1
  elif ! grep -q -- "$reason" <<<"$out"; then
    echo "FAIL package check refused $name without \"$reason\": $out"; failed=1
  else
    echo "PASS package check refuses: $name"
  fi
}
add_dyn() { cp "$tmp/dyn.exe" "$top/Helper.exe"; }
add_bare() { cp "$tmp/bare.exe" "$top/Pallaby/Pallaby.exe"; }
add_elf() { cp /bin/true "$top/ライセンス/tool.exe"; }
two_bytes() { printf '\0\0' >"$top/マニュアル 兼 作業フォルダー/setting（編集厳禁）.ini"; }
handset_two_bytes() { printf '\0\0' >"$top/Pallaby/マニュアル 兼 作業フォルダー/setting（編集厳禁）.ini"; }
no_emergency() { rmdir "$top/非常用フォルダー"; }
no_tessimor() { rm "$top/Tessimor.exe"; }
no_notice() { rm "$top/ライセンス/libvorbis COPYING.txt"; }

expect_refused "an exe needing libstdc++" "imports libstdc++-6.dll" add_dyn
expect_refused "a program without version information" "Pallaby/Pallaby.exe: no version information" add_bare
expect_refused "a program without manifest" "Pallaby/Pallaby.exe: no application manifest" add_bare
expect_refused "a Linux program named .exe" "tool.exe: not PE32+" add_elf
expect_refused "a two-byte settings file" "not the shipped one byte" two_bytes
expect_refused "Pallaby's settings file of two bytes" "of Pallaby is not the shipped one byte" handset_two_bytes
expect_refused "no 非常用フォルダー" "非常用フォルダー\" missing" no_emergency
expect_refused "no Tessimor.exe" "Tessimor.exe missing" no_tessimor
expect_refused "no libvorbis licence" "licence notice of libvorbis" no_notice
if "$here/package_check.sh" "$zip"; then echo "PASS package check accepts the zip"; else failed=1; fi
exit $failed
