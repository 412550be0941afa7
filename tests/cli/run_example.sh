#!/usr/bin/env bash
# The README's first command, run as written: it must print the bundled
# example documented, every word of the comments written in it kept, and
# say nothing on standard error but what the shell traces.
# Usage: run_example.sh SOURCE_DIR
set -euo pipefail
source=$1
out=$(mktemp)
err=$(mktemp)
trap 'rm -f "$out" "$err"' EXIT
bash "$source/scripts/run-example" >"$out" 2>"$err"
if grep -v '^+ ' "$err" | grep -q 'replaced\|removed\|tamvo:'; then
  echo "the example's run told of lines it took:" >&2
  cat "$err" >&2
  exit 1
fi
# Each comment line of the example, its text after the mark, is in the result.
status=0
while IFS= read -r text; do
  if ! grep -qF -- "$text" "$out"; then
    echo "lost from the example: $text" >&2
    status=1
  fi
done < <(grep "^'" "$source/examples/mdlSample.bas" | sed "s/^' \{0,1\}//; s/\r$//" | grep -v '^$')
grep -q "^' \* @param amount 加える額" "$out" || { echo "no block took the comment's tag" >&2; status=1; }
exit $status
