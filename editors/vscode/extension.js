'use strict';
// Starts `tamvo lsp` for VBA modules; the client brings what the server
// offers to the editor: its findings as diagnostics, its commands as code
// actions, its hovers. The settings are read once, at activation.
const vscode = require('vscode');
const { LanguageClient } = require('vscode-languageclient/node');

let client;

async function activate(context) {
  const settings = vscode.workspace.getConfiguration('tamvo');
  const author = settings.get('author', '');
  const serverOptions = { command: settings.get('path', 'tamvo') || 'tamvo', args: ['lsp'] };
  const clientOptions = {
    documentSelector: [
      { scheme: 'file', language: 'vba' },
      { scheme: 'untitled', language: 'vba' },
    ],
    initializationOptions: author ? { author } : {},
  };
  client = new LanguageClient('tamvo', 'tamvo', serverOptions, clientOptions);
  context.subscriptions.push(client);
  await client.start();
}

async function deactivate() {
  if (!client) return;
  const stopping = client;
  client = undefined;
  await stopping.stop();
}

module.exports = { activate, deactivate };
