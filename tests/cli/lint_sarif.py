#!/usr/bin/env python3
"""lint --format sarif writes a log that the SARIF 2.1.0 schema accepts,
holding the findings the text format prints, each where the text format puts
it: files named from the repository's top folder (not the current one), a
file outside it by its whole URI, standard input by its name; rules as
`lint --help` lists them.
  lint_sarif.py TAMVO SCHEMA"""
import json
import os
import pathlib
import re
import subprocess
import sys
import tempfile
import urllib.parse

import jsonschema

MODULE = (b"Attribute VB_Name = \"m\"\r\n'/**\r\n' * .\r\n' * @param gone\r\n' */\r\n"
          b"Function Add(a)\r\nEnd Function\r\nSub Log()\r\nEnd Sub\r\n")


def run(tamvo, args, cwd):
    return subprocess.run([tamvo, *args], cwd=cwd, input=MODULE, capture_output=True).stdout.decode()


def check(tamvo, validator, files, cwd, root, uris):
    """Lints files from cwd as SARIF and as text; uris: the artifactLocation
    expected for each file."""
    log = json.loads(run(tamvo, ['lint', '--format', 'sarif', *files], cwd))
    errors = [f'{"/".join(map(str, e.absolute_path))}: {e.message}' for e in validator.iter_errors(log)]
    assert not errors, errors
    (sarif_run,) = log['runs']
    assert sarif_run['columnKind'] == 'utf16CodeUnits'
    assert sarif_run['originalUriBaseIds'] == {'%SRCROOT%': {'uri': root.as_uri() + '/'}}, sarif_run
    driver = sarif_run['tool']['driver']
    assert f"tamvo {driver['version']}" == run(tamvo, ['--version'], cwd).strip(), driver

    listed = re.findall(r'^  (\S+) +(.+)$', run(tamvo, ['lint', '--help'], cwd).split('Rules:')[1], re.M)
    assert [(r['id'], r['shortDescription']['text']) for r in driver['rules']] == listed, driver['rules']

    shown = {json.dumps(uri, sort_keys=True): '<stdin>' if f == '-' else f for f, uri in zip(files, uris)}
    as_text = []
    for result in sarif_run['results']:
        assert driver['rules'][result['ruleIndex']]['id'] == result['ruleId'], result
        (location,) = result['locations']
        place = location['physicalLocation']
        name = shown[json.dumps(place['artifactLocation'], sort_keys=True)]
        region = place['region']
        as_text.append(f"{name}:{region['startLine']}:{region['startColumn']}: {result['level']}: "
                       f"{result['message']['text']} [{result['ruleId']}]")
    text = run(tamvo, ['lint', *files], cwd).splitlines()
    assert as_text == text, (as_text, text)
    assert len(text) == 5 * len(files), text


def main(tamvo, schema_file):
    tamvo = os.path.abspath(tamvo)
    with open(schema_file, encoding='utf-8') as f:
        schema = json.load(f)
    validator = jsonschema.validators.validator_for(schema)(schema)
    with tempfile.TemporaryDirectory() as scratch:
        work = pathlib.Path(os.path.realpath(scratch))
        repo = work / 'repo'
        folder = repo / 'src' / '日本 語'
        folder.mkdir(parents=True)
        subprocess.run(['git', 'init', '-q', str(repo)], check=True)
        (folder / 'mdl#1.bas').write_bytes(MODULE)
        (work / 'outside.bas').write_bytes(MODULE)

        check(tamvo, validator, ['日本 語/mdl#1.bas', '../../outside.bas', '-'], repo / 'src', repo,
              [{'uri': urllib.parse.quote('src/日本 語/mdl#1.bas'), 'uriBaseId': '%SRCROOT%'},
               {'uri': (work / 'outside.bas').as_uri()},
               {'description': {'text': '<stdin>'}}])
        # Outside a repository the current folder is the root.
        check(tamvo, validator, ['outside.bas'], work, work, [{'uri': 'outside.bas', 'uriBaseId': '%SRCROOT%'}])
    print('lint --format sarif: ok')


if __name__ == '__main__':
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    main(*sys.argv[1:])
