#!/usr/bin/env python3
"""What only tamvo.exe can get wrong, under Wine: a read-only file, hard
links and folders refused by -i; a file name in Japanese; standard input and
output as bytes (a text mode would turn LF into CR LF and back); the
language server's framing over standard input and output. Where Linux gives
the same answer, tamvo on Linux is asked too and the answers must match.

Usage: windows_cases.py LINUX_TAMVO TAMVO_EXE
(Wine's prefix from the environment, as scripts/test-windows sets it.)
"""

import json
import os
import re
import shlex
import shutil
import stat
import subprocess
import sys
import tempfile

# Mixed line ends, Japanese text in UTF-8 and no line end after the last
# line: what comes back when nothing changes must be these bytes.
MODULE = (
    'Attribute VB_Name = "mdlPlain"\r\n'
    "Option Explicit\r\n"
    "' 日本語のコメント\n"
    "Public Sub Run(ByVal n As Long)\r"
    "End Sub\r\n"
    "\r\n"
    "Private Function Twice(ByVal n As Long) As Long\r\n"
    "    Twice = n * 2\r\n"
    "End Function"
).encode("utf-8")
# A module without VB_Name: its file's stem names it.
UNNAMED = "Option Explicit\r\n\r\nPublic Sub Run()\r\nEnd Sub\r\n".encode("utf-8")


def frame(message):
    body = json.dumps(message).encode("utf-8")
    return b"Content-Length: %d\r\n\r\n" % len(body) + body


def frames(data):
    """The bodies of the frames in data; fails on anything else."""
    bodies = []
    while data:
        match = re.match(rb"Content-Length: (\d+)\r\n\r\n", data)
        if not match:
            raise ValueError(f"not a frame: {data[:80]!r}")
        start = match.end()
        end = start + int(match.group(1))
        bodies.append(json.loads(data[start:end]))
        data = data[end:]
    return bodies


LSP_SESSION = b"".join(
    frame(m)
    for m in [
        {"jsonrpc": "2.0", "id": 1, "method": "initialize", "params": {"processId": None, "capabilities": {}}},
        {"jsonrpc": "2.0", "method": "initialized", "params": {}},
        {"jsonrpc": "2.0", "id": 2, "method": "shutdown"},
        {"jsonrpc": "2.0", "method": "exit"},
    ]
)


class Runner:
    def __init__(self, linux, exe, work):
        self.sides = {
            "linux": ([linux], dict(os.environ, XDG_CONFIG_HOME=os.path.join(work, "xdg"), HOME=work)),
            # Wine hands arguments over through the locale.
            "windows": (["wine", exe], dict(os.environ, LANG="C.UTF-8")),
        }
        self.work = work

    def run(self, side, args, stdin=b""):
        command, env = self.sides[side]
        return subprocess.run(command + args, cwd=self.work, env=env, input=stdin, capture_output=True, timeout=120)


def write(path, data, mode=None):
    if os.path.exists(path):
        os.chmod(path, 0o644)
        os.remove(path)
    with open(path, "wb") as f:
        f.write(data)
    if mode is not None:
        os.chmod(path, mode)


def read(path):
    with open(path, "rb") as f:
        return f.read()


