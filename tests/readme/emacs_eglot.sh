#!/usr/bin/env bash
# Emacs with eglot (Debian's elpa-eglot), set up with nothing but the README's
# snippet: a .bas file opens in its mode, M-x eglot starts tamvo lsp (found on
# the PATH), its findings reach Flymake, eldoc shows the block of a procedure
# of another module at its call (hover) and in its arguments (signature
# help), and the actions picked with M-x
# eglot-code-actions leave the buffer as the command line writes the file,
# the module header with the snippet's author.
#   bash emacs_eglot.sh TAMVO README
set -euo pipefail
tamvo=$(realpath "$1")
readme=$2
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME=$work XDG_CONFIG_HOME=$work/config PATH="$(dirname "$tamvo"):$PATH"
mkdir -p "$work/.emacs.d"
python3 "$here/recipe.py" "$readme" emacs >"$work/.emacs.d/init.el"
author=$(sed -n 's/.*:author "\([^"]*\)".*/\1/p' "$work/.emacs.d/init.el")
[ -n "$author" ] || { echo "emacs: the README's snippet names no author"; exit 1; }

# A module that calls a procedure of another, both in the project's folder
# (eglot's root, as the folder is in no version control: the module's).
project=$work/project
mkdir "$project"
# The callee, documented (shared with the other editor's test).
cp "$here/../lsp/fixtures/mdlMath.bas" "$project/mdlMath.bas"
file=$project/mdlMain.bas
printf '%s' 'Attribute VB_Name = "mdlMain"
Option Explicit

Public Function Twice(ByVal n As Long) As Long
    Twice = n * 2 '"'"' 足し算 𠮷
End Function

Public Sub Main()
    Dim x As Long
    x = Add(1, 2)
End Sub
' >"$file"
tamvo update-proc --line 4 "$file" >"$work/step.bas"
tamvo insert-header --author "$author" "$work/step.bas" >"$work/expected"

# --user '' starts as the user's Emacs does: the site start, the installed
# packages (elpa-eglot) and ~/.emacs.d/init.el, which --batch alone skips.
(cd "$work" && TAMVO_FILE=$file TAMVO_OUT=$work/out TAMVO_ACTIONS="Update doc comment|Insert module header" \
  timeout 30 emacs --batch --user '' -l "$here/emacs_eglot.el" </dev/null) >"$work/log" 2>&1 ||
  { cat "$work/log"; echo "emacs: eglot did not get through"; exit 1; }
if ! cmp "$work/expected" "$work/out"; then
  diff "$work/expected" "$work/out" || true
  echo "emacs: the buffer differs from tamvo update-proc, then insert-header"
  exit 1
fi
echo "emacs: eldoc's hover and signature help across modules, and eglot's actions, match"
