#!/usr/bin/env python3
"""Helix's recipe as far as it runs without Helix (Debian 12 packages none):
the README's languages.toml read as TOML, its server and language checked as
Helix reads them, and the server started as Helix starts it (the command and
args of [language-server.tamvo], `config` as the initialization options,
documents of the language's name), through the Node protocol client.
  helix.py TAMVO README CLIENT_JS"""
import os
import sys
import tomllib

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from recipe import recipe, run_client  # noqa: E402


def fail(message):
    sys.exit(f'helix: {message}')


tamvo, readme, client = sys.argv[1:]
with open(readme, encoding='utf-8') as f:
    config = tomllib.loads(recipe(f.read(), 'helix'))

server = config.get('language-server', {}).get('tamvo')
if not isinstance(server, dict):
    fail('no [language-server.tamvo]')
if not isinstance(server.get('command'), str) or not all(isinstance(a, str) for a in server.get('args', [])):
    fail(f'the server\'s command is not a string and a list of strings: {server}')
if not isinstance(server.get('config', {}), dict):
    fail('the server\'s config is not a table')


def server_names(language):
    return [s if isinstance(s, str) else s.get('name') for s in language.get('language-servers', [])]


languages = [l for l in config.get('language', []) if 'tamvo' in server_names(l)]
if len(languages) != 1:
    fail(f'{len(languages)} [[language]] entries use tamvo, not one')
language = languages[0]
for key in ('name', 'scope'):
    if not isinstance(language.get(key), str):
        fail(f'the language has no {key}')
fileTypes = language.get('file-types', [])
missing = {'bas', 'cls', 'frm'} - set(fileTypes)
if missing:
    fail(f'the language leaves out {sorted(missing)}')
if language.get('comment-token') != "'":
    fail(f'the comment token is {language.get("comment-token")!r}, not \'')

run_client('helix', tamvo, client, server['command'],
           {'args': server.get('args', []), 'config': server.get('config'),
            'languageId': language.get('language-id', language['name']), 'fileTypes': fileTypes})
