#!/usr/bin/env python3
"""tamvo.exe under Wine against tamvo on Linux: the same commands on the same
modules must give the same standard output, standard error and exit code,
byte for byte, and write the same files.

Both run in one scratch folder holding copies of examples/ and
tests/cli/descriptions/ and a module in cp932, and are given the same
relative names, so that messages name files alike. Each has a settings
store of its own, emptied first: the commands remember an author in the
same order on both sides.

Usage: compare.py LINUX_TAMVO TAMVO_EXE SOURCE_DIR
(Wine's prefix and settings from the environment, as scripts/test-windows
sets them.)
"""

import os
import re
import shutil
import subprocess
import sys
import tempfile

FOLDERS = ["examples", "tests/cli/descriptions"]
MODULE = re.compile(r"\.(bas|cls|frm)$")
# A procedure's first line, where the line commands find their procedure.
DECLARATION = re.compile(
    rb"^\s*((Public|Private|Friend)\s+)?(Static\s+)?(Sub|Function|Property\s+(Get|Let|Set))\s", re.IGNORECASE
)


# Where tamvo.exe remembers the author: the add-in's registry key.
AUTHOR_KEY = r"HKCU\Software\VB and VBA Program Settings\tamv"


def forget_author(env):
    """Empties tamvo.exe's settings in Wine's prefix: the registry key the
    add-in keeps the author under."""
    subprocess.run(["wine", "reg", "delete", AUTHOR_KEY, "/f"], env=env, capture_output=True)


def lines_to_try(path):
    """Line 1 (before any procedure, or in the first one), each procedure's
    declaration, the line after it and the last line."""
    with open(path, "rb") as module:
        lines = module.read().splitlines()
    chosen = {1, len(lines)}
    for number, text in enumerate(lines, 1):
        if DECLARATION.match(text):
            chosen.update({number, min(number + 1, len(lines))})
    return sorted(chosen)


def cases(work, modules):
    """(arguments, standard input file or None), in the order both run them."""
    yield ["--version"], None
    yield ["--help"], None
    yield ["lint", "--help"], None
    yield ["insert-all"], None  # a usage error
    yield ["insert-proc", "--line", "x", modules[0]], None
    for module in modules:
        for command in ["insert-all", "delete-all", "delete-header", "update-all", "update-header"]:
            yield [command, module], None
        yield ["insert-header", "--author", "X", module], None
        yield ["update-header", module], None  # the author just remembered
        yield ["lint", module], None
        yield ["lint", "--format", "json", module], None
        yield ["coverage", module], None
        for line in lines_to_try(os.path.join(work, module)):
            for command in ["insert-proc", "delete-proc", "update-proc"]:
                yield [command, "--line", str(line), module], None
    yield ["insert-all", "-"], modules[0]
    yield ["lint", *modules], None
    yield ["lint", "--format", "json", *modules], None
    yield ["coverage", "--format", "json", *modules], None
    yield ["update-all", "--check", *modules], None
    yield ["docs", "-o", "pages-{side}", *modules], None
    yield ["docs", "--format", "html", "-o", "html-{side}", *modules], None
    yield ["insert-all", "-i", *[f"copy-{{side}}/{module}" for module in modules]], None


def run(command, args, stdin, work, env):
    with open(os.path.join(work, stdin), "rb") if stdin else open(os.devnull, "rb") as source:
        return subprocess.run(command + args, cwd=work, env=env, stdin=source, capture_output=True, timeout=120)


def tree(folder):
    """Every file below folder, by its relative name, with its bytes."""
    files = {}
    for root, _, names in os.walk(folder):
        for name in names:
            path = os.path.join(root, name)
            with open(path, "rb") as f:
                files[os.path.relpath(path, folder)] = f.read()
    return files


def main():
    linux, exe, source = (os.path.abspath(arg) for arg in sys.argv[1:4])
    work = tempfile.mkdtemp(prefix="tamvo-win-cli-")
    try:
        for folder in FOLDERS:
            shutil.copytree(os.path.join(source, folder), os.path.join(work, folder))
        # A module in cp932, with Japanese text in comments and strings.
        with open(os.path.join(source, "examples", "mdlSample.bas"), encoding="utf-8", newline="") as f:
            text = f.read()
        os.makedirs(os.path.join(work, "cp932"))
        with open(os.path.join(work, "cp932", "mdlSample932.bas"), "w", encoding="cp932", newline="") as f:
            f.write(text)
        modules = sorted(
            os.path.relpath(os.path.join(root, name), work)
            for root, _, names in os.walk(work)
            for name in names
            if MODULE.search(name)
        )
        for side in ["linux", "windows"]:
            for module in modules:
                copy = os.path.join(work, f"copy-{side}", module)
                os.makedirs(os.path.dirname(copy), exist_ok=True)
                shutil.copyfile(os.path.join(work, module), copy)

        linux_env = dict(os.environ, XDG_CONFIG_HOME=os.path.join(work, "xdg"), HOME=work)
        wine_env = dict(os.environ, LANG="C.UTF-8")
        forget_author(wine_env)
        sides = {"linux": ([linux], linux_env), "windows": (["wine", exe], wine_env)}

        failures = 0
        count = 0
        for args, stdin in cases(work, modules):
            results = {}
            for side, (command, env) in sides.items():
                result = run(command, [arg.format(side=side) for arg in args], stdin, work, env)
                # Each side's own folder, named alike.
                for what in ["stdout", "stderr"]:
                    setattr(result, what, getattr(result, what).replace(f"-{side}/".encode(), b"-{side}/"))
                results[side] = result
            count += 1
            a, b = results["linux"], results["windows"]
            for what in ["returncode", "stdout", "stderr"]:
                if getattr(a, what) != getattr(b, what):
                    failures += 1
                    print(f"tamvo {' '.join(args)}: {what} differs", file=sys.stderr)
                    print(f"  linux:   {getattr(a, what)!r:.2000}", file=sys.stderr)
                    print(f"  windows: {getattr(b, what)!r:.2000}", file=sys.stderr)
        for folder in ["pages", "html", "copy"]:
            count += 1
            linux_files = tree(os.path.join(work, f"{folder}-linux"))
            windows_files = tree(os.path.join(work, f"{folder}-windows"))
            if not linux_files or linux_files != windows_files:
                failures += 1
                differing = sorted(
                    name
                    for name in set(linux_files) | set(windows_files)
                    if linux_files.get(name) != windows_files.get(name)
                )
                print(f"{folder}: files differ: {differing or 'none written'}", file=sys.stderr)
        print(f"{count} comparisons, {failures} differences, {len(modules)} modules")
        return 1 if failures else 0
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
