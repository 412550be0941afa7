#!/usr/bin/env bash
# The README's pre-commit configuration as written, only its repo URL pointing
# at this repository, in a VBA project of two modules: one with a stale block,
# one documented by hand in a plain comment, with a Private helper. The first
# run fails: lint names the findings, update renames the stale tag and adopts
# the comment into a block. A .tamvo.toml that turns off the rules asking for
# the words still missing lets them pass; once the words are written and
# committed, the hooks pass without it; autoupdate pins the rev to a commit.
# Offline: the hooks are of language system, tamvo comes from the build.
#   pre_commit_hooks.sh TAMVO_BIN_DIR SOURCE_DIR README
set -euo pipefail
command -v pre-commit >/dev/null || { echo "pre-commit is not installed (scripts/install-deps)"; exit 1; }
bin=$(cd "$1" && pwd)
source=$(cd "$2" && pwd)
readme=$(realpath "$3")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export PATH="$bin:$PATH" PRE_COMMIT_HOME="$work/cache" HOME="$work" GIT_CONFIG_NOSYSTEM=1
git config --global user.email test@example.invalid
git config --global user.name test
git config --global safe.directory '*'
git config --global init.defaultBranch main
fail() { echo "FAIL: $*"; exit 1; }

repo="$work/repo"
mkdir "$repo" && cd "$repo"
git init -q .
python3 "$source/tests/readme/recipe.py" "$readme" pre-commit |
  sed -E "s#^( *- repo: )[^ ]+#\1file://$source#" >.pre-commit-config.yaml
[ "$(grep -c "repo: file://$source" .pre-commit-config.yaml)" = 1 ] ||
  fail "the README's configuration names no one repo: $(cat .pre-commit-config.yaml)"

printf "Attribute VB_Name = \"mdlA\"\r\n'/**\r\n' * Adds.\r\n' * @param old - the first\r\n' */\r\nSub Add(a)\r\nEnd Sub\r\n" >mdlA.bas
printf "Attribute VB_Name = \"mdlMath\"\r\nOption Explicit\r\n\r\n' 二つの数を足す.\r\nPublic Function Sum(ByVal a As Long, ByVal b As Long) As Long\r\n    Sum = a + b\r\nEnd Function\r\n\r\nPrivate Sub Helper(ByVal x As Long)\r\nEnd Sub\r\n" >mdlMath.bas
git add . && git commit -qm project

out=$(pre-commit run --all-files 2>&1) && fail "the first run passed: $out"
grep -q 'mdlA.bas:4:5: warning: @param old names no parameter of Add \[param-stale\]' <<<"$out" ||
  fail "lint did not name the stale tag: $out"
grep -q 'mdlMath.bas:5:1: warning: Sum has no doc block \[missing-doc\]' <<<"$out" ||
  fail "lint did not name the undocumented function: $out"
! grep -q Helper <<<"$out" || fail "lint reported a Private procedure under --scope public: $out"
grep -q "' \* @param a - the first" mdlA.bas || fail "update lost the description: $(cat mdlA.bas)"
grep -q "^' \* 二つの数を足す\." mdlMath.bas && ! grep -q "^' 二つの数を足す" mdlMath.bas ||
  fail "update did not adopt the comment: $(cat mdlMath.bas)"

git commit -qam "tamvo update"
out=$(pre-commit run --all-files 2>&1) && fail "lint passed the words still missing: $out"
grep -q 'mdlMath.bas:.*@param a of Sum says nothing \[param-undescribed\]' <<<"$out" ||
  fail "lint did not ask for the words of @param a: $out"

# The hooks run tamvo, which takes the project's .tamvo.toml: with the rules
# that ask for those words turned off, they pass.
printf 'disable = ["param-undescribed", "return-undescribed"]\n' >.tamvo.toml
out=$(pre-commit run --all-files 2>&1) || fail "the hooks did not take .tamvo.toml: $out"
rm .tamvo.toml

# What a person writes where lint points.
sed -i -E "s/^(' \* @return) ?\r$/\1 the sum\r/; s/^(' \* @param [ab])\r$/\1 - a number\r/" mdlMath.bas
git commit -qam "Sum described"
out=$(pre-commit run --all-files 2>&1) || fail "the hooks fail on a documented project: $out $(cat mdlMath.bas)"
git diff --quiet || fail "the passing run changed files: $(git diff)"

pre-commit autoupdate >/dev/null 2>&1 || fail "autoupdate: $(pre-commit autoupdate 2>&1)"
grep -q "rev: $(git -C "$source" rev-parse HEAD)$" .pre-commit-config.yaml ||
  fail "autoupdate did not pin rev to the newest commit: $(cat .pre-commit-config.yaml)"
echo "pre-commit hooks: ok"
