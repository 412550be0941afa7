#!/usr/bin/env python3
"""Kate's recipe as far as it runs without a desktop: the README's server
settings read as JSON, the server started as Kate's LSP client starts it
(`command` as the program and its arguments, `initializationOptions` as
given), through the Node protocol client Helix's recipe uses.
  kate.py TAMVO README CLIENT_JS"""
import json
import os
import re
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from recipe import recipe, run_client  # noqa: E402


def fail(message):
    sys.exit(f'kate: {message}')


tamvo, readme, client = sys.argv[1:]
with open(readme, encoding='utf-8') as f:
    settings = json.loads(recipe(f.read(), 'kate'))

servers = settings.get('servers', {})
if len(servers) != 1:
    fail(f'{len(servers)} servers, not one')
name, server = next(iter(servers.items()))
command = server.get('command')
if not isinstance(command, list) or not command or not all(isinstance(a, str) for a in command):
    fail(f'the command is not a list of strings: {command}')
# Kate matches the highlighting mode its syntax definitions give .bas files.
if not re.search(server.get('highlightingModeRegex', ''), 'Visual Basic'):
    fail('the highlighting mode regular expression misses "Visual Basic"')

run_client('kate', tamvo, client, command[0],
           {'args': command[1:], 'config': server.get('initializationOptions'), 'languageId': name,
            'fileTypes': ['bas', 'cls', 'frm']})
