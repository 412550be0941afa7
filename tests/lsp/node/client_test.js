'use strict';
// Drives `tamvo lsp` through the protocol library that editor clients are
// built on, and checks every code action's edit against what the command
// line writes for the same file: with the edit in the action, and resolved
// when picked, as Visual Studio Code's client asks for it.
//   node client_test.js TAMVO
const assert = require('node:assert/strict');
const { spawn, spawnSync } = require('node:child_process');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { createProtocolConnection, StreamMessageReader, StreamMessageWriter, WorkDoneProgress } =
    require('vscode-languageserver-protocol/node');
const { TextDocument } = require('vscode-languageserver-textdocument');

const tamvo = process.argv[2];
const work = fs.mkdtempSync(path.join(os.tmpdir(), 'tamvo-lsp-node-'));
const env = { ...process.env, XDG_CONFIG_HOME: path.join(work, 'config') };

// UTF-8 with Japanese text, CR LF line ends, a hidden header, a comment at
// the top, a procedure with a comment of its own and one with a block with
// words and a stale tag.
const kModule = [
  'VERSION 1.0 CLASS', 'BEGIN', '  MultiUse = -1  \'True', 'END',
  'Attribute VB_Name = "clsSample"', 'Attribute VB_Exposed = False',
  '\' モジュールの説明', 'Option Explicit', '',
  '\' 古いコメント',
  'Public Function Add(ByVal a As Long, ByVal b As Long) As Long',
  '    Add = a + b \' 足し算 𠮷',
  'End Function', '',
  '\'/**', '\' * 表示する.', '\' * @param 旧名 - 𠮷の説明', '\' */',
  'Public Sub Show(ByVal message As String)',
  'Attribute Show.VB_Description = "表示"',
  '    MsgBox "メッセージ: " & message',
  'End Sub', '',
].join('\r\n');
const kFunctionLine = 10;  // 0-based document lines
const kSubLine = 18;

function writeModule(name, text) {
  const file = path.join(work, name);
  fs.writeFileSync(file, text, 'utf8');
  return file;
}

// What the command line writes: its standard output for one file.
function cli(args, file) {
  const run = spawnSync(tamvo, [...args, file], { env });
  assert.equal(run.status, 0, `tamvo ${args.join(' ')}: ${run.stderr}`);
  return run.stdout.toString('utf8');
}

// Every byte the server wrote must be part of a well-framed message.
function assertFramed(bytes) {
  let at = 0;
  const bodies = [];
  while (at < bytes.length) {
    const headerEnd = bytes.indexOf('\r\n\r\n', at);
    assert.ok(headerEnd > at, `no header at byte ${at}`);
    const header = bytes.subarray(at, headerEnd).toString('ascii');
    const match = /^Content-Length: (\d+)$/.exec(header);
    assert.ok(match, `bad header ${JSON.stringify(header)}`);
    const start = headerEnd + 4;
    const end = start + Number(match[1]);
    assert.ok(end <= bytes.length, 'frame cut short');
    bodies.push(JSON.parse(bytes.subarray(start, end).toString('utf8')));
    at = end;
  }
  return bodies;
}

// What a client that resolves edits says of itself in initialize.
const kResolvingClient =
    { textDocument: { codeAction: { dataSupport: true, resolveSupport: { properties: ['edit'] } } } };

class Session {
  constructor(capabilities = {}) {
    this.capabilities = capabilities;
    this.child = spawn(tamvo, ['lsp'], { env, stdio: ['pipe', 'pipe', 'pipe'] });
    this.stdout = [];
    this.stderr = '';
    this.child.stdout.on('data', (chunk) => this.stdout.push(chunk));
    this.child.stderr.on('data', (chunk) => { this.stderr += chunk; });
    this.exited = new Promise((resolve) => this.child.on('exit', (code) => resolve(code)));
    this.connection = createProtocolConnection(new StreamMessageReader(this.child.stdout),
                                               new StreamMessageWriter(this.child.stdin));
    this.published = new Map();
    this.waiting = new Map();
    this.connection.onNotification('textDocument/publishDiagnostics', (params) => {
      this.published.set(params.uri, params.diagnostics);
      const waiter = this.waiting.get(params.uri);
      this.waiting.delete(params.uri);
      if (waiter) waiter(params.diagnostics);
    });
    this.registrations = [];
    this.connection.onRequest('client/registerCapability', (params) => {
      this.registrations.push(...params.registrations);
      return null;
    });
    this.connection.listen();
  }

