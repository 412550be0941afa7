#!/usr/bin/env python3
"""Descriptions on, on modules that already carry VB_Description lines:
update-all run twice, the second changes nothing; every hidden line stays
byte for byte, in its order, but the descriptions lint found stale, which
become their summaries, and those of procedures that had no block yet,
whose words the new block then holds.
  descriptions_corpus.py TAMVO DIR...   (every .bas, .cls, .frm under DIR)
"""
import pathlib
import re
import shutil
import subprocess
import sys
import tempfile

tamvo = sys.argv[1]
folders = [pathlib.Path(d) for d in sys.argv[2:]]
HIDDEN = re.compile(rb'^(attribute |version |begin\b|end$|object )', re.IGNORECASE)
DESCRIPTION = re.compile(rb'^attribute (\w+)\.vb_description\b', re.IGNORECASE)
STALE = re.compile(r': the description of (\w+) is not its summary: .*\[description-stale\]$')


def run(*args):
    return subprocess.run([tamvo, *args], capture_output=True)


def hidden_lines(data):
    """The hidden lines in order: the header's, then every Attribute line."""
    lines = data.split(b'\r\n') if b'\r\n' in data else data.split(b'\n')
    return [line for line in lines if HIDDEN.match(line.lstrip() if line.lstrip().lower().startswith(b'end') else line)]


failures = []
modules = described = 0
with tempfile.TemporaryDirectory() as work:
    for folder in folders:
        for source in sorted(p for p in folder.rglob('*') if p.suffix.lower() in ('.bas', '.cls', '.frm')):
            original = source.read_bytes()
            if b'VB_Description' not in original:
                continue
            modules += 1
            name = f'{source.relative_to(folder)}'
            file = pathlib.Path(work) / source.name
            shutil.copyfile(source, file)
            lint = run('lint', '--no-config', '--descriptions', str(file))
            stale = {m.group(1).lower() for line in lint.stdout.decode('utf-8', 'replace').splitlines()
                     if (m := STALE.search(line))}
            first = run('update-all', '--no-config', '--descriptions', '-i', str(file))
            if first.returncode != 0:
                failures.append(f'{name}: update-all exited {first.returncode}: {first.stderr.decode()}')
                continue
            second = run('update-all', '--no-config', '--descriptions', '--check', str(file))
            if second.returncode != 0:
                failures.append(f'{name}: a second update-all would change it')
            written = file.read_bytes()
            after = hidden_lines(written)
            kept = []
            for line in hidden_lines(original):
                m = DESCRIPTION.match(line)
                if m and m.group(1).decode().lower() in stale:
                    continue
                if m and line not in after:
                    words = line.split(b'=', 1)[1].strip()[1:-1].replace(b'""', b'"')
                    if b"' * " + words not in written:
                        failures.append(f'{name}: the words of {line!r} are lost')
                    continue
                kept.append(line)
            described += sum(1 for line in kept if DESCRIPTION.match(line))
            missing = [line for line in kept if line not in after]
            if missing:
                failures.append(f'{name}: hidden lines changed or lost: {missing[:3]}')
            # In their order, too: each kept line after the one before it.
            at = 0
            for line in kept:
                if line in after[at:]:
                    at = after.index(line, at) + 1
                else:
                    failures.append(f'{name}: hidden line out of order: {line!r}')
                    break

print(f'{modules} modules with descriptions, {described} descriptions that matched their summaries kept')
for failure in failures:
    print(failure)
sys.exit(1 if failures or modules == 0 else 0)
