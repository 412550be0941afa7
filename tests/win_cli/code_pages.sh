#!/usr/bin/env bash
# Holds tamvo.exe's code pages (the Win32 functions) to the Linux build's
# (iconv): every sequence of one and two bytes and every character, in the
# encodings modules come in, and every module file of this repository
# decoded whole and encoded back, as UTF-8 and as cp932.
#   tests/win_cli/code_pages.sh LINUX_DUMP WINDOWS_DUMP
# The dumps are the two builds of tamvo_code_page_dump; run from the top of
# the repository, under Wine's environment.
set -euo pipefail
if [ $# -ne 2 ]; then
  echo "usage: $0 LINUX_DUMP WINDOWS_DUMP" >&2
  exit 2
fi
linux=$1
windows=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Windows' own tables differ from iconv's for the other CJK code pages and
# for those that compose characters (1255, 1258): those are not held to it.
encodings=(UTF-8 CP932 CP1250 CP1251 CP1252 CP1253 CP1254 CP1256 CP1257 CP874 ISO-8859-1)
mapfile -t files < <(git ls-files '*.bas' '*.cls' '*.frm' 'fuzz/seeds/*')
failed=0
compare() {  # WHAT ARGS...
  local what=$1
  shift
  "$linux" "$@" >"$work/linux"
  wine "$windows" "$@" | tr -d '\r' >"$work/windows"
  if ! diff -q "$work/linux" "$work/windows" >/dev/null; then
    echo "FAIL: $what differs (< Linux, > Windows):" >&2
    diff "$work/linux" "$work/windows" | head -20 >&2
    failed=1
  fi
}
for encoding in "${encodings[@]}"; do
  compare "$encoding, every short sequence and character" "$encoding"
done
for encoding in UTF-8 CP932; do
  compare "$encoding, ${#files[@]} module files" "$encoding" "${files[@]}"
done
[ "$failed" = 0 ] || exit 1
echo "code pages: ${#encodings[@]} encodings and ${#files[@]} module files as on Linux"