  async initialize(initializationOptions, more = {}) {
    const result = await this.connection.sendRequest('initialize',
        { processId: process.pid, rootUri: null, capabilities: this.capabilities, initializationOptions, ...more });
    // As clients do: resolve an action's edit where the server offers to.
    this.resolving = Boolean(result.capabilities.codeActionProvider.resolveProvider);
    await this.connection.sendNotification('initialized', {});
    return result;
  }

  nextDiagnostics(uri) { return new Promise((resolve) => this.waiting.set(uri, resolve)); }

  async open(document) {
    const published = this.nextDiagnostics(document.uri);
    await this.connection.sendNotification('textDocument/didOpen', { textDocument:
        { uri: document.uri, languageId: 'vb', version: document.version, text: document.getText() } });
    return published;
  }

  actions(document, line, diagnostics = []) {
    return this.connection.sendRequest('textDocument/codeAction', {
      textDocument: { uri: document.uri },
      range: { start: { line, character: 0 }, end: { line, character: 0 } },
      context: { diagnostics },
    });
  }

  // The action of that title, with its edit: a resolving client's comes
  // without and is resolved.
  async action(document, line, title, diagnostics = [], kind = undefined) {
    const actions = await this.actions(document, line, diagnostics);
    const action = actions.find((a) => a.title === title && (!kind || a.kind === kind));
    assert.ok(action, `no "${title}" at line ${line}: ${actions.map((a) => a.title)}`);
    assert.equal(!action.edit, this.resolving, `"${title}" ${action.edit ? 'has' : 'lacks'} its edit`);
    return this.resolving ? this.connection.sendRequest('codeAction/resolve', action) : action;
  }

  // The document with the action's edit applied.
  async apply(document, line, title, diagnostics = [], kind = undefined) {
    const action = await this.action(document, line, title, diagnostics, kind);
    const edits = action.edit.changes[document.uri];
    for (const edit of edits) {
      assert.equal(edit.range.start.character, 0, 'edits replace whole lines');
    }
    return TextDocument.applyEdits(document, edits);
  }

  raw(text) { this.child.stdin.write(text); }

  async close() {
    this.connection.dispose();
    this.child.stdin.end();
    const code = await this.exited;
    return { code, messages: assertFramed(Buffer.concat(this.stdout)) };
  }
}

