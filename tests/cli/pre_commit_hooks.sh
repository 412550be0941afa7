#!/usr/bin/env bash
# The hooks of .pre-commit-hooks.yaml as a user's repository runs them, with
# pre-commit try-repo: lint fails on a stale block, update fixes it, lint
# then passes. Offline: the hooks are of language system.
#   pre_commit_hooks.sh TAMVO_BIN_DIR SOURCE_DIR
set -euo pipefail
command -v pre-commit >/dev/null || { echo "pre-commit is not installed (scripts/install-deps)"; exit 1; }
bin=$(cd "$1" && pwd)
source=$(cd "$2" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export PATH="$bin:$PATH" PRE_COMMIT_HOME="$work/cache" HOME="$work" GIT_CONFIG_NOSYSTEM=1
git config --global user.email test@example.invalid
git config --global user.name test
git config --global safe.directory '*'

repo="$work/repo"
mkdir "$repo" && cd "$repo"
git init -q .
printf "Attribute VB_Name = \"mdlA\"\r\n'/**\r\n' * Adds.\r\n' * @param old - the first\r\n' */\r\nSub Add(a)\r\nEnd Sub\r\n" >mdlA.bas
git add mdlA.bas

hook() { pre-commit try-repo "$source" "$1" --files mdlA.bas 2>&1; }
fail() { echo "FAIL: $*"; exit 1; }

out=$(hook tamvo-lint) && fail "lint passed a stale block: $out"
grep -q 'mdlA.bas:4:5: warning: @param old names no parameter of Add \[param-stale\]' <<<"$out" ||
  fail "lint did not name the stale tag: $out"

out=$(hook tamvo-update) && fail "update left the file as it was: $out"
grep -q "' \* @param a - the first" mdlA.bas || fail "update lost the description: $(cat mdlA.bas)"

out=$(hook tamvo-lint) || fail "lint after update: $out"
out=$(hook tamvo-update) || fail "a second update changed the file: $out"
echo "pre-commit hooks: ok"
