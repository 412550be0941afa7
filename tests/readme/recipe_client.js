'use strict';
// Starts the server as the Helix recipe names it (helix.py reads it), with its
// `config` as initializationOptions and a document of each of its file types in
// the language's id; each must draw diagnostics, and the module header must
// carry the configured author.
//   node helix_client.js SETUP_JSON
const assert = require('node:assert/strict');
const { spawn, spawnSync } = require('node:child_process');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { pathToFileURL } = require('node:url');
const { createProtocolConnection, StreamMessageReader, StreamMessageWriter } =
    require('vscode-languageserver-protocol/node');
const { TextDocument } = require('vscode-languageserver-textdocument');

const setup = JSON.parse(process.argv[2]);
const work = fs.mkdtempSync(path.join(os.tmpdir(), 'tamvo-helix-'));
const env = { ...process.env, XDG_CONFIG_HOME: path.join(work, 'config') };
const kModule = 'Attribute VB_Name = "mdlSample"\r\nOption Explicit\r\n\r\n' +
    'Public Sub Show(ByVal message As String)\r\n    MsgBox message\r\nEnd Sub\r\n';

async function main() {
  const child = spawn(setup.command, setup.args, { cwd: work, env, stdio: ['pipe', 'pipe', 'inherit'] });
  const connection = createProtocolConnection(new StreamMessageReader(child.stdout),
                                              new StreamMessageWriter(child.stdin));
  const published = new Map();
  connection.onNotification('textDocument/publishDiagnostics',
                            (params) => published.set(params.uri, params.diagnostics));
  connection.listen();
  const rootUri = pathToFileURL(work).href;
  await connection.sendRequest('initialize', {
    processId: process.pid, rootUri, capabilities: {}, initializationOptions: setup.config,
    workspaceFolders: [{ uri: rootUri, name: 'project' }],
  });
  await connection.sendNotification('initialized', {});

  const documents = setup.fileTypes.map((type) => {
    const file = path.join(work, `mdlSample.${type}`);
    fs.writeFileSync(file, kModule);
    const document = TextDocument.create(pathToFileURL(file).href, setup.languageId, 1, kModule);
    connection.sendNotification('textDocument/didOpen', { textDocument:
        { uri: document.uri, languageId: setup.languageId, version: 1, text: kModule } });
    return [file, document];
  });
  const deadline = Date.now() + 10000;
  while (!documents.every(([, d]) => published.has(d.uri)) && Date.now() < deadline) {
    await new Promise((resolve) => setTimeout(resolve, 20));
  }
  for (const [file, document] of documents) {
    const codes = (published.get(document.uri) || []).map((d) => d.code);
    assert.ok(codes.includes('missing-doc'), `${path.basename(file)}: diagnostics ${codes}`);
  }

  const [file, document] = documents[0];
  const actions = await connection.sendRequest('textDocument/codeAction', {
    textDocument: { uri: document.uri },
    range: { start: { line: 0, character: 0 }, end: { line: 0, character: 0 } },
    context: { diagnostics: [] },
  });
  const header = actions.find((a) => a.title === 'Insert module header');
  assert.ok(header, `no "Insert module header" among ${actions.map((a) => a.title)}`);
  const expected = spawnSync('tamvo', ['insert-header', '--author', setup.config.author, file], { env });
  assert.equal(TextDocument.applyEdits(document, header.edit.changes[document.uri]), expected.stdout.toString());

  await connection.sendRequest('shutdown');
  await connection.sendNotification('exit');
  const code = await new Promise((resolve) => child.on('exit', resolve));
  assert.equal(code, 0);
  connection.dispose();
  fs.rmSync(work, { recursive: true, force: true });
  console.log(`${setup.editor}: ${setup.command} ${setup.args.join(' ')} serves ${setup.fileTypes.join(', ')}`);
}

main().catch((error) => {
  console.error(error);
  process.exit(1);
});
