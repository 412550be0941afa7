'use strict';
// A stand-in for the `vscode` module, as much of it as vscode-languageclient
// uses to start a server, keep documents in sync, show diagnostics and offer
// code actions and hovers. The test reaches what the editor would show
// through `standin`: the providers registered, the messages, the output.
const fs = require('node:fs');
const url = require('node:url');

class Disposable {
  constructor(onDispose) { this.onDispose = onDispose; }
  dispose() {
    const onDispose = this.onDispose;
    this.onDispose = undefined;
    if (onDispose) onDispose();
  }
}

class EventEmitter {
  constructor() {
    this.listeners = new Set();
    this.event = (listener, thisArg, disposables) => {
      const entry = (e) => listener.call(thisArg, e);
      this.listeners.add(entry);
      const disposable = new Disposable(() => this.listeners.delete(entry));
      if (Array.isArray(disposables)) disposables.push(disposable);
      return disposable;
    };
  }
  fire(e) { for (const listener of [...this.listeners]) listener(e); }
  dispose() { this.listeners.clear(); }
}

class CancellationTokenSource {
  constructor() {
    const cancelled = new EventEmitter();
    this.cancelled = cancelled;
    this.token = {
      isCancellationRequested: false,
      onCancellationRequested: (listener, thisArg, disposables) => {
        if (this.token.isCancellationRequested) {
          listener.call(thisArg);
          return new Disposable(() => {});
        }
        return cancelled.event(listener, thisArg, disposables);
      },
    };
  }
  cancel() {
    if (this.token.isCancellationRequested) return;
    this.token.isCancellationRequested = true;
    this.cancelled.fire();
  }
  dispose() { this.cancelled.dispose(); }
}

class CancellationError extends Error {}

class Uri {
  static file(path) { return Uri.parse(url.pathToFileURL(path).href); }
  static parse(value) {
    const at = value.indexOf(':');
    const scheme = value.slice(0, at);
    if (scheme !== 'file') return new Uri(scheme, '', value.slice(at + 1), value);
    const parsed = new URL(value);
    return new Uri(scheme, parsed.host, decodeURIComponent(parsed.pathname), parsed.href);
  }
  constructor(scheme, authority, path, text) {
    Object.assign(this, { scheme, authority, path, text });
  }
  get fsPath() { return this.path; }
  toString() { return this.text; }
}

class Position {
  constructor(line, character) { Object.assign(this, { line, character }); }
}

class Range {
  constructor(start, end, endLine, endCharacter) {
    if (typeof start === 'number') {
      start = new Position(start, end);
      end = new Position(endLine, endCharacter);
    }
    Object.assign(this, { start, end });
  }
}

class TextEdit {
  constructor(range, newText) { Object.assign(this, { range, newText }); }
}

class WorkspaceEdit {
  constructor() { this.edits = new Map(); }
  replace(uri, range, newText) { this.set(uri, [...this.get(uri), new TextEdit(range, newText)]); }
  set(uri, edits) { this.edits.set(uri.toString(), [...edits]); }
  get(uri) { return this.edits.get(uri.toString()) || []; }
  entries() { return [...this.edits].map(([uri, edits]) => [Uri.parse(uri), edits]); }
}

