#!/usr/bin/env python3
"""The README's CI workflow and .tamvo.toml, as written. The workflow must
parse as YAML and hold the three checks; its `tamvo` lines run as written in
a project with the README's .tamvo.toml, where each passes only because of
it. insert-header and docs take the rest of its keys there.
  readme_ci.py TAMVO README SARIF_SCHEMA"""
import json
import os
import pathlib
import subprocess
import sys
import tempfile

import jsonschema
import yaml

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'readme'))
from recipe import recipe  # noqa: E402

# Public: Add and the class's three are documented; Ratio's @return says
# nothing (disable keeps lint quiet, coverage counts it out): 4 of 5. The
# Private Helper's summary is "." (scope keeps lint quiet). update-all has
# nothing to change.
MODULES = {
    'src/mdlMath.bas': ('Attribute VB_Name = "mdlMath"\nOption Explicit\n\n'
                        "'/**\n' * 二つの数を足す。\n' * @return 和\n' * @param a - 一つ目の数\n"
                        "' * @param b - 二つ目の数\n' */\n"
                        'Public Function Add(ByVal a As Long, ByVal b As Long) As Long\n    Add = a + b\n'
                        "End Function\n\n'/**\n' * 比を求める。\n' * @return\n' * @param n - 分子\n"
                        "' * @param d - 分母\n' */\n"
                        'Public Function Ratio(ByVal n As Double, ByVal d As Double) As Double\n'
                        "    Ratio = n / d\nEnd Function\n\n'/**\n' * .\n' */\nPrivate Sub Helper()\nEnd Sub\n"),
    'src/clsCounter.cls': ('VERSION 1.0 CLASS\nBEGIN\n  MultiUse = -1  \'True\nEND\n'
                           'Attribute VB_Name = "clsCounter"\nOption Explicit\n\nPrivate mCount As Long\n\n'
                           "'/**\n' * The count so far.\n' * Getter: Count\n' */\n"
                           'Public Property Get Count() As Long\n    Count = mCount\nEnd Property\n\n'
                           "'/**\n' * Adds to the count.\n' * @param by - how much\n' */\n"
                           'Public Sub Increment(ByVal by As Long)\n    mCount = mCount + by\nEnd Sub\n\n'
                           "'/**\n' * Starts again from nothing.\n' */\nPublic Sub Reset()\n    mCount = 0\nEnd Sub\n"),
}


def fail(message):
    sys.exit(f'README.md, CI: {message}')


def main(tamvo, readme, schema_file):
    tamvo = os.path.abspath(tamvo)
    with open(readme, encoding='utf-8') as f:
        text = f.read()
    workflow = yaml.safe_load(recipe(text, 'ci-workflow'))
    steps = [step for job in workflow['jobs'].values() for step in job['steps']]
    lines = [line.strip() for step in steps for line in step.get('run', '').splitlines()
             if line.strip().startswith('tamvo ')]
    for check in ('tamvo lint --format sarif ', 'tamvo coverage ', 'tamvo update-all --check '):
        if not any(line.startswith(check) for line in lines):
            fail(f'no "{check}..." among the workflow\'s tamvo lines: {lines}')
    upload = [step for step in steps if step.get('uses', '').startswith('github/codeql-action/upload-sarif@')]
    if len(upload) != 1:
        fail('no one step uploads the SARIF log')
    sarif = upload[0]['with']['sarif_file']
    if not any(line.startswith('tamvo lint --format sarif ') and line.endswith(f'> {sarif}') for line in lines):
        fail(f'lint does not write {sarif}, which is uploaded')

    env = dict(os.environ, PATH=os.path.dirname(tamvo) + os.pathsep + os.environ['PATH'])
    with tempfile.TemporaryDirectory() as scratch:
        project = pathlib.Path(scratch)
        subprocess.run(['git', 'init', '-q', str(project)], check=True)
        (project / '.tamvo.toml').write_text(recipe(text, 'tamvo-toml'), encoding='utf-8')
        (project / 'src').mkdir()
        for name, module in MODULES.items():
            (project / name).write_bytes(module.replace('\n', '\r\n').encode('cp932'))
        env['GITHUB_STEP_SUMMARY'] = str(project / 'summary.md')

        def run(line):
            done = subprocess.run(['bash', '-c', line], cwd=project, env=env, capture_output=True)
            if done.returncode != 0:
                fail(f'"{line}" ended with {done.returncode}: {done.stdout.decode()}{done.stderr.decode()}')
            return done.stdout

        for line in lines:
            run(line)
        with open(schema_file, encoding='utf-8') as f:
            schema = json.load(f)
        log = json.loads((project / sarif).read_text(encoding='utf-8'))
        jsonschema.validators.validator_for(schema)(schema).validate(log)
        if log['runs'][0]['results']:
            fail(f'lint found what the .tamvo.toml turns off: {log["runs"][0]["results"]}')
        hidden = subprocess.run([tamvo, 'lint', '--no-config', 'src/mdlMath.bas'], cwd=project,
                                capture_output=True).stdout.decode()
        if '[summary-empty]' not in hidden or '[return-undescribed]' not in hidden:
            fail(f'the project holds no finding for the .tamvo.toml to turn off: {hidden}')
        summary = (project / 'summary.md').read_text(encoding='utf-8')
        if '| **Total** | 4 of 5 | 80.0% |' not in summary:
            fail(f'the job summary: {summary}')

        header = run('tamvo insert-header src/mdlMath.bas')
        if "' * @auther     山田 太郎\r\n".encode('cp932') not in header:
            fail(f'insert-header did not write the author in cp932: {header!r}')
        run('tamvo docs -o pages src/*.bas src/*.cls')
        page = (project / 'pages' / 'mdlMath.html').read_text(encoding='utf-8')
        if '二つの数を足す。' not in page or 'Helper' in page:
            fail(f'the docs page: {page}')
    print('README CI workflow and .tamvo.toml: ok')


if __name__ == '__main__':
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    main(*sys.argv[1:])
