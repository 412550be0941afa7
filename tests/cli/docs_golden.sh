#!/usr/bin/env bash
# tamvo docs on the example project gives the golden pages byte for byte,
# in another time zone and from another folder alike.
# Usage: docs_golden.sh TAMVO SOURCE_DIR
set -euo pipefail
tamvo=$1
project=$2/examples/project
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$project"
files=(mdlMath.bas clsCounter.cls legacy/mdlMath.bas)
TZ=Asia/Tokyo "$tamvo" docs -o "$work/md" "${files[@]}"
TZ=UTC "$tamvo" docs --format html -o "$work/html" "${files[@]}"
diff -r "$project/docs" "$work/md"
diff -r "$project/html" "$work/html"
