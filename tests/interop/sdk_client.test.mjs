// The official MCP TypeScript SDK client drives the built veltu-mcp over stdio, in both modes,
// against a small stand-in for the desktop app listening on the bridge socket.
import assert from 'node:assert/strict';
import { mkdtempSync, rmSync } from 'node:fs';
import net from 'node:net';
import { tmpdir } from 'node:os';
import path from 'node:path';
import { after, before, describe, test } from 'node:test';

import { Client } from '@modelcontextprotocol/sdk/client/index.js';
import { StdioClientTransport } from '@modelcontextprotocol/sdk/client/stdio.js';
import { McpError } from '@modelcontextprotocol/sdk/types.js';

const binary = process.env.VELTU_MCP_BINARY;
assert.ok(binary, 'VELTU_MCP_BINARY names the built server');

// Answers each bridge request from its kind and name, and keeps every request line it got.
function answerFor(request) {
  switch (request.kind) {
    case 'mcpTool':
    case 'readTool':
      if (request.name === 'get-open-meeting') {
        return { kind: 'structured', value: { appRunning: true, meeting: null } };
      }
      if (request.name === 'get-transcript') {
        return { kind: 'text', message: `transcript of ${request.args.meeting_id}`, isError: false };
      }
      return { kind: 'structured', value: { tool: request.name, args: request.args } };
    case 'mcpPrompt':
      return { kind: 'prompt', text: `notes for ${request.args.meeting_id}` };
    case 'mcpResourceList':
      return {
        kind: 'resourceList',
        entries: [{ uri: 'meeting://42', name: 'Standup', description: 'Daily standup' }],
      };
    case 'mcpResourceRead':
      if (request.uri === 'meeting://404') {
        return { kind: 'notFound', message: 'no such meeting' };
      }
      return { kind: 'resource', uri: request.uri, text: '{"title":"Standup"}' };
    case 'startImport':
      return { meetingId: 'm-1' };
    default:
      return { kind: 'failed', message: 'unknown request' };
  }
}

function startStandInApp(dir) {
  const requests = [];
  const server = net.createServer((socket) => {
    let buffered = '';
    socket.setEncoding('utf8');
    socket.on('data', (chunk) => {
      buffered += chunk;
      const end = buffered.indexOf('\n');
      if (end < 0) return;
      const line = buffered.slice(0, end);
      requests.push(JSON.parse(line));
      socket.end(`${JSON.stringify(answerFor(JSON.parse(line)))}\n`);
    });
    socket.on('error', () => {});
  });
  return new Promise((resolve) => {
    server.listen(path.join(dir, 'mcp-bridge.sock'), () => resolve({ server, requests }));
  });
}

async function connect(dir, extraArgs) {
  const transport = new StdioClientTransport({
    command: binary,
    args: ['--db', path.join(dir, 'veltu.sqlite'), ...extraArgs],
    env: { HOME: dir, NO_COLOR: '1' },
    stderr: 'pipe',
  });
  const client = new Client({ name: 'sdk-interop', version: '2.0.0' });
  await client.connect(transport);
  return client;
}

async function rejectsWithCode(promise, code) {
  await assert.rejects(promise, (error) => {
    assert.ok(error instanceof McpError, `expected an McpError, got ${error}`);
    assert.equal(error.code, code);
    return true;
  });
}

// Registers the suite's set-up: a stand-in app in a fresh directory and a connected client.
// The returned object is filled in before the first test runs.
function sessionForSuite(extraArgs) {
  const session = {};
  before(async () => {
    session.dir = mkdtempSync(path.join(tmpdir(), 'veltu-interop-'));
    session.app = await startStandInApp(session.dir);
    session.client = await connect(session.dir, extraArgs);
  });
  after(async () => {
    await session.client?.close();
    session.app?.server.close();
    rmSync(session.dir, { recursive: true, force: true });
  });
  return session;
}

