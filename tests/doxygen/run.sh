#!/usr/bin/env bash
# Doxygen reads the filtered test modules: every brief and every parameter's
# description must arrive under its own procedure, and doxygen must warn
# about nothing.
# Usage: run.sh TAMVO SOURCE_DIR
set -euo pipefail
tamvo=$1
here=$2/tests/doxygen
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cat > "$work/Doxyfile" <<DOXYFILE
INPUT             = $here/mdlText.bas $here/clsAccount.cls $here/mdlJapanese.bas
FILE_PATTERNS     = *.bas *.cls *.frm
EXTENSION_MAPPING = bas=C++ cls=C++ frm=C++
FILTER_PATTERNS   = "*.bas=$tamvo doxygen-filter" "*.cls=$tamvo doxygen-filter" "*.frm=$tamvo doxygen-filter"
OUTPUT_DIRECTORY  = $work/out
GENERATE_XML      = YES
GENERATE_HTML     = NO
GENERATE_LATEX    = NO
QUIET             = YES
WARN_LOGFILE      = $work/warnings
DOXYFILE
doxygen "$work/Doxyfile" >"$work/output" 2>&1 || { cat "$work/output"; exit 1; }
if [ -s "$work/warnings" ] || grep -qi warning "$work/output"; then
  echo "doxygen warned:"; cat "$work/warnings" "$work/output"; exit 1
fi
python3 "$here/check_xml.py" "$work/out/xml"
