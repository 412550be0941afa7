#!/usr/bin/env python3
"""Prints a recipe of the README as a reader copies it: the fenced block right
after the line `<!-- recipe: NAME -->`, without its fences.
  recipe.py README NAME"""
import json
import os
import re
import shutil
import subprocess
import sys


def recipe(text, name):
    lines = text.splitlines()
    marker = f'<!-- recipe: {name} -->'
    at = [i for i, line in enumerate(lines) if line.strip() == marker]
    if len(at) != 1:
        sys.exit(f'{marker} is in the README {len(at)} times, not once')
    i = at[0] + 1
    while i < len(lines) and not lines[i].strip():
        i += 1
    fence = re.match(r'^(```+|~~~+)', lines[i]) if i < len(lines) else None
    if not fence:
        sys.exit(f'no fenced block after {marker}')
    body = []
    for line in lines[i + 1:]:
        if line.startswith(fence.group(1)):
            return '\n'.join(body) + '\n'
        body.append(line)
    sys.exit(f'the block after {marker} is not closed')


def run_client(editor, tamvo, client, program, setup):
    """Starts `program` (found on the PATH, the build's tamvo first) as the
    editor would, through the Node protocol client CLIENT_JS; setup holds the
    args, the initialization options (`config`), the languageId and the file
    types. Ends the process with the client's status."""
    os.environ['PATH'] = os.path.dirname(os.path.abspath(tamvo)) + os.pathsep + os.environ['PATH']
    command = shutil.which(program)
    if not command:
        sys.exit(f'{editor}: {program} is not on the PATH')
    setup = dict(setup, command=command, editor=editor)
    sys.exit(subprocess.run(['node', client, json.dumps(setup)], timeout=30).returncode)


if __name__ == '__main__':
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    with open(sys.argv[1], encoding='utf-8') as f:
        sys.stdout.write(recipe(f.read(), sys.argv[2]))
