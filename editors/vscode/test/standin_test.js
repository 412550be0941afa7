'use strict';
// Activates the extension on a stand-in for the editor (./standin/vscode)
// and checks what a user of Visual Studio Code gets from tamvo lsp: the
// server started, the findings shown, a code action's edit applied, a
// hover with the block's words, and the server gone at the end.
//   NODE_PATH=test/standin node test/standin_test.js TAMVO [EXTENSION_DIR]
// EXTENSION_DIR holds extension.js and its node_modules: by default the
// folder above this one; the test command gives the .vsix's, unpacked.
const assert = require('node:assert/strict');
const { spawnSync } = require('node:child_process');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const vscode = require('vscode');

const [tamvo, extensionDir = path.join(__dirname, '..')] = process.argv.slice(2);
const work = fs.mkdtempSync(path.join(os.tmpdir(), 'tamvo-vscode-'));
process.on('exit', () => fs.rmSync(work, { recursive: true, force: true }));
// The name the command line remembers stays out of the test.
process.env.XDG_CONFIG_HOME = path.join(work, 'config');

const kModule = [
  'Attribute VB_Name = "mdlTest"', 'Option Explicit', '',
  '\'/**', '\' * Adds two numbers.', '\' * @return The sum.', '\' * @param a - The first.',
  '\' * @param b - The second.', '\' */',
  'Public Function Add(ByVal a As Long, ByVal b As Long) As Long', '    Add = a + b', 'End Function', '',
  'Public Sub Undocumented(ByVal a As Long)', 'End Sub', '',
].join('\r\n');
const kAddLine = 9;  // 0-based document lines
const kSubLine = 13;

function until(event, test, what, ms = 10000) {
  return new Promise((resolve, reject) => {
    const timer = setTimeout(() => {
      listener.dispose();
      reject(new Error(`no ${what} within ${ms} ms; output:\n${vscode.standin.output.join('')}`));
    }, ms);
    const listener = event((e) => {
      const result = test(e);
      if (result === undefined) return;
      clearTimeout(timer);
      listener.dispose();
      resolve(result);
    });
  });
}

// The tamvo processes this one started, read from /proc: the client keeps
// its child process to itself.
function serverPids() {
  const pids = [];
  for (const entry of fs.readdirSync('/proc')) {
    if (!/^\d+$/.test(entry)) continue;
    try {
      const stat = fs.readFileSync(`/proc/${entry}/stat`, 'utf8');
      const [, comm, rest] = /^\d+ \((.*)\) (.*)$/s.exec(stat);
      if (Number(rest.split(' ')[1]) === process.pid && comm === path.basename(tamvo).slice(0, 15)) {
        pids.push(Number(entry));
      }
    } catch {
      // It ended while read.
    }
  }
  return pids;
}

function alive(pid) {
  try {
    process.kill(pid, 0);
    return true;
  } catch {
    return false;
  }
}

function provider(kind) {
  const found = vscode.standin.providers.filter((p) => p.kind === kind);
  assert.ok(found.length <= 1, `${found.length} ${kind} providers`);
  return found[0] && found[0].provider;
}

function cliOutput(args, file) {
  const run = spawnSync(tamvo, [...args, file], { encoding: 'utf8' });
  assert.equal(run.status, 0, `tamvo ${args.join(' ')}: ${run.stderr}`);
  return run.stdout;
}

