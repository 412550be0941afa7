#!/usr/bin/env python3
"""Packs the Visual Studio Code extension with vsce and checks the .vsix:
the extension's own files and the packages the lock file gives it to run,
nothing more. Unpacks it for the extension test.

    package.py NODE EXTENSION_DIR VSIX UNPACK_DIR

EXTENSION_DIR holds the extension's files and node_modules from npm ci."""
import json
import shutil
import subprocess
import sys
import zipfile
from pathlib import Path

node = sys.argv[1]
extension_dir, vsix, unpack_dir = (Path(a).resolve() for a in sys.argv[2:5])

vsce = extension_dir / 'node_modules' / '@vscode' / 'vsce' / 'vsce'
vsix.unlink(missing_ok=True)
# No licence file yet: --skip-license, as the README's command has it.
subprocess.run([node, str(vsce), 'package', '--skip-license', '--out', str(vsix)], cwd=extension_dir,
               check=True)

with zipfile.ZipFile(vsix) as archive:
    names = archive.namelist()
    manifest = json.loads(archive.read('extension/package.json'))
    own = sorted(n for n in names if n.startswith('extension/') and '/node_modules/' not in n)
    files = [manifest['main'], 'package.json', 'readme.md',
             *(c['configuration'] for c in manifest['contributes']['languages'])]
    expected = sorted({'extension/' + f.removeprefix('./') for f in files})
    assert own == expected, f'the extension files in the .vsix: {own}, not {expected}'

    # The packages npm ci installs for running, and no others.
    lock = json.loads((extension_dir / 'package-lock.json').read_text())
    wanted = {key for key, entry in lock['packages'].items() if key and not entry.get('dev')}
    # A file's package: its path down to the last node_modules/NAME (or
    # node_modules/@SCOPE/NAME) in it.
    packed = set()
    for name in names:
        parts = name.removeprefix('extension/').split('/')[:-1]
        key = []
        while 'node_modules' in parts:
            at = parts.index('node_modules')
            length = 3 if parts[at + 1:at + 2] and parts[at + 1].startswith('@') else 2
            key += parts[:at + length]
            parts = parts[at + length:]
        if key:
            packed.add('/'.join(key))
    assert packed == wanted, f'packages in the .vsix: {sorted(packed)}, not {sorted(wanted)}'
    for key in wanted:
        assert f'extension/{key}/package.json' in names, key

    shutil.rmtree(unpack_dir, ignore_errors=True)
    archive.extractall(unpack_dir)
print(f'{vsix}: {len(names)} files, {len(wanted)} packages')
