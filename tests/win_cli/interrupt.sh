#!/usr/bin/env bash
# Ctrl+C during a write under Wine (tamvo_interrupt_check): the temporary
# file goes, the module stays as it was. script gives Wine a terminal, and
# so the program a console.
#   tests/win_cli/interrupt.sh CHECK_EXE
set -euo pipefail
check=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf 'Attribute VB_Name = "m"\r\nSub A()\r\nEnd Sub\r\n' >"$work/m.bas"
cp "$work/m.bas" "$work/before"
said=$(cd "$work" && script -qec "wine $(printf %q "$check") m.bas" /dev/null </dev/null |
  sed 's/\x1b\[[?0-9;]*[a-zA-Z]//g' | tr -d '\r')
left=$(cd "$work" && ls -A | grep -v -x -e m.bas -e before || true)
if [ -n "$said" ] || [ -n "$left" ] || ! cmp -s "$work/m.bas" "$work/before"; then
  echo "FAIL: Ctrl+C during a write: said '$said', left '$left'" >&2
  exit 1
fi
echo "Ctrl+C during a write: the temporary file is gone, the module as it was"
