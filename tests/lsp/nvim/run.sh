#!/usr/bin/env bash
# Neovim as the client, set up with nothing but the README's init.lua: the
# snippet gives .bas and .cls files their file type and attaches tamvo lsp
# (found on the PATH, as a user's would be); a code action applied in the
# editor leaves the same bytes as the command line writes, for modules with
# LF and with CR LF line ends. Then, in a folder of two modules, hover,
# signature help, definition and completion across them (navigation.lua).
#   bash run.sh TAMVO README
set -euo pipefail
tamvo=$(realpath "$1")
readme=$2
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data XDG_STATE_HOME=$work/state \
  XDG_CACHE_HOME=$work/cache PATH="$(dirname "$tamvo"):$PATH"
mkdir -p "$XDG_CONFIG_HOME/nvim"
python3 "$here/../../readme/recipe.py" "$readme" neovim >"$XDG_CONFIG_HOME/nvim/init.lua"
author=$(sed -n "s/.*author = '\([^']*\)'.*/\1/p" "$XDG_CONFIG_HOME/nvim/init.lua")
[ -n "$author" ] || { echo "nvim: the README's init.lua names no author"; exit 1; }

procedures='Option Explicit

'"'"'/**
'"'"' * 合計を返す.
'"'"' * @param x - 𠮷の値
'"'"' */
Public Function Add(ByVal a As Long, ByVal b As Long) As Long
    Add = a + b '"'"' 足し算
End Function
'
# A standard module, and a class module as the editor exports it (Neovim 0.7
# takes a .cls file for Smalltalk unless told otherwise).
bas='Attribute VB_Name = "mdlSample"
'$procedures
cls='VERSION 1.0 CLASS
BEGIN
  MultiUse = -1  '"'"'True
END
Attribute VB_Name = "clsSample"
'$procedures

# file, line ends, action, 0-based line, quick fix expected, command...
run() {
  local name=$1 ends=$2 action=$3 line=$4 quickfix=$5
  shift 5
  local text=$bas file=$work/$name.bas
  case $name in *.cls) text=$cls file=$work/$name ;; esac
  if [ "$ends" = crlf ]; then printf '%s' "$text" | sed 's/$/\r/' >"$file"; else printf '%s' "$text" >"$file"; fi
  tamvo "$@" "$file" >"$work/$name.expected" 2>"$work/$name.err"
  (cd "$work" && TAMVO_LINE=$line TAMVO_ACTION="$action" TAMVO_QUICKFIX=$quickfix TAMVO_OUT="$work/$name.out" \
    timeout 30 nvim --headless -n "$file" -c "luafile $here/code_action.lua" </dev/null)
  if ! cmp "$work/$name.expected" "$work/$name.out"; then
    diff <(od -c "$work/$name.expected") <(od -c "$work/$name.out") | head -20
    echo "nvim: $name: the buffer differs from tamvo $*"
    exit 1
  fi
  if [ "$ends" = crlf ] && grep -qv $'\r$' "$work/$name.out"; then
    echo "nvim: $name: a line lost its CR"
    exit 1
  fi
  echo "nvim: $name: $action matches tamvo $*"
}

run update lf "Update doc comment" 7 0 update-proc --line 8
run quickfix lf "Update doc comment" 7 1 update-proc --line 8
run quickfix.cls crlf "Update doc comment" 11 1 update-proc --line 12
run header.cls crlf "Insert module header" 0 0 insert-header --author "$author"

# Two modules in a folder of their own, Neovim started there (the snippet's
# root_dir is the working directory) on the one that calls the other.
project=$work/project
mkdir "$project"
# The callee, documented (shared with the other editor's test).
cp "$here/../fixtures/mdlMath.bas" "$project/mdlMath.bas"
printf '%s' 'Attribute VB_Name = "mdlMain"
Option Explicit

Public Sub Main()
    Dim x As Long
    x = Add(1, 2)
End Sub

Public Function Twice(ByVal n As Long) As Long
    Twice = n * 2
End Function
' >"$project/mdlMain.bas"
# The block completion writes is the one update-proc writes, on the line
# "'/**" was typed on: the empty line above Twice.
tamvo update-proc --line 9 "$project/mdlMain.bas" | sed '8{/^$/d}' >"$work/navigation.expected"
(cd "$project" && TAMVO_OUT="$work/navigation.out" \
  timeout 30 nvim --headless -n mdlMain.bas -c "luafile $here/navigation.lua" </dev/null)
if ! diff "$work/navigation.expected" "$work/navigation.out"; then
  echo "nvim: the block completion wrote differs from tamvo update-proc"
  exit 1
fi
echo "nvim: hover, signature help and definition across modules, and completion, as expected"
