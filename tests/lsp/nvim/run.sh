#!/usr/bin/env bash
# Neovim as the client: a code action applied in the editor leaves the same
# bytes as the command line writes, for a module with LF and one with CR LF
# line ends.
#   bash run.sh TAMVO
set -euo pipefail
tamvo=$1
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME=$work/config

module='Attribute VB_Name = "mdlSample"
Option Explicit

'"'"'/**
'"'"' * 合計を返す.
'"'"' * @param x - 𠮷の値
'"'"' */
Public Function Add(ByVal a As Long, ByVal b As Long) As Long
    Add = a + b '"'"' 足し算
End Function
'

# action, 0-based line, command, quick fix expected
run() {
  local name=$1 ends=$2 action=$3 line=$4 command=$5 quickfix=$6
  local file=$work/$name.bas
  if [ "$ends" = crlf ]; then printf '%s' "$module" | sed 's/$/\r/' >"$file"; else printf '%s' "$module" >"$file"; fi
  "$tamvo" "$command" --line $((line + 1)) "$file" >"$work/$name.expected"
  TAMVO="$tamvo" TAMVO_FILE="$file" TAMVO_LINE=$line TAMVO_ACTION="$action" TAMVO_QUICKFIX=$quickfix \
    TAMVO_OUT="$work/$name.out" \
    timeout 60 nvim --headless --clean -n -c "luafile $here/code_action.lua" </dev/null
  if ! cmp "$work/$name.expected" "$work/$name.out"; then
    diff <(od -c "$work/$name.expected") <(od -c "$work/$name.out") | head -20
    echo "nvim: $name: the buffer differs from tamvo $command"
    exit 1
  fi
  if [ "$ends" = crlf ] && grep -qv $'\r$' "$work/$name.out"; then
    echo "nvim: $name: a line lost its CR"
    exit 1
  fi
  echo "nvim: $name: $action matches tamvo $command"
}

run insert-lf lf "Insert doc comment" 7 insert-proc 0
run quickfix-lf lf "Update doc comment" 7 update-proc 1
run quickfix-crlf crlf "Update doc comment" 7 update-proc 1
