#!/usr/bin/env python3
"""A Markdown page reads back as the text written: summary lines that
Markdown would take as markup, through tamvo docs and Debian's cmark, come
out as paragraphs of the same text.

Usage: markdown_readback.py TAMVO"""

import html
import os
import re
import subprocess
import sys
import tempfile

LINES = [
    "# not a heading", "- not a list", "+ nor this", "1. nor a numbered list", "2) nor this",
    "> not a quote", "*not emphasis* and _not_ __bold__", "`not code`", "[not](a link) ![nor](an image)",
    "<b>not a tag</b> &amp; not an entity", "a | pipe and a ~~strike~~", "=== not a heading underline",
    "---", "a \\ backslash and \\* an escape", "見出しではない # 日本語 *テキスト*",
]


def main(tamvo):
    with tempfile.TemporaryDirectory() as work:
        module = os.path.join(work, "mdlText.bas")
        body = "".join(f"' * {line}\r\n' *\r\n" for line in LINES)
        with open(module, "w", encoding="utf-8", newline="") as f:
            f.write("Attribute VB_Name = \"mdlText\"\r\n'/**\r\n" + body + "' */\r\nPublic Sub S()\r\nEnd Sub\r\n")
        subprocess.run([tamvo, "docs", "-o", os.path.join(work, "out"), module], check=True)
        with open(os.path.join(work, "out", "mdlText.md"), encoding="utf-8") as f:
            rendered = subprocess.run(["cmark"], input=f.read(), capture_output=True, text=True, check=True).stdout
    paragraphs = {html.unescape(re.sub(r"<[^>]+>", "", p)) for p in re.findall(r"<p>(.*?)</p>", rendered, re.S)}
    missing = [line for line in LINES if line not in paragraphs]
    for line in missing:
        print(f"did not read back: {line!r}", file=sys.stderr)
    return 1 if missing else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
