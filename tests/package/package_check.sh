#!/usr/bin/env bash
# Checks the Windows zip as a user gets it:
#   - every .exe in it is a PE32+ (64-bit) executable that imports only
#     Windows' own DLLs (nothing from the compiler or third parties);
#   - every .exe carries version information (product, a Japanese file
#     description, version, copyright) and an application manifest
#     (asInvoker, Windows up to 10 and 11 supported, classic controls, no
#     DPI awareness), read back with windres;
#   - the programs sit in the top folder beside "マニュアル 兼 作業フォルダー"
#     (holding the shipped one-byte settings file), "非常用フォルダー" and
#     "通話記録", with the read-me and the licence notices of libogg and
#     libvorbis.
#
#   tests/package/package_check.sh ZIP
#
# Prints one line per finding; exits 1 when anything is wrong.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
zip=$(cd "$(dirname "${1:?usage: $0 ZIP}")" && pwd)/$(basename "$1")
objdump=x86_64-w64-mingw32-objdump
windres=x86_64-w64-mingw32-windres
system_dlls=" kernel32.dll user32.dll gdi32.dll winmm.dll shell32.dll ole32.dll oleaut32.dll msvcrt.dll "
system_dlls+="comctl32.dll comdlg32.dll advapi32.dll psapi.dll shlwapi.dll version.dll "
programs=(Corvinet Tessimor Quorrel)

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
bad=0
problem() { echo "package check: $*"; bad=1; }

# The value of a version text as windres prints it ("text" or L"\x...").
version_value() { sed -n "s/^ *VALUE \"$1\", L\?\"\(.*\)\"\$/\1/p" <<<"$2" | head -n 1; }

# Version information and manifest of one executable.
check_resources() {
  local exe=$1 rel=$2 rc v
  # A program without any resources is read as none.
  rc=$("$windres" -J coff -O rc -i "$exe" 2>/dev/null) || rc=""
  if ! grep -q '^1 VERSIONINFO' <<<"$rc"; then
    problem "$rel: no version information"
  else
    for v in ProductName LegalCopyright; do
      [ -n "$(version_value "$v" "$rc")" ] || problem "$rel: no $v in its version information"
    done
    [[ $(version_value FileVersion "$rc") =~ ^[0-9]+\.[0-9]+\.[0-9]+\.[0-9]+$ ]] || problem "$rel: no FileVersion n.n.n.n"
    # Kana or kanji: windres prints them as \x3041..\x9fff.
    grep -qE '^ *VALUE "FileDescription", L".*\\x(3[0-9a-f]|[4-9][0-9a-f])[0-9a-f]{2}' <<<"$rc" ||
      problem "$rel: no Japanese FileDescription"
  fi
  if ! grep -q '^1 24 ' <<<"$rc"; then
    problem "$rel: no application manifest"
  else
    grep -q 'level=""asInvoker""' <<<"$rc" || problem "$rel: the manifest does not ask for asInvoker"
    grep -qi '8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a' <<<"$rc" || problem "$rel: the manifest does not name Windows 10 and 11"
    ! grep -qE 'Microsoft\.Windows\.Common-Controls|<dpiAware' <<<"$rc" ||
      problem "$rel: the manifest changes the controls or the DPI scaling"
  fi
}

(cd "$tmp" && cmake -E tar xf "$zip") || { echo "package check: cannot unpack $zip"; exit 1; }
mapfile -t tops < <(find "$tmp" -mindepth 1 -maxdepth 1)
if [ ${#tops[@]} -ne 1 ] || [ ! -d "${tops[0]}" ]; then echo "package check: the zip must hold one top folder"; exit 1; fi
top=${tops[0]}

mapfile -t exes < <(find "$top" -type f -iname '*.exe' | sort)
[ ${#exes[@]} -gt 0 ] || problem "no .exe in the zip"
for exe in "${exes[@]}"; do
  rel=${exe#"$top"/}
  if ! header=$("$objdump" -p "$exe" 2>/dev/null); then
    problem "$rel: not a PE file"; continue
  fi
  if ! grep -q 'file format pei-x86-64' <<<"$header" || ! grep -q '(PE32+)' <<<"$header"; then
    problem "$rel: not PE32+ x86-64"
  fi
  mapfile -t dlls < <(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$header")
  [ ${#dlls[@]} -gt 0 ] || problem "$rel: imports nothing (not a Windows program?)"
  for dll in "${dlls[@]}"; do
    lower=$(tr '[:upper:]' '[:lower:]' <<<"$dll")
    [[ $system_dlls == *" $lower "* ]] || problem "$rel: imports $dll, which Windows does not have"
  done
  check_resources "$exe" "$rel"
done
for p in "${programs[@]}"; do
  [ -f "$top/$p.exe" ] || problem "$p.exe missing from the top folder"
done

# The handset recorder in a folder of its own, with its own working folders.
[ -f "$top/Pallaby/Pallaby.exe" ] || problem "Pallaby.exe missing from the folder Pallaby"
[ -d "$top/ライセンス" ] || problem "folder \"ライセンス\" missing"
for home in "$top" "$top/Pallaby"; do
  for d in "マニュアル 兼 作業フォルダー" "非常用フォルダー" "通話記録"; do
    [ -d "$home/$d" ] || problem "folder \"${home#"$top"}/$d\" missing"
  done
  ini="$home/マニュアル 兼 作業フォルダー/setting（編集厳禁）.ini"
  if [ ! -f "$ini" ]; then
    problem "the settings file of ${home#"$top"/} is missing"
  elif ! cmp -s "$ini" "$root/install/shipped_settings.ini" || [ "$(stat -c %s "$ini")" -ne 1 ]; then
    problem "the settings file of ${home#"$top"/} is not the shipped one byte"
  fi
done
[ -s "$top/はじめにお読みください.txt" ] || problem "the read-me is missing"
for l in libogg libvorbis; do
  if [ ! -s "$top/ライセンス/$l COPYING.txt" ] || [ ! -s "$top/ライセンス/$l copyright (Debian).txt" ]; then
    problem "the licence notice of $l is missing"
  fi
done

if [ $bad -eq 0 ]; then
  echo "package check: ${#exes[@]} executables PE32+ with system DLLs only, version information and manifest; layout as shipped"
fi
exit $bad
