'use strict';
// A whole tamvo lsp process driven through the protocol library editor
// clients are built on: the round trip of hover, signature help and
// completion on a generated 10,000-line module, medians of 200 requests,
// and of a one-character change until its diagnostics arrive.
//   NODE_PATH=build/ci/tests/lsp/node/node_modules node bench/lsp_client_bench.js build/ci/cli/tamvo
const { spawn } = require('node:child_process');
const { createProtocolConnection, StreamMessageReader, StreamMessageWriter } =
    require('vscode-languageserver-protocol/node');

const tamvo = process.argv[2];
const lines = ['Attribute VB_Name = "mdlBench"', 'Option Explicit', 'Private mCount As Long'];
for (let i = 0; lines.length + 6 <= 10000; ++i) {
  lines.push('', '\' Adds to the count.', `Public Function Proc${i}(ByVal a As Long, Optional b As String) As Long`,
             '    mCount = mCount + a', `    Proc${i} = mCount`, 'End Function');
}
const middle = lines.findIndex((l) => l.startsWith('Public Function Proc800('));
lines[middle + 1] = '    mCount = Proc799(1, ';
lines[middle + 6 - 1] = '\'/**';  // above the next procedure
const text = lines.join('\r\n') + '\r\n';
const uri = 'file:///bench/mdlBench.bas';

function median(values) {
  const sorted = [...values].sort((a, b) => a - b);
  return sorted[Math.floor(sorted.length / 2)];
}

async function main() {
  const child = spawn(tamvo, ['lsp'], { stdio: ['pipe', 'pipe', 'inherit'] });
  const connection = createProtocolConnection(new StreamMessageReader(child.stdout),
                                              new StreamMessageWriter(child.stdin));
  let published;
  connection.onNotification('textDocument/publishDiagnostics', () => published && published());
  connection.listen();
  await connection.sendRequest('initialize', { processId: process.pid, rootUri: null, capabilities: {} });
  await connection.sendNotification('initialized', {});
  await new Promise((resolve) => {
    published = resolve;
    connection.sendNotification('textDocument/didOpen',
                                { textDocument: { uri, languageId: 'vb', version: 1, text } });
  });
  const at = (line, character) => ({ textDocument: { uri }, position: { line, character } });
  const requests = {
    hover: ['textDocument/hover', at(middle + 2, 6)],
    signatureHelp: ['textDocument/signatureHelp', at(middle + 1, 23)],
    completion: ['textDocument/completion', at(middle + 5, 4)],
  };
  for (const [name, [method, params]] of Object.entries(requests)) {
    const times = [];
    for (let i = 0; i < 200; ++i) {
      const start = process.hrtime.bigint();
      const result = await connection.sendRequest(method, params);
      times.push(Number(process.hrtime.bigint() - start) / 1e6);
      if (!result || (Array.isArray(result) && result.length === 0)) throw new Error(`${name}: no answer`);
    }
    console.log(`${name}: ${median(times).toFixed(2)} ms`);
  }
  const changes = [];
  for (let version = 2; version < 52; ++version) {
    const start = process.hrtime.bigint();
    await new Promise((resolve) => {
      published = resolve;
      connection.sendNotification('textDocument/didChange', {
        textDocument: { uri, version },
        // A blank put in, then taken out.
        contentChanges: [{ range: { start: { line: middle + 3, character: 4 },
                                    end: { line: middle + 3, character: 4 + (version % 2) } },
                           text: version % 2 ? '' : ' ' }],
      });
    });
    changes.push(Number(process.hrtime.bigint() - start) / 1e6);
  }
  console.log(`change to diagnostics: ${median(changes).toFixed(2)} ms`);
  await connection.sendRequest('shutdown');
  await connection.sendNotification('exit');
}

main().catch((error) => {
  console.error(error);
  process.exit(1);
});
