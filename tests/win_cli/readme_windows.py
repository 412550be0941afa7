#!/usr/bin/env python3
"""The README's commands for a command prompt ("The command line on
Windows", the block after <!-- windows-commands -->), run as written under
Wine through cmd, with tamvo.exe in a folder on the PATH as the README says
to put it, on a copy of the example project in src\\.

Usage: readme_windows.py TAMVO_EXE README
(Wine's prefix from the environment, as scripts/test-windows sets it.)
"""

import os
import re
import shutil
import subprocess
import sys
import tempfile

from windows_cases import LSP_SESSION, frames

HERE = os.path.dirname(os.path.abspath(__file__))
EXAMPLE = os.path.join(HERE, "..", "..", "examples", "project")


def commands(readme):
    with open(readme, encoding="utf-8") as f:
        text = f.read()
    block = re.search(r"<!-- windows-commands -->\n```bat\n(.*?)```", text, re.S)
    if not block:
        sys.exit("readme_windows.py: no <!-- windows-commands --> block in the README")
    return [line for line in block.group(1).splitlines() if line.strip()]


def main():
    tamvo_exe, readme = sys.argv[1:3]
    lines = commands(readme)
    failures = []
    with tempfile.TemporaryDirectory() as work:
        # tamvo.exe in a folder of its own on the PATH; the project in src\.
        os.mkdir(os.path.join(work, "bin"))
        shutil.copy(tamvo_exe, os.path.join(work, "bin", "tamvo.exe"))
        shutil.copytree(EXAMPLE, os.path.join(work, "src"))
        env = dict(os.environ, LANG="C.UTF-8")
        env["WINEPATH"] = subprocess.run(["winepath", "-w", os.path.join(work, "bin")], capture_output=True,
                                         text=True, check=True).stdout.strip()
        module = os.path.join(work, "src", "mdlMath.bas")
        for line in lines:
            before = open(module, "rb").read()
            stdin = LSP_SESSION if line.split()[:2] == ["tamvo", "lsp"] else b""
            run = subprocess.run(["wine", "cmd", "/c", line], cwd=work, env=env, input=stdin,
                                 capture_output=True, timeout=120)
            said = run.stdout.decode("utf-8", "replace") + run.stderr.decode("utf-8", "replace")
            if line.startswith("tamvo insert-all -i"):
                ok = run.returncode == 0 and open(module, "rb").read() != before
            elif line.startswith("tamvo lint"):
                # Each of the project's modules is read (the wildcards are
                # tamvo.exe's to expand): a finding or none, no failure.
                ok = run.returncode in (0, 1) and "can't read" not in said
            elif line == "tamvo lsp":
                ok = run.returncode == 0 and [r.get("id") for r in frames(run.stdout)] == [1, 2]
            else:
                ok = False
                said = "a command this test doesn't know: teach it what the command should do"
            print(f"{'ok' if ok else 'FAIL'}: {line}")
            if not ok:
                failures.append(f"{line}: exit {run.returncode}: {said[:500]}")
    for failure in failures:
        print(failure, file=sys.stderr)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