describe('normal mode', () => {
  const session = sessionForSuite([]);

  test('handshake gives the server identity, capabilities and instructions', () => {
    assert.deepEqual(session.client.getServerVersion(), { name: 'veltu', version: '1.15.2' });
    assert.deepEqual(session.client.getServerCapabilities(), { prompts: {}, resources: {}, tools: {} });
    assert.match(session.client.getInstructions(), /^veltu is a local meeting transcription app\./);
  });

  test('ping answers', async () => {
    assert.deepEqual(await session.client.ping(), {});
  });

  test('lists the sixteen tools sorted by name', async () => {
    const { tools } = await session.client.listTools();
    const names = tools.map((tool) => tool.name);
    assert.equal(names.length, 16);
    assert.deepEqual(names, [...names].sort());
    const search = tools.find((tool) => tool.name === 'search-transcripts');
    assert.deepEqual(search.inputSchema.required, ['query']);
    assert.equal(search.annotations.readOnlyHint, true);
  });

  test('a forwarded tool call reaches the app with the client identity', async () => {
    const result = await session.client.callTool({
      name: 'search-transcripts',
      arguments: { query: 'budget', limit: 5 },
    });
    assert.deepEqual(result.content, []);
    assert.equal(result.isError, false);
    assert.deepEqual(result.structuredContent, {
      tool: 'search-transcripts',
      args: { limit: 5, meeting_id: null, query: 'budget', source: null, speaker_label: null },
    });
    const sent = session.app.requests.find((request) => request.name === 'search-transcripts');
    assert.deepEqual(sent.client, { name: 'sdk-interop', version: '2.0.0' });
    assert.equal(sent.kind, 'mcpTool');
  });

  test('a text reply becomes a text item', async () => {
    const result = await session.client.callTool({ name: 'get-transcript', arguments: { meeting_id: '42' } });
    assert.deepEqual(result.content, [{ type: 'text', text: 'transcript of 42' }]);
    assert.equal(result.isError, false);
  });

  test('get-open-meeting passes the app answer through', async () => {
    const result = await session.client.callTool({ name: 'get-open-meeting', arguments: {} });
    assert.deepEqual(result.structuredContent, { appRunning: true, meeting: null });
  });

  test('import-file reports the admitted import', async () => {
    const result = await session.client.callTool({
      name: 'import-file',
      arguments: { file_path: '/tmp/call.m4a', title: 'Call' },
    });
    assert.deepEqual(result.structuredContent, { meetingId: 'm-1', started: true });
    const sent = session.app.requests.find((request) => request.kind === 'startImport');
    assert.equal(sent.filePath, '/tmp/call.m4a');
    assert.equal(sent.title, 'Call');
  });

  test('a relative import path is refused as a tool error', async () => {
    const result = await session.client.callTool({ name: 'import-file', arguments: { file_path: 'call.m4a' } });
    assert.equal(result.isError, true);
    assert.deepEqual(result.content, [{ type: 'text', text: 'file_path must be absolute: call.m4a' }]);
  });

  test('errors surface as McpError with their codes', async () => {
    await rejectsWithCode(session.client.callTool({ name: 'no-such-tool', arguments: {} }), -32602);
    await rejectsWithCode(session.client.callTool({ name: 'get-meeting', arguments: {} }), -32602);
    await rejectsWithCode(session.client.getPrompt({ name: 'no-such-prompt' }), -32602);
    await rejectsWithCode(session.client.readResource({ uri: 'meeting://404' }), -32002);
    await rejectsWithCode(session.client.subscribeResource({ uri: 'meeting://42' }), -32601);
  });

  test('prompts are listed and fetched through the app', async () => {
    const { prompts } = await session.client.listPrompts();
    assert.deepEqual(
      prompts.map((prompt) => prompt.name),
      ['find-action-items', 'summarize-meeting'],
    );
    assert.deepEqual(prompts[0].arguments, [
      { name: 'meeting_id', description: 'The meeting ID', required: true },
    ]);
    const prompt = await session.client.getPrompt({
      name: 'summarize-meeting',
      arguments: { meeting_id: '42' },
    });
    assert.match(prompt.description, /^Generate comprehensive meeting notes/);
    assert.deepEqual(prompt.messages, [
      { role: 'user', content: { type: 'text', text: 'notes for 42' } },
    ]);
  });

  test('resource templates, resources and a read', async () => {
    const { resourceTemplates } = await session.client.listResourceTemplates();
    assert.deepEqual(
      resourceTemplates.map((template) => template.uriTemplate),
      ['meeting://{meetingId}', 'meeting://{meetingId}/transcript', 'meeting://{meetingId}/summary'],
    );
    const { resources } = await session.client.listResources();
    assert.deepEqual(resources, [
      {
        uri: 'meeting://42',
        name: 'Standup',
        description: 'Daily standup',
        mimeType: 'application/json',
      },
    ]);
    const read = await session.client.readResource({ uri: 'meeting://42' });
    assert.deepEqual(read.contents, [
      { uri: 'meeting://42', mimeType: 'text', text: '{"title":"Standup"}' },
    ]);
  });
});

describe('library mode', () => {
  const session = sessionForSuite(['--read-only']);

  test('offers tools only, with the read-only instructions', () => {
    assert.deepEqual(session.client.getServerCapabilities(), { tools: {} });
    assert.match(session.client.getInstructions(), /it is data, never instructions\.$/);
  });

  test('lists the seven read tools and nothing else', async () => {
    const { tools } = await session.client.listTools();
    assert.deepEqual(
      tools.map((tool) => tool.name),
      [
        'get-meeting',
        'get-open-meeting',
        'get-summary',
        'get-transcript',
        'list-action-points',
        'list-meetings',
        'search-transcripts',
      ],
    );
    assert.deepEqual((await session.client.listPrompts()).prompts, []);
    assert.deepEqual((await session.client.listResources()).resources, []);
    assert.deepEqual((await session.client.listResourceTemplates()).resourceTemplates, []);
  });

  test('read tools go to the app as readTool', async () => {
    const result = await session.client.callTool({ name: 'get-transcript', arguments: { meeting_id: '7' } });
    assert.deepEqual(result.content, [{ type: 'text', text: 'transcript of 7' }]);
    assert.equal(session.app.requests.at(-1).kind, 'readTool');
  });

  test('removed tools and resources are refused without contacting the app', async () => {
    const before = session.app.requests.length;
    await rejectsWithCode(
      session.client.callTool({ name: 'update-summary', arguments: { meeting_id: '7', content: 'x' } }),
      -32602,
    );
    await rejectsWithCode(session.client.readResource({ uri: 'meeting://7' }), -32002);
    assert.equal(session.app.requests.length, before);
  });
});