def main():
    linux, exe = (os.path.abspath(arg) for arg in sys.argv[1:3])
    work = tempfile.mkdtemp(prefix="tamvo-win-only-")
    runner = Runner(linux, exe, work)
    failures = []

    def check(what, condition, detail=""):
        if not condition:
            failures.append(f"{what}: {detail}")

    try:
        # --version: one line, LF only.
        result = runner.run("windows", ["--version"])
        check("--version", (result.returncode, result.stdout) == (0, b"tamvo 1.0.0\n"), repr(result))

        # Standard input to standard output: a module nothing changes comes
        # back byte for byte, its CR LF, LF and CR and its last line alike.
        result = runner.run("windows", ["delete-header", "-"], MODULE)
        check("delete-header - (unchanged)", (result.returncode, result.stdout) == (0, MODULE), repr(result))
        result = runner.run("windows", ["insert-all", "-"], MODULE)
        expected = runner.run("linux", ["insert-all", "-"], MODULE)
        check("insert-all - < module", result.stdout == expected.stdout and result.returncode == 0, repr(result))

        # Files -i refuses, each left as it was, with Linux's words.
        refused = [
            ("read-only", "readonly.bas", lambda p: write(p, MODULE, stat.S_IRUSR | stat.S_IRGRP | stat.S_IROTH)),
            ("hard link", "linked.bas", lambda p: (write(p, MODULE), os.link(p, p + ".other"))),
        ]
        for what, name, make in refused:
            path = os.path.join(work, name)
            results = {}
            for side in ["linux", "windows"]:
                for leftover in [path, path + ".other"]:
                    if os.path.exists(leftover):
                        os.chmod(leftover, 0o644)
                        os.remove(leftover)
                make(path)
                before = os.stat(path)
                results[side] = runner.run(side, ["insert-all", "-i", name])
                after = os.stat(path)
                check(f"-i on a {what} file ({side})", read(path) == MODULE, "the file changed")
                check(f"-i on a {what} file ({side})", before.st_mtime_ns == after.st_mtime_ns, "rewritten")
            windows = results["windows"]
            check(f"-i on a {what} file", windows.returncode == 3, repr(windows))
            check(f"-i on a {what} file", windows.stderr == results["linux"].stderr,
                  f"{windows.stderr!r} against Linux's {results['linux'].stderr!r}")
            leftovers = [n for n in os.listdir(work) if ".tamvo-" in n]
            check(f"-i on a {what} file", not leftovers, f"temporary files left: {leftovers}")

        folder = os.path.join(work, "folder.bas")
        os.makedirs(folder)
        results = {side: runner.run(side, ["insert-all", "-i", "folder.bas"]) for side in ["linux", "windows"]}
        check("-i on a folder", results["windows"].returncode == 3, repr(results["windows"]))
        check("-i on a folder", results["windows"].stderr == results["linux"].stderr,
              f"{results['windows'].stderr!r} against Linux's {results['linux'].stderr!r}")

        # A Japanese file name: read, named in messages, its stem the
        # module's name, and rewritten in place; as on Linux.
        for side in ["linux", "windows"]:
            os.makedirs(os.path.join(work, side), exist_ok=True)
            write(os.path.join(work, side, "モジュール.bas"), UNNAMED)
        outputs = {}
        for side in ["linux", "windows"]:
            name = f"{side}/モジュール.bas"
            header = runner.run(side, ["insert-header", "--author", "X", name])
            rewrite = runner.run(side, ["insert-all", "-i", name])
            lint = runner.run(side, ["lint", name])
            outputs[side] = (header.returncode, header.stdout, rewrite.returncode, lint.stdout.replace(
                side.encode(), b"SIDE"), read(os.path.join(work, name)))
        check("a Japanese file name", outputs["windows"] == outputs["linux"],
              f"{outputs['windows']!r} against Linux's {outputs['linux']!r}")
        # An ASCII file takes new text in the legacy code page.
        check("a Japanese file name", "モジュール".encode("cp932") in outputs["windows"][1], "not the module's name")

        # A module deeper than MAX_PATH (260) characters, named relative
        # to the folder and by its whole path: read and rewritten in place.
        deep = os.path.join(*(["フォルダ" + "x" * 60] * 5))
        os.makedirs(os.path.join(work, deep))
        for name in [os.path.join(deep, "m.bas"), "Z:" + os.path.join(work, deep, "m.bas").replace("/", "\\")]:
            write(os.path.join(work, deep, "m.bas"), UNNAMED)
            result = runner.run("windows", ["insert-all", "-i", name])
            check(f"a path of {len(name)} characters", result.returncode == 0 and read(
                os.path.join(work, deep, "m.bas")).count(b"'/**") == 1, repr(result))
            check(f"a path of {len(name)} characters", os.listdir(os.path.join(work, deep)) == ["m.bas"],
                  "a temporary file left")

        # The author is remembered where the add-in keeps it (VBA's
        # SaveSetting store): a name set there is the command line's, and
        # one the command line is given is there for the next run.
        wine_env = runner.sides["windows"][1]
        key = r"HKCU\Software\VB and VBA Program Settings\tamv\settings"
        subprocess.run(["wine", "reg", "add", key, "/v", "auther", "/t", "REG_SZ", "/d", "エディタの作者", "/f"],
                       env=wine_env, capture_output=True, check=True)
        write(os.path.join(work, "author.bas"), UNNAMED)
        result = runner.run("windows", ["insert-header", "author.bas"])
        check("the add-in's author", "エディタの作者".encode("cp932") in result.stdout, repr(result))
        runner.run("windows", ["insert-header", "--author", "山田", "author.bas"])
        result = runner.run("windows", ["insert-header", "author.bas"])
        check("the author remembered", "山田".encode("cp932") in result.stdout, repr(result))
        query = subprocess.run(["wine", "reg", "query", key, "/v", "auther"], env=wine_env, capture_output=True)
        check("the author remembered in the add-in's key", query.returncode == 0 and b"auther" in query.stdout,
              repr(query))
        subprocess.run(["wine", "reg", "delete", key, "/f"], env=wine_env, capture_output=True)

        # Wildcards, which no Windows shell expands: every match, in the
        # order the folder lists them (so compared as a set here); a
        # pattern that matches nothing is taken as a name.
        os.makedirs(os.path.join(work, "glob"))
        for name in ["a.bas", "b.bas", "c.cls"]:
            write(os.path.join(work, "glob", name), UNNAMED)
        expected = runner.run("linux", ["coverage", "glob/a.bas", "glob/b.bas"])
        result = runner.run("windows", ["coverage", "glob/*.bas"])
        check("a wildcard", (result.returncode, sorted(result.stdout.replace(b"\\", b"/").splitlines())) == (
            0, sorted(expected.stdout.splitlines())), repr(result))
        result = runner.run("windows", ["coverage", "glob/*.frm"])
        check("a wildcard that matches nothing", result.returncode == 3 and b"glob/*.frm" in result.stderr,
              repr(result))

        # A file outside the folder SARIF's paths are relative to is named
        # by a whole file URI: three slashes, then the drive.
        outside = tempfile.mkdtemp(prefix="tamvo-outside-")
        try:
            write(os.path.join(outside, "m.bas"), UNNAMED)
            windows_name = subprocess.run(["winepath", "-w", os.path.join(outside, "m.bas")],
                                          env=runner.sides["windows"][1], capture_output=True, check=True)
            result = runner.run("windows", ["lint", "--format", "sarif", windows_name.stdout.decode().strip()])
            uris = re.findall(rb'"uri": "([^"]*)"', result.stdout)
            check("a SARIF URI outside the repository", uris and all(
                uri.startswith(b"file:///Z%3A/") for uri in uris), repr(result))
        finally:
            shutil.rmtree(outside, ignore_errors=True)

        # A console: text goes to it as UTF-16 (WriteConsoleW), so that a
        # Japanese name reaches the terminal Wine draws its console on whole
        # (bytes written as they are would be read in the console's code
        # page). script gives Wine a terminal.
        write(os.path.join(work, "日本.bas"), UNNAMED)
        command = " ".join(shlex.quote(word) for word in ["wine", exe, "lint", "日本.bas"])
        result = subprocess.run(["script", "-qec", command, "/dev/null"], cwd=work, env=runner.sides["windows"][1],
                                stdin=subprocess.DEVNULL, capture_output=True, timeout=120)
        shown = re.sub(rb"\x1b\[[0-9;?]*[A-Za-z]", b"", result.stdout)
        check("a console", "日本.bas:3:1: warning:".encode() in shown, repr(result.stdout))

        # The language server over standard input and output.
        results = {side: runner.run(side, ["lsp"], LSP_SESSION) for side in ["linux", "windows"]}
        windows = results["windows"]
        try:
            replies = frames(windows.stdout)
            check("lsp", [r.get("id") for r in replies] == [1, 2], repr(replies))
            check("lsp", "capabilities" in replies[0].get("result", {}), repr(replies[0]))
        except ValueError as error:
            check("lsp", False, str(error))
        check("lsp", windows.returncode == 0, repr(windows))
        check("lsp", windows.stdout == results["linux"].stdout, "answers differ from Linux's")
    finally:
        for root, _, names in os.walk(work):
            for name in names:
                os.chmod(os.path.join(root, name), 0o644)
        shutil.rmtree(work, ignore_errors=True)

    for failure in failures:
        print(failure, file=sys.stderr)
    print(f"Windows-only cases: {len(failures)} failures")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