async function main() {
  const file = writeModule('clsSample.cls', kModule);
  const uri = 'file://' + file;
  const document = TextDocument.create(uri, 'vb', 1, kModule);

  // The life cycle, the documents, every action; each action also from a
  // client that resolves edits.
  const session = new Session();
  const init = await session.initialize({ author: 'Node Author' });
  assert.equal(init.capabilities.textDocumentSync.change, 2);
  assert.ok(init.capabilities.codeActionProvider);
  assert.equal(init.capabilities.codeActionProvider.resolveProvider, undefined);
  const resolving = new Session(kResolvingClient);
  const resolvingInit = await resolving.initialize({ author: 'Node Author' });
  assert.equal(resolvingInit.capabilities.codeActionProvider.resolveProvider, true);
  const sessions = [session, resolving];
  const diagnostics = await session.open(document);
  await resolving.open(document);
  // Where lint points, in UTF-16 code units: 𠮷 is two of them.
  const found = (code) => diagnostics.filter((d) => d.code === code);
  const lines = kModule.split('\r\n');
  assert.deepEqual(diagnostics.map((d) => [d.code, d.range.start.line, d.severity, d.source]), [
    ['missing-doc', kFunctionLine, 3, 'tamvo'],
    ['param-stale', 16, 2, 'tamvo'],
    ['param-missing', kSubLine, 2, 'tamvo'],
  ]);
  assert.deepEqual(found('param-stale')[0].range,
                   { start: { line: 16, character: 4 }, end: { line: 16, character: lines[16].length } });

  // Every comment here is a person's: only update, which keeps their words, is offered.
  const cases = [
    [kFunctionLine + 2, 'Update doc comment', ['update-proc', '--line', String(kFunctionLine + 1)]],
    [kSubLine, 'Update doc comment', ['update-proc', '--line', String(kSubLine + 1)]],
    [0, 'Document every procedure', ['update-all']],
    [0, 'Update module header', ['update-header', '--author', 'Node Author']],
  ];
  for (const each of sessions) {
    for (const [line, title, args] of cases) {
      assert.equal(await each.apply(document, line, title), cli(args, file), title);
    }
  }
  for (const line of [0, kFunctionLine, kSubLine]) {
    const titles = (await session.actions(document, line)).map((a) => a.title);
    assert.ok(!titles.some((t) => t.startsWith('Insert') || t.startsWith('Delete')), `line ${line}: ${titles}`);
  }

  // Insert and delete where nothing of a person's is in the way: a header
  // and a block of insert's own, a procedure with nothing above it.
  const bareFile = writeModule('mdlBare.bas', cli(['insert-header', '--author', 'Old Author'], writeModule(
      'mdlBare.bas', ['Attribute VB_Name = "mdlBare"', 'Option Explicit', '',
                      '\'/**', '\' * .', '\' * @param a', '\' */', 'Sub WithBlock(ByVal a As Long)', 'End Sub', '',
                      'Sub WithNothing()', 'End Sub', ''].join('\r\n'))));
  const bare = TextDocument.create('file://' + bareFile, 'vb', 1, fs.readFileSync(bareFile, 'utf8'));
  await session.open(bare);
  await resolving.open(bare);
  const bareLines = bare.getText().split('\r\n');
  const withBlock = bareLines.indexOf('Sub WithBlock(ByVal a As Long)');
  const withNothing = bareLines.indexOf('Sub WithNothing()');
  const bareCases = [
    [withBlock, 'Delete doc comment', ['delete-proc', '--line', String(withBlock + 1)]],
    [withNothing, 'Insert doc comment', ['insert-proc', '--line', String(withNothing + 1)]],
    [0, 'Insert module header', ['insert-header', '--author', 'Node Author']],
    [0, 'Delete module header', ['delete-header']],
  ];
  for (const each of sessions) {
    for (const [line, title, args] of bareCases) {
      assert.equal(await each.apply(bare, line, title), cli(args, bareFile), title);
    }
    // The quick fixes, tied to the findings of their procedure.
    for (const [line, onLine] of [[kFunctionLine, [kFunctionLine]], [kSubLine, [16, kSubLine]]]) {
      const tied = diagnostics.filter((d) => onLine.includes(d.range.start.line));
      assert.equal(await each.apply(document, line, 'Update doc comment', tied, 'quickfix'),
                   cli(['update-proc', '--line', String(line + 1)], file));
    }
  }
  // Off any procedure: only the module's actions.
  for (const line of [0, 7, 99]) {
    const titles = (await session.actions(document, line)).map((a) => a.title);
    assert.ok(!titles.some((t) => t.endsWith('doc comment')), `line ${line}: ${titles}`);
  }

  // A change republishes; the edits then follow the new text, and an action
  // offered before it is no longer resolved.
  const offeredBefore = (await resolving.actions(document, kFunctionLine))[0];
  const changed = TextDocument.create(uri, 'vb', 2, kModule.replace('\' 古いコメント\r\n', ''));
  const changedFile = writeModule('clsSample2.cls', changed.getText());
  for (const each of sessions) {
    const republished = each.nextDiagnostics(uri);
    await each.connection.sendNotification('textDocument/didChange',
        { textDocument: { uri, version: 2 }, contentChanges: [{ text: changed.getText() }] });
    await republished;
    assert.equal(await each.apply(changed, kFunctionLine - 1, 'Insert doc comment'),
                 cli(['insert-proc', '--line', String(kFunctionLine)], changedFile).replace(
                     'clsSample2', 'clsSample'));
  }
  await assert.rejects(resolving.connection.sendRequest('codeAction/resolve', offeredBefore),
                       (e) => e.code === -32801);
  await resolving.connection.sendRequest('shutdown');
  await resolving.connection.sendNotification('exit');
  assert.equal((await resolving.close()).code, 0, resolving.stderr);

  // Malformed input: the server answers what it can and goes on.
  session.raw('Content-Length: 5\r\n\r\n{bad}');
  session.raw('Content-Length: x\r\n\r\n');
  const noMethod = '{"jsonrpc":"2.0","id":"no-method"}';
  session.raw(`Content-Length: ${noMethod.length}\r\n\r\n${noMethod}`);
  await assert.rejects(session.connection.sendRequest('tamvo/nothing', {}), (e) => e.code === -32601);

  // Closed twice: cleared once, nothing else.
  const cleared = session.nextDiagnostics(uri);
  await session.connection.sendNotification('textDocument/didClose', { textDocument: { uri } });
  assert.deepEqual(await cleared, []);
  await session.connection.sendNotification('textDocument/didClose', { textDocument: { uri } });
  assert.deepEqual(await session.actions(document, kFunctionLine), []);

  await session.connection.sendRequest('shutdown');
  await session.connection.sendNotification('exit');
  const ended = await session.close();
  assert.equal(ended.code, 0, session.stderr);
  const invalid = ended.messages.find((m) => m.id === 'no-method');
  assert.equal(invalid && invalid.error.code, -32600);

  // Without an author of its own, the server takes the command line's.
  cli(['insert-header', '--author', 'Stored Author', '-i'], writeModule('store.bas', 'Sub A()\r\nEnd Sub\r\n'));
  const second = new Session();
  await second.initialize(undefined);
  await second.open(document);
  assert.equal(await second.apply(document, 0, 'Update module header'), cli(['update-header'], file));
  // The end of input without shutdown is an exit with 1.
  assert.equal((await second.close()).code, 1);

  // So is exit without shutdown.
  const third = new Session();
  await third.initialize({});
  await third.connection.sendNotification('exit');
  assert.equal((await third.close()).code, 1);

  // A project's .tamvo.toml holds for its documents as for the command line,
  // and is read again when the client says it changed.
  const project = path.join(work, 'project');
  fs.mkdirSync(path.join(project, 'src'), { recursive: true });
  const config = path.join(project, '.tamvo.toml');
  fs.writeFileSync(config, 'descriptions = true\ndisable = ["missing-doc"]\n');
  const projectFile = writeModule('project/src/mdlProj.bas', ['Attribute VB_Name = "mdlProj"',
      '\' Adds one.', 'Public Function Inc(ByVal a As Long) As Long', 'End Function', '',
      'Public Sub Bare()', 'End Sub', ''].join('\r\n'));
  const projectDocument =
      TextDocument.create('file://' + projectFile, 'vb', 1, fs.readFileSync(projectFile, 'utf8'));
  const watching = new Session({ workspace: { didChangeWatchedFiles: { dynamicRegistration: true } } });
  await watching.initialize({});
  const codes = (found) => found.map((d) => d.code).sort();
  assert.deepEqual(codes(await watching.open(projectDocument)), []);
  const documented = await watching.apply(projectDocument, 0, 'Document every procedure');
  assert.equal(documented, cli(['update-all'], projectFile));
  assert.match(documented, /Attribute Inc\.VB_Description = "Adds one\."/);
  assert.deepEqual(watching.registrations.map((r) => r.registerOptions.watchers[0].globPattern),
                   ['**/.tamvo.toml']);
  fs.writeFileSync(config, 'descriptions = true\n');
  const republished = watching.nextDiagnostics(projectDocument.uri);
  await watching.connection.sendNotification('workspace/didChangeWatchedFiles',
                                             { changes: [{ uri: 'file://' + config, type: 2 }] });
  assert.deepEqual(codes(await republished), ['missing-doc', 'missing-doc']);
  await watching.connection.sendRequest('shutdown');
  await watching.connection.sendNotification('exit');
  assert.equal((await watching.close()).code, 0, watching.stderr);

  // Documentation where code is written: the folder's modules are indexed,
  // with progress, and a call in one module shows the block of another.
  const library = path.join(work, 'library');
  fs.mkdirSync(library);
  const mathFile = path.join(library, 'mdlMath.bas');
  const mathText = (summary) => ['Attribute VB_Name = "mdlMath"', '\'/**', `' * ${summary}`,
    '\' * @return the sum', '\' * @param a the first', '\' * @param b the second', '\' */',
    'Public Function Add(ByVal a As Long, ByVal b As Long) As Long', 'End Function', ''].join('\r\n');
  fs.writeFileSync(mathFile, mathText('Adds two numbers.'));
  const mainFile = path.join(library, 'mdlMain.bas');
  const mainText = ['Attribute VB_Name = "mdlMain"', 'Sub Main()', '    x = Add(1, 2)', 'End Sub', '',
                    'Public Function Twice(ByVal n As Long) As Long', 'End Function', ''].join('\r\n');
  fs.writeFileSync(mainFile, mainText);
  const reading = new Session({
    window: { workDoneProgress: true },
    workspace: { didChangeWatchedFiles: { dynamicRegistration: true } },
    textDocument: { hover: { contentFormat: ['markdown', 'plaintext'] },
                    signatureHelp: { signatureInformation: { documentationFormat: ['markdown'] } },
                    completion: { completionItem: { snippetSupport: true } } },
  });
  const progress = [];
  const indexed = new Promise((resolve) => {
    reading.connection.onRequest('window/workDoneProgress/create', () => null);
    reading.connection.onProgress(WorkDoneProgress.type, 'tamvo/index', (value) => {
      progress.push(value.kind);
      if (value.kind === 'end') resolve(value.message);
    });
  });
  const readingInit = await reading.initialize({}, { workspaceFolders: [{ uri: 'file://' + library, name: 'library' }] });
  assert.equal(readingInit.capabilities.hoverProvider, true);
  assert.equal(await indexed, '2 modules');
  assert.deepEqual(progress, ['begin', 'end']);
  const mainUri = 'file://' + mainFile;
  await reading.open(TextDocument.create(mainUri, 'vb', 1, mainText));
  const at = (line, character) => ({ textDocument: { uri: mainUri }, position: { line, character } });
  const hover = await reading.connection.sendRequest('textDocument/hover', at(2, 9));
  assert.equal(hover.contents.kind, 'markdown');
  assert.match(hover.contents.value, /Adds two numbers\.[\s\S]*`b` — the second[\s\S]*mdlMath, line 8/);
  const definition = await reading.connection.sendRequest('textDocument/definition', at(2, 9));
  assert.deepEqual(definition.map((l) => [l.uri, l.range.start.line]), [['file://' + mathFile, 7]]);
  // An edit as a range; signature help then at the new call's second argument.
  await reading.connection.sendNotification('textDocument/didChange', {
    textDocument: { uri: mainUri, version: 2 },
    contentChanges: [{ range: { start: { line: 2, character: 17 }, end: { line: 2, character: 17 } },
                       text: ' + Add(5, ' }],
  });
  const help = await reading.connection.sendRequest('textDocument/signatureHelp', at(2, 27));
  assert.equal(help.activeParameter, 1);
  assert.equal(help.signatures[0].parameters[1].documentation.value, 'the second');
  // "'/**" above Twice becomes its block.
  await reading.connection.sendNotification('textDocument/didChange', {
    textDocument: { uri: mainUri, version: 3 },
    contentChanges: [{ range: { start: { line: 4, character: 0 }, end: { line: 4, character: 0 } }, text: '\'/**' }],
  });
  const completions = await reading.connection.sendRequest('textDocument/completion', at(4, 4));
  assert.equal(completions[0].textEdit.newText,
               '\'/**\r\n\' * ${1}\r\n\' * @return ${2}\r\n\' * @param n ${3}\r\n\' */');
  const symbols = await reading.connection.sendRequest('workspace/symbol', { query: 'a' });
  assert.deepEqual(symbols.map((s) => `${s.containerName}.${s.name}`).sort(), ['mdlMain.Main', 'mdlMath.Add']);
  // A module changed on disk, told by the client, is read again.
  assert.ok(reading.registrations[0].registerOptions.watchers.some((w) => w.globPattern.includes('*.{bas')));
  fs.writeFileSync(mathFile, mathText('Sums two numbers.'));
  await reading.connection.sendNotification('workspace/didChangeWatchedFiles',
                                            { changes: [{ uri: 'file://' + mathFile, type: 2 }] });
  const hoverAfter = await reading.connection.sendRequest('textDocument/hover', at(2, 9));
  assert.match(hoverAfter.contents.value, /Sums two numbers\./);
  await reading.connection.sendRequest('shutdown');
  await reading.connection.sendNotification('exit');
  assert.equal((await reading.close()).code, 0, reading.stderr);

  fs.rmSync(work, { recursive: true, force: true });
  console.log('tamvo lsp: node client passed');
}

main().catch((error) => {
  console.error(error);
  process.exit(1);
});
