#!/usr/bin/env bash
# The README's install commands work as written. They are the three lines
# of the code block after "<!-- install -->": configure a release tree,
# build it, install tamvo into a prefix. A release build takes minutes, so
# this runs the configure line as written (into a scratch folder), checks
# that the build and install lines name the tree it configures, and runs
# the install line on the tree ctest already built, into a scratch prefix,
# where tamvo must then run.
# Usage: readme_install.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
source_dir=$1
build_dir=$(realpath "$2")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
  echo "README.md, the block after <!-- install -->: $*" >&2
  exit 1
}

mapfile -t lines < <(awk '/^<!-- install -->$/ { found = 1; next }
                          found && /^```/ { if (inside) exit; inside = 1; next }
                          inside' "$source_dir/README.md")
((${#lines[@]} == 3)) || fail "expected three commands, found ${#lines[@]}"
configure=${lines[0]} build=${lines[1]} install=${lines[2]}
[[ $configure =~ ^cmake\ -S\ \.\ -B\ ([^ ]+)\ (.*)$ ]] || fail "not 'cmake -S . -B DIR ...': $configure"
tree=${BASH_REMATCH[1]}
options=${BASH_REMATCH[2]}
[[ $build == "cmake --build $tree" ]] || fail "not 'cmake --build $tree': $build"
prefix=${install#"cmake --install $tree --prefix "}
[[ $prefix != "$install" && $prefix =~ ^[^\ ]+$ ]] || fail "not 'cmake --install $tree --prefix PREFIX': $install"

cd "$source_dir"
# The options are words without quotes, as a shell splits them.
# shellcheck disable=SC2086
cmake -S . -B "$work/tree" $options >/dev/null
grep -q '^CMAKE_BUILD_TYPE:STRING=Release$' "$work/tree/CMakeCache.txt" || fail "the tree is not a release build"
cmake --install "$build_dir" --prefix "$work/prefix" >/dev/null
version=$("$work/prefix/bin/tamvo" --version)
[[ $version == "tamvo "* ]] || fail "the installed tamvo says '$version' to --version"
