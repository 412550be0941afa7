#!/usr/bin/env bash
# Builds tamvo.msi (per user, with wixl) and tamvo-VERSION-windows.zip from
# the cross-built tamvo.exe and both tamvo.dll of BUILD_ROOT (build/win64,
# build/win32 below it), into OUT.
#   win/installer/build_msi.sh BUILD_ROOT OUT [REGISTRY_TOOL]
# REGISTRY_TOOL is the Linux tamvo_write_installer_registry (default: the
# dev preset's), which writes the add-in's registration from the code
# regsvr32's comes from.
set -euo pipefail
if [ $# -lt 2 ] || [ $# -gt 3 ]; then
  echo "usage: $0 BUILD_ROOT OUT [REGISTRY_TOOL]" >&2
  exit 2
fi
here=$(cd "$(dirname "$0")" && pwd)
build_root=$(cd "$1" && pwd)
mkdir -p "$2"
out=$(cd "$2" && pwd)
tool=${3:-$here/../../build/dev/addin/tamvo_write_installer_registry}
version=1.0.0

# wixl finds sources and includes relative to the .wxs, so everything goes
# into one folder, laid out as installed.
stage="$out/stage"
rm -rf "$stage"
mkdir -p "$stage/x86" "$stage/x64"
cp "$build_root/win64/cli/tamvo.exe" "$stage/"
cp "$build_root/win32/bin/tamvo.dll" "$stage/x86/"
cp "$build_root/win64/bin/tamvo.dll" "$stage/x64/"
cp "$here/tamvo.wxs" "$stage/"
"$tool" wxi > "$stage/registry.wxi"
"$tool" sql > "$stage/texts.sql"

msi="$out/tamvo.msi"
rm -f "$msi"
(cd "$stage" && wixl -a x64 -D Version="$version" -o "$msi" tamvo.wxs)

# What wixl leaves out, added with msibuild: the code page, so that the
# Japanese texts can go in; the add-in's texts; the PATH entry (Windows
# Installer's Environment table: "=-" sets it and removes it on uninstall,
# no "*" keeps it the user's, "[~];" appends to what is there) and the
# actions that write and remove it.
tables="$stage/tables"
mkdir -p "$tables"
printf '\r\n\r\n932\t_ForceCodepage\r\n' > "$tables/_ForceCodepage.idt"
printf 'Environment\tName\tValue\tComponent_\r\ns72\tl255\tL255\ts72\r\nEnvironment\tEnvironment\r\nPathEntry\t=-PATH\t[~];[INSTALLFOLDER]\tProgram\r\n' \
  > "$tables/Environment.idt"
msibuild "$msi" -i "$tables/_ForceCodepage.idt" -i "$tables/Environment.idt"
while IFS= read -r update; do
  [ -n "$update" ] && msibuild "$msi" -q "$update"
done < "$stage/texts.sql"
sequence() {
  msibuild "$msi" -q "INSERT INTO \`InstallExecuteSequence\` (\`Action\`, \`Sequence\`) VALUES ('$1', $2)"
}
sequence RemoveEnvironmentStrings 3300
sequence WriteEnvironmentStrings 5200
if ! msiinfo export "$msi" InstallExecuteSequence | grep -q '^RemoveFolders'; then
  sequence RemoveFolders 3600
fi
if msiinfo export "$msi" Registry | grep -q 'tamvo-text-'; then
  echo "$0: a placeholder is left in the Registry table" >&2
  exit 1
fi

# The zip: the same three files and a README.txt.
python3 - "$stage" "$out/tamvo-$version-windows.zip" "$version" <<'PY'
import sys, zipfile
stage, target, version = sys.argv[1:]
readme = f"""tamvo {version} for Windows

tamvo.exe      the command line (64-bit); put this folder on your PATH
x64\\tamvo.dll  the add-in for the VBA editor of 64-bit Office
x86\\tamvo.dll  the add-in for the VBA editor of 32-bit Office

Register the add-in for yourself (no administrator needed), with Office
closed, from a command prompt in this folder:

    regsvr32 "%CD%\\x64\\tamvo.dll"      (64-bit Office)
    regsvr32 "%CD%\\x86\\tamvo.dll"      (32-bit Office)

Remove it with regsvr32 /u and the same path, then delete the folder.
tamvo.msi installs the same files into %LOCALAPPDATA%\\Programs\\tamvo and
registers both add-ins for you.
""".replace("\n", "\r\n")
with zipfile.ZipFile(target, "w", zipfile.ZIP_DEFLATED) as z:
    z.write(f"{stage}/tamvo.exe", "tamvo/tamvo.exe")
    z.write(f"{stage}/x64/tamvo.dll", "tamvo/x64/tamvo.dll")
    z.write(f"{stage}/x86/tamvo.dll", "tamvo/x86/tamvo.dll")
    z.writestr("tamvo/README.txt", readme)
PY
rm -rf "$stage"
echo "$msi"
echo "$out/tamvo-$version-windows.zip"
