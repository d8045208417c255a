// Starts `scenario-builder lsp` for the line and service descriptions.
'use strict';
const vscode = require('vscode');
const { LanguageClient } = require('vscode-languageclient/node');

let client;

function activate(context) {
  const program = vscode.workspace.getConfiguration('scenarioBuilder').get('path') || 'scenario-builder';
  const server = { command: program, args: ['lsp'] };
  client = new LanguageClient('scenarioBuilder', 'Scenario descriptions', server, {
    documentSelector: [
      { scheme: 'file', language: 'sb-line' },
      { scheme: 'file', language: 'sb-service' },
    ],
  });
  context.subscriptions.push({ dispose: () => client && client.stop() });
  return client.start();
}

function deactivate() {
  return client ? client.stop() : undefined;
}

module.exports = { activate, deactivate };
