#!/usr/bin/env bash
# Replays each command-line transcript of the README: the block after a
# "<!-- transcript: FILE -->" line runs in a folder holding a copy of FILE,
# and every "$ " command must print what the README shows under it.
# Usage: readme_transcript.sh TAMVO_DIR SOURCE_DIR
set -euo pipefail
tamvoDir=$(cd "$1" && pwd)
source=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export PATH="$tamvoDir:$PATH"

python3 - "$source/README.md" "$work" <<'PY'
import pathlib, re, sys
readme, work = sys.argv[1], pathlib.Path(sys.argv[2])
text = pathlib.Path(readme).read_text(encoding="utf-8")
found = re.findall(r"<!-- transcript: (\S+) -->\n```\n(.*?)```", text, re.S)
if not found:
    sys.exit("no transcript in the README")
for n, (file, body) in enumerate(found):
    (work / f"{n}.file").write_text(file)
    (work / f"{n}.transcript").write_text(body)
PY

failed=0
for transcript in "$work"/*.transcript; do
  n=$(basename "$transcript" .transcript)
  file=$(cat "$work/$n.file")
  folder="$work/run$n"
  mkdir "$folder"
  cp "$source/$file" "$folder/"
  # Each command's output as the README writes it, then as tamvo prints it.
  expected="$work/$n.expected"
  actual="$work/$n.actual"
  : >"$expected"
  : >"$actual"
  while IFS= read -r line; do
    if [[ $line == '$ '* ]]; then
      echo "$line" >>"$expected"
      echo "$line" >>"$actual"
      (cd "$folder" && bash -c "${line#\$ }" >>"$actual" 2>&1) || true
    else
      echo "$line" >>"$expected"
    fi
  done <"$transcript"
  if ! diff -u "$expected" "$actual"; then
    echo "the README's transcript on $file differs from what tamvo prints" >&2
    failed=1
  fi
done
exit $failed
