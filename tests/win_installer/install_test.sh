#!/usr/bin/env bash
# Installs tamvo.msi under Wine for the current user, checks what it put
# where, creates the add-in by its ProgID in both bitnesses and connects it to
# the fake editor of tests/win, uninstalls it and checks that only what it
# added went away.
#   tests/win_installer/install_test.sh MSI BUILD_ROOT REGISTRY_TOOL
# BUILD_ROOT holds the files the MSI was built from (win64/cli/tamvo.exe,
# win32/bin/tamvo.dll, win64/bin/tamvo.dll) and the program that connects the
# installed add-in (win64/ and win32/tests/win/tamvo_installed_addin_check.exe);
# REGISTRY_TOOL is the Linux tamvo_write_installer_registry, the registration
# the MSI must have written.
# A Wine prefix of its own, made afresh: build/wine-msi.
set -euo pipefail
if [ $# -ne 3 ]; then
  echo "usage: $0 MSI BUILD_ROOT REGISTRY_TOOL" >&2
  exit 2
fi
here=$(cd "$(dirname "$0")" && pwd)
msi=$(realpath "$1")
build_root=$(realpath "$2")
tool=$(realpath "$3")

export WINEPREFIX="$here/../../build/wine-msi"
export WINEARCH=win64
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
# Debian's wine starts the 32-bit loader, whose C:\windows\system32 is the
# 32-bit one: 64-bit programs (msiexec, as on Windows, and the add-in's
# check) go through the 64-bit loader.
wine64=/usr/lib/wine/wine64
[ -x "$wine64" ] || wine64=wine
work=$(mktemp -d)
trap 'wineserver -k >/dev/null 2>&1 || true; rm -rf "$work"' EXIT

fail() {
  echo "FAIL: $*" >&2
  exit 1
}
win() { wine "$@" 2>/dev/null | tr -d '\r'; }
reg_value() {  # KEY NAME: the data of a REG_SZ value, or nothing
  win reg query "$1" /v "$2" | sed -n "s/^ *$2 *REG_[A-Z_]* *//p"
}

started=$SECONDS
rm -rf "$WINEPREFIX"
wineboot -i >/dev/null 2>&1
wineserver -w
# Without a window manager every hidden window would wait 2 s for one: the
# add-in's dialogs, below.
win reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null

settings='HKCU\Software\VB and VBA Program Settings\tamv\settings'
neighbour='HKCU\Software\Microsoft\VBA\VBE\6.0\Addins64\neighbour.Connect'
win reg add "$settings" /v auther /d "Someone Else" /f >/dev/null
win reg add "$neighbour" /v LoadBehavior /t REG_DWORD /d 3 /f >/dev/null
win reg add 'HKCU\Environment' /v PATH /d 'C:\before' /f >/dev/null
echo "prefix ready in $((SECONDS - started)) s"

step=$SECONDS
# The README's command, as written, in the MSI's folder.
readme_command() {  # MARKER: the one line of the README's block after <!-- MARKER -->
  sed -n "/^<!-- $1 -->\$/,/^\`\`\`\$/p" "$here/../../README.md" | sed -n '3p'
}
install=$(readme_command windows-install)
[ "$(basename "$msi")" = tamvo.msi ] || fail "the README's commands name tamvo.msi, not $(basename "$msi")"
[[ "$install" == msiexec\ * ]] || fail "no install command in the README: '$install'"
# shellcheck disable=SC2086  # the command's words, as cmd splits them
(cd "$(dirname "$msi")" && "$wine64" $install) || fail "$install exited with $?"
echo "installed by '$install' in $((SECONDS - step)) s"
local_app_data=$(win cmd /c echo %LOCALAPPDATA%)
folder="$local_app_data\\Programs\\tamvo"
unix_folder=$(winepath -u "$folder" 2>/dev/null)
cmp "$build_root/win64/cli/tamvo.exe" "$unix_folder/tamvo.exe" || fail "tamvo.exe"
cmp "$build_root/win32/bin/tamvo.dll" "$unix_folder/x86/tamvo.dll" || fail "x86\\tamvo.dll"
cmp "$build_root/win64/bin/tamvo.dll" "$unix_folder/x64/tamvo.dll" || fail "x64\\tamvo.dll"
echo "files: tamvo.exe, x86\\tamvo.dll, x64\\tamvo.dll in $folder"

export_registry() {  # FOLDER
  mkdir -p "$1"
  for view in 32 64; do
    for key in 'Software\Classes' 'Software\Microsoft\VBA'; do
      wine reg export "HKCU\\$key" "$(winepath -w "$1/$view-${key##*\\}.reg")" /reg:$view /y >/dev/null 2>&1 || true
    done
  done
}
export_registry "$work/installed"
# Windows gives 32-bit programs class keys of their own (Wow6432Node), this
# Wine may not: then the 32-bit registration's class keys are the 64-bit
# one's, and only the 64-bit add-in can be created.
probe='HKCU\Software\Classes\CLSID\{00000000-7A3B-4C5D-8E9F-000074616D76}'
win reg add "$probe" /ve /d 64 /f /reg:64 >/dev/null
shared=()
if [ "$(win reg query "$probe" /ve /reg:32 2>/dev/null | grep -c 'REG_SZ *64')" != 0 ]; then
  shared=(--shared-classes)
fi
win reg delete "$probe" /f /reg:64 >/dev/null
python3 "$here/registry_check.py" present "$tool" "$folder\\" "$work/installed" "${shared[@]}"

path=$(reg_value 'HKCU\Environment' PATH)
[ "$path" = "C:\\before;$folder\\" ] || fail "the user's PATH after install is '$path'"
echo "PATH: C:\\before;$folder\\"

# Wine reads HKCU\Environment when its first process starts: a new server
# is a new login.
wineserver -k
wineserver -w
version=$(win cmd /c "tamvo --version")
case "$version" in
  tamvo\ *) echo "a new process finds tamvo on the PATH: $version" ;;
  *) fail "tamvo --version from the PATH answered '$version'" ;;
