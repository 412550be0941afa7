#!/usr/bin/env bash
# The README's commands that build and install the Visual Studio Code
# extension, as written: the block after "<!-- recipe: vscode -->". They run
# in a copy of the repository's editors/vscode (its packages from the lock
# file); the last, `code --install-extension FILE`, needs the editor, so it
# is checked to name the package the others made.
# Usage: readme_recipe.sh SOURCE_DIR
set -euo pipefail
source_dir=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
  echo "README.md, the block after <!-- recipe: vscode -->: $*" >&2
  exit 1
}

mapfile -t lines < <(awk '/^<!-- recipe: vscode -->$/ { found = 1; next }
                          found && /^```/ { if (inside) exit; inside = 1; next }
                          inside' "$source_dir/README.md")
((${#lines[@]} == 4)) || fail "expected four commands, found ${#lines[@]}"
[[ ${lines[0]} == "cd editors/vscode" ]] || fail "not 'cd editors/vscode': ${lines[0]}"
[[ ${lines[3]} =~ ^code\ --install-extension\ ([^ ]+)$ ]] || fail "not 'code --install-extension FILE': ${lines[3]}"
package=${BASH_REMATCH[1]}

mkdir -p "$work/editors"
cp -r "$source_dir/editors/vscode" "$work/editors/"
rm -rf "$work/editors/vscode/node_modules" "$work/editors/vscode/"*.vsix
cd "$work"
for line in "${lines[@]:0:3}"; do
  echo "+ $line"
  eval "$line" >/dev/null
done
[[ -f $package ]] || fail "no $package after the commands above"
python3 - "$package" <<'PY'
import json, sys, zipfile
with zipfile.ZipFile(sys.argv[1]) as vsix:
    manifest = json.loads(vsix.read('extension/package.json'))
    assert manifest['name'] == 'tamvo', manifest['name']
    assert 'extension/extension.js' in vsix.namelist()
PY
echo "the README's Visual Studio Code commands make $package"