async function main() {
  const file = path.join(work, 'mdlTest.bas');
  fs.writeFileSync(file, kModule);
  const uri = vscode.Uri.file(file);

  // Activation: the settings as a user writes them; the server starts.
  vscode.standin.settings.set('tamvo.path', tamvo);
  vscode.standin.settings.set('tamvo.author', 'Stand-in Author');
  const extension = require(path.resolve(extensionDir, 'extension.js'));
  const context = { subscriptions: [], extensionPath: extensionDir };
  await extension.activate(context);
  const client = context.subscriptions.find((s) => s.initializeResult);
  assert.ok(client, 'the language client is among the subscriptions');
  assert.ok(client.isRunning());
  const capabilities = client.initializeResult.capabilities;
  assert.ok(capabilities.codeActionProvider);
  const pids = serverPids();
  assert.equal(pids.length, 1, 'one tamvo lsp runs');
  const [pid] = pids;

  // Diagnostics: the module opened, its finding shown where it points.
  const some = () => vscode.languages.getDiagnostics(uri);
  const shown = until(vscode.languages.onDidChangeDiagnostics, () => (some().length ? some() : undefined),
                      'diagnostics');
  const document = await vscode.workspace.openTextDocument(uri);
  assert.equal(document.languageId, 'vba');
  const diagnostics = await shown;
  assert.deepEqual(diagnostics.map((d) => [d.code, d.source, d.severity, d.range.start.line]),
                   [['missing-doc', 'tamvo', vscode.DiagnosticSeverity.Information, kSubLine]]);

  // Code actions: asked for at the Sub's name, with its finding, as the
  // light bulb does; one applied to the document.
  const at = new vscode.Position(kSubLine, 'Public Sub '.length);
  const tokens = new vscode.CancellationTokenSource();
  const codeActions = provider('codeAction');
  const actions = await codeActions.provideCodeActions(document, new vscode.Range(at, at),
      { diagnostics, only: undefined, triggerKind: vscode.CodeActionTriggerKind.Invoke }, tokens.token);
  const titles = actions.map((a) => `${a.title} (${a.kind.value})`);
  for (const title of ['Update doc comment (quickfix)', 'Insert doc comment (refactor.rewrite)']) {
    assert.ok(titles.includes(title), `no ${title} in ${titles}`);
  }
  // As in the editor, an action's edit comes once it is picked.
  const pick = async (title) => {
    const action = actions.find((a) => a.title === title);
    assert.equal(action.edit, undefined, title);
    return codeActions.resolveCodeAction(action, tokens.token);
  };
  // The header names the author of the settings.
  const header = await pick('Insert module header');
  assert.match(header.edit.get(uri).map((e) => e.newText).join(''), /@auther +Stand-in Author\r\n/);
  const insert = await pick('Insert doc comment');
  const expected = cliOutput(['insert-proc', '--line', String(kSubLine + 1)], file);
  const cleared = until(vscode.languages.onDidChangeDiagnostics,
                        () => (document.version > 1 ? some() : undefined),
                        'diagnostics after the edit');
  assert.equal(await vscode.workspace.applyEdit(insert.edit), true);
  assert.equal(document.getText(), expected);
  assert.deepEqual(document.getText().split('\r\n').slice(kSubLine, kSubLine + 4),
                   ['\'/**', '\' * .', '\' * @param a', '\' */']);
  // The server has the new text: the block is there, its words yet to write.
  assert.deepEqual((await cleared).map((d) => [d.code, d.range.start.line]),
                   [['summary-empty', kSubLine + 1], ['param-undescribed', kSubLine + 2]]);

  // Hover: a procedure's block, at its name.
  const hovers = provider('hover');
  assert.ok(capabilities.hoverProvider && hovers, 'a hover provider');
  const name = new vscode.Position(kAddLine, 'Public Function '.length);
  const hover = await hovers.provideHover(document, name, tokens.token);
  const text = hover.contents.map((c) => (typeof c === 'string' ? c : c.value)).join('\n');
  assert.match(text, /Adds two numbers\./);

  // Deactivation: the server ends, nothing was shown to the user.
  await extension.deactivate();
  for (const subscription of context.subscriptions) subscription.dispose();
  for (let waited = 0; alive(pid) && waited < 5000; waited += 50) {
    await new Promise((resolve) => setTimeout(resolve, 50));
  }
  assert.ok(!alive(pid), 'tamvo lsp ended');
  assert.deepEqual(vscode.standin.messages, []);
}

// The client leaves a timer of its own behind when it stops.
main().then(() => process.exit(0), (error) => {
  console.error(error);
  process.exit(1);
});