esac

# Wine's HKEY_CLASSES_ROOT doesn't show the user's classes, as Windows'
# does: copy them to the machine for the moment, as tests/win does.
class_id=$("$tool" wxi | sed -n 's/.*Key="Software\\Classes\\tamvix.Connect\\CLSID" .*Value="\([^"]*\)".*/\1/p' | head -n1)
[ -n "$class_id" ] || fail "no class id in the registration"
mirror() {  # add|delete
  for view in 32 64; do
    for key in "CLSID\\$class_id" tamvix.Connect; do
      if [ "$1" = add ]; then
        win reg copy "HKCU\\Software\\Classes\\$key" "HKLM\\Software\\Classes\\$key" /s /f /reg:$view >/dev/null ||
          fail "copying $key ($view-bit) to the machine"
      else
        win reg delete "HKLM\\Software\\Classes\\$key" /f /reg:$view >/dev/null 2>&1 || true
      fi
    done
  done
}
mirror add
# The add-in created by its ProgID, as the editor creates it, from the
# installed folder, and connected to the fake editor and disconnected
# (tests/win/installed_addin_check.cpp): one line for each step it passed.
check=tests/win/tamvo_installed_addin_check.exe
checks=("win64 x64 $wine64")
((${#shared[@]})) || checks+=("win32 x86 wine")
for c in "${checks[@]}"; do
  read -r preset arch loader <<<"$c"
  program="$build_root/$preset/$check"
  [ -f "$program" ] || fail "no $program: build tamvo_installed_addin_check of the $preset preset"
  echo "$preset/$check, the add-in in $folder\\$arch:"
  "$loader" "$program" "$folder\\$arch" | tr -d '\r' | sed 's/^/  /' ||
    fail "$preset/$check: the installed $arch add-in (exit code ${PIPESTATUS[0]})"
done
mirror delete

step=$SECONDS
uninstall=$(readme_command windows-uninstall)
[[ "$uninstall" == msiexec\ * ]] || fail "no uninstall command in the README: '$uninstall'"
# shellcheck disable=SC2086
(cd "$(dirname "$msi")" && "$wine64" $uninstall) || fail "$uninstall exited with $?"
echo "uninstalled by '$uninstall' in $((SECONDS - step)) s"
[ ! -e "$unix_folder" ] || fail "$folder is still there: $(find "$unix_folder" | head)"
echo "files: $folder is gone"
export_registry "$work/uninstalled"
python3 "$here/registry_check.py" absent "$tool" "$work/uninstalled"
path=$(reg_value 'HKCU\Environment' PATH)
# Windows takes the separator away with the entry; Wine 8's msi leaves it.
case "$path" in
  'C:\before' | 'C:\before;') echo "PATH: $path" ;;
  *) fail "the user's PATH after uninstall is '$path'" ;;
esac
[ "$(reg_value "$settings" auther)" = "Someone Else" ] || fail "the remembered author is gone"
win reg query "$neighbour" /v LoadBehavior >/dev/null || fail "the neighbouring add-in's key is gone"
echo "kept: the remembered author, another add-in's key"
echo "install test passed in $((SECONDS - started)) s"