class MarkdownString {
  constructor(value = '') { this.value = value; }
  appendMarkdown(value) { this.value += value; return this; }
  appendText(value) { return this.appendMarkdown(value.replace(/[\\`*_{}[\]()#+\-.!<>|]/g, '\\$&')); }
  appendCodeblock(value, language = '') {
    return this.appendMarkdown(`\n\`\`\`${language}\n${value}\n\`\`\`\n`);
  }
}

class Hover {
  constructor(contents, range) {
    this.contents = Array.isArray(contents) ? contents : [contents];
    this.range = range;
  }
}

const DiagnosticSeverity = { Error: 0, Warning: 1, Information: 2, Hint: 3 };

class Diagnostic {
  constructor(range, message, severity = DiagnosticSeverity.Error) {
    Object.assign(this, { range, message, severity });
  }
}

class CodeActionKind {
  constructor(value) { this.value = value; }
  append(part) { return new CodeActionKind(this.value ? `${this.value}.${part}` : part); }
}
CodeActionKind.Empty = new CodeActionKind('');
CodeActionKind.QuickFix = new CodeActionKind('quickfix');
CodeActionKind.Refactor = new CodeActionKind('refactor');
CodeActionKind.RefactorExtract = new CodeActionKind('refactor.extract');
CodeActionKind.RefactorInline = new CodeActionKind('refactor.inline');
CodeActionKind.RefactorRewrite = new CodeActionKind('refactor.rewrite');
CodeActionKind.Source = new CodeActionKind('source');
CodeActionKind.SourceOrganizeImports = new CodeActionKind('source.organizeImports');

class CodeAction {
  constructor(title, kind) { Object.assign(this, { title, kind }); }
}

const CodeActionTriggerKind = { Invoke: 1, Automatic: 2 };

// Classes the client extends when it loads, for features tamvo doesn't offer.
class CallHierarchyItem {}
class CodeLens {}
class CompletionItem {}
class DocumentLink {}
class InlayHint {}
class SymbolInformation {}
class TypeHierarchyItem {}

// Documents: the open ones, their events, and edits applied as the editor does.
class TextDocument {
  constructor(uri, languageId, text) {
    Object.assign(this, { uri, languageId, text, version: 1 });
  }
  getText(range) {
    return range ? this.text.slice(this.offsetAt(range.start), this.offsetAt(range.end)) : this.text;
  }
  // Columns count UTF-16 code units, as JavaScript strings do.
  offsetAt(position) {
    let offset = 0;
    for (let line = 0; line < position.line; ++line) {
      const next = this.text.indexOf('\n', offset);
      if (next < 0) return this.text.length;
      offset = next + 1;
    }
    const end = this.text.indexOf('\n', offset);
    return Math.min(offset + position.character, end < 0 ? this.text.length : end + 1);
  }
}

const documents = [];
const opened = new EventEmitter();
const changed = new EventEmitter();
const noEvent = new EventEmitter().event;
const settings = new Map();

const extensionLanguages = new Map([['.bas', 'vba'], ['.cls', 'vba'], ['.frm', 'vba'], ['.doccls', 'vba']]);

const workspace = {
  workspaceFolders: undefined,
  textDocuments: documents,
  onDidOpenTextDocument: opened.event,
  onDidChangeTextDocument: changed.event,
  onDidCloseTextDocument: noEvent,
  onDidSaveTextDocument: noEvent,
  onWillSaveTextDocument: noEvent,
  onDidChangeConfiguration: noEvent,
  getConfiguration(section) {
    const prefix = section ? `${section}.` : '';
    return {
      get: (key, defaultValue) => (settings.has(prefix + key) ? settings.get(prefix + key) : defaultValue),
      has: (key) => settings.has(prefix + key),
    };
  },
  createFileSystemWatcher() {
    return { onDidCreate: noEvent, onDidChange: noEvent, onDidDelete: noEvent, dispose() {} };
  },
  async openTextDocument(uri) {
    const open = documents.find((d) => d.uri.toString() === uri.toString());
    if (open) return open;
    const name = uri.path.slice(uri.path.lastIndexOf('/'));
    const language = extensionLanguages.get(name.slice(name.lastIndexOf('.')).toLowerCase()) || 'plaintext';
    const document = new TextDocument(uri, language, fs.readFileSync(uri.fsPath, 'utf8'));
    documents.push(document);
    opened.fire(document);
    return document;
  },
  // Applies each document's edits, as the editor does: the document's
  // version goes up and the change event carries what changed.
  async applyEdit(edit) {
    for (const [uri, edits] of edit.entries()) {
      const document = documents.find((d) => d.uri.toString() === uri.toString());
      if (!document) return false;
      // From the last to the first, as the editor reports them.
      const last = (a, b) => document.offsetAt(b.range.start) - document.offsetAt(a.range.start);
      const contentChanges = [];
      for (const { range, newText } of [...edits].sort(last)) {
        const start = document.offsetAt(range.start);
        const end = document.offsetAt(range.end);
        document.text = document.text.slice(0, start) + newText + document.text.slice(end);
        contentChanges.push({ range, rangeOffset: start, rangeLength: end - start, text: newText });
      }
      document.version += 1;
      changed.fire({ document, contentChanges, reason: undefined });
    }
    return true;
  },
};

// Languages: the diagnostics shown, the providers registered.
const diagnosticsChanged = new EventEmitter();
const collections = new Set();
const providers = [];

function createDiagnosticCollection(name) {
  const entries = new Map();
  const collection = {
    name,
    set(uri, diagnostics) {
      entries.set(uri.toString(), [...(diagnostics || [])]);
      diagnosticsChanged.fire({ uris: [uri] });
    },
    get: (uri) => entries.get(uri.toString()),
    dispose() {
      const uris = [...entries.keys()].map(Uri.parse);
      entries.clear();
      collections.delete(collection);
      diagnosticsChanged.fire({ uris });
    },
  };
  collections.add(collection);
  return collection;
}

function matchOne(filter, document) {
  if (typeof filter === 'string') return filter === document.languageId || filter === '*' ? 10 : 0;
  if (filter.language && filter.language !== document.languageId && filter.language !== '*') return 0;
  if (filter.scheme && filter.scheme !== document.uri.scheme && filter.scheme !== '*') return 0;
  if (filter.pattern) throw new Error('stand-in: document filters with a pattern are not matched');
  return 10;
}

function register(kind, selector, provider) {
  const entry = { kind, selector, provider };
  providers.push(entry);
  return new Disposable(() => providers.splice(providers.indexOf(entry), 1));
}

const languages = {
  match: (selector, document) =>
    Math.max(0, ...(Array.isArray(selector) ? selector : [selector]).map((f) => matchOne(f, document))),
  createDiagnosticCollection,
  onDidChangeDiagnostics: diagnosticsChanged.event,
  getDiagnostics(uri) {
    const found = [];
    for (const collection of collections) found.push(...(collection.get(uri) || []));
    return found;
  },
  registerCodeActionsProvider: (selector, provider) => register('codeAction', selector, provider),
  registerCompletionItemProvider: (selector, provider) => register('completion', selector, provider),
  registerDefinitionProvider: (selector, provider) => register('definition', selector, provider),
  registerDocumentSymbolProvider: (selector, provider) => register('documentSymbol', selector, provider),
  registerHoverProvider: (selector, provider) => register('hover', selector, provider),
  registerSignatureHelpProvider: (selector, provider) => register('signatureHelp', selector, provider),
  registerWorkspaceSymbolProvider: (provider) => register('workspaceSymbol', undefined, provider),
};

// Windows: what the user would be told.
const messages = [];
const output = [];
function show(level) {
  return async (message) => {
    messages.push({ level, message });
    return undefined;
  };
}
const window = {
  showErrorMessage: show('error'),
  showWarningMessage: show('warning'),
  showInformationMessage: show('information'),
  createOutputChannel: (name) => ({
    name,
    append: (text) => output.push(text),
    appendLine: (line) => output.push(line + '\n'),
    show() {},
    dispose() {},
  }),
};

module.exports = {
  version: '1.82.0',
  env: { appName: 'stand-in', language: 'en' },
  languages,
  window,
  workspace,
  CallHierarchyItem,
  CancellationError,
  CancellationTokenSource,
  CodeAction,
  CodeActionKind,
  CodeActionTriggerKind,
  CodeLens,
  CompletionItem,
  Diagnostic,
  DiagnosticSeverity,
  Disposable,
  DocumentLink,
  EventEmitter,
  Hover,
  InlayHint,
  MarkdownString,
  Position,
  Range,
  SymbolInformation,
  TextEdit,
  TypeHierarchyItem,
  Uri,
  WorkspaceEdit,
  standin: { settings, providers, messages, output },
};
