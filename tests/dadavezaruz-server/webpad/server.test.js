// The phone pad end to end: the real huebench-server with a fresh home, its page in headless
// Chromium on 127.0.0.1 and an X client with the keyboard focus that records what arrives.
// Needs an X display (scripts/test-env), HUEBENCH_SERVER_BINARY and HB_KEY_RECORDER_BINARY.
//
// Keys that must NOT arrive are checked with a marker: after the refused attempt a phone that is
// served taps a known button, and the next key the X client sees must be that one.
'use strict';

const { describe, test, before, after } = require('node:test');
const assert = require('node:assert/strict');
const http = require('node:http');
const live = require('./live-server.js');

const { MODIFIERS } = live;
const OUT_OF_DATE = "This link is out of date. Scan the QR code on the server's screen again.";
// The modifiers a posted combination may set; Num Lock and the like are not the pad's business.
const MODIFIER_MASK = MODIFIERS.shift | MODIFIERS.control | MODIFIERS.mod1 | MODIFIERS.mod4;

let server;
let recorder;
let browser;
let phone; // the phone that is served, open for the whole file
let buttons; // the stored buttons of the first page, by label

function killServerAtExit() {
  // The test runner may end this process on a failure before after() runs.
  if (server && server.child.exitCode === null && server.child.signalCode === null)
    process.kill(server.pid, 'SIGTERM');
}

function storedButtons(pageName) {
  return server.query('SELECT b.id, b.label, b.row, b.col ' +
    'FROM ShortcutButton b JOIN ShortcutPage p ON p.id = b.page ' +
    `WHERE p.name = '${pageName}' ORDER BY b.id;`);
}

async function tap(page, label) {
  await page.tap(`[data-button-id="${buttons[label].id}"]`);
}

// Taps the marker button on the served phone; the next key at the X client must be its key.
async function expectOnlyTheMarkerNext(why) {
  await tap(phone.page, 'Mark In');
  const key = await recorder.next('the marker key');
  assert.equal(key.keysym, 'i', `${why}: a key arrived before the marker`);
  await live.waitForText(phone.page, '#feedback', 'Sent: Mark In');
}

// Opens a socket from `page` to the server, says hello (and presses at once, when given), and
// reports what came back: whether it opened at all, the messages and the close code.
function socketFrom(page, { url, hello, press = null }) {
  return page.evaluate(({ url, hello, press }) => new Promise((resolve) => {
    const received = [];
    let opened = false;
    const socket = new WebSocket(url);
    socket.onopen = () => {
      opened = true;
      socket.send(JSON.stringify({ ...hello, t: performance.now() }));
      if (press)
        socket.send(JSON.stringify({ ...press, t: performance.now() }));
    };
    socket.onmessage = (event) => received.push(JSON.parse(event.data));
    socket.onclose = (event) => resolve({ received, code: event.code, opened });
  }), { url, hello, press });
}

before(async () => {
  assert.ok(process.env.DISPLAY, 'needs an X display (run under scripts/test-env)');
  process.on('exit', killServerAtExit);
  recorder = await live.startKeyRecorder();
  server = await live.startServer();
  // The default buttons bring their application forward first; here they go to the window in front.
  server.sql("UPDATE ShortcutButton SET appTarget = 'global';");
  buttons = Object.fromEntries(storedButtons('Resolve').map((button) => [button.label, button]));
  browser = await live.launchBrowser();
  phone = await live.openPhone(browser, server);
  await live.waitForText(phone.page, '#status-text', 'Connected');
});

after(async () => {
  if (phone)
    assert.deepEqual(phone.foreign, [], 'the page loaded resources from elsewhere');
  if (browser)
    await browser.close();
  if (recorder)
    await recorder.stop();
  if (server) {
    await server.stop();
    server.cleanup();
  }
});

describe('pages', () => {
  test('the page shows the stored pages and the first page\'s buttons as stored', async () => {
    await phone.page.waitForSelector('[data-button-id]');
    const tabs = await phone.page.$$eval('[role=tab]', (all) => all.map((tab) => tab.textContent));
    assert.deepEqual(tabs, ['Resolve', 'OBS', 'Custom']);
    const shown = await phone.page.$$eval('#grid > button', (all) => all.map((cell) => ({
      id: Number(cell.dataset.buttonId), label: cell.querySelector('.label').textContent,
      row: Number(cell.dataset.row), col: Number(cell.dataset.col) })));
    shown.sort((a, b) => a.id - b.id);
    assert.deepEqual(shown, storedButtons('Resolve'));
  });

  // Each edit is made by another process while the page stays open; it must show without reload.
  const edits = [
    { name: 'a renamed button',
      sql: () => `UPDATE ShortcutButton SET label = 'Grade It' WHERE id = ${buttons['Add Grade'].id};`,
      shows: (page) => page.waitForFunction((id) => document.querySelector(
        `[data-button-id="${id}"] .label`)?.textContent === 'Grade It', buttons['Add Grade'].id) },
    { name: 'a new page',
      sql: () => "INSERT INTO ShortcutPage (name, sortOrder) VALUES ('Lighting', 3);",
      shows: (page) => page.waitForFunction(() => [...document.querySelectorAll('[role=tab]')]
        .map((tab) => tab.textContent).join() === 'Resolve,OBS,Custom,Lighting') },
    { name: 'a deleted button',
      sql: () => `DELETE FROM ShortcutButton WHERE id = ${buttons['Flag Green'].id};`,
      shows: (page) => page.waitForFunction((id) => !document.querySelector(
        `[data-button-id="${id}"]`), buttons['Flag Green'].id) },
    { name: 'a button moved into the freed cell',
      sql: () => `UPDATE ShortcutButton SET row = 3, col = 3 WHERE id = ${buttons['Color Page'].id};`,
      shows: (page) => page.waitForFunction((id) => document.querySelector(
        '#grid > [data-row="3"][data-col="3"]')?.dataset.buttonId === String(id) &&
        document.querySelector('#grid > [data-row="0"][data-col="0"]').dataset.buttonId === undefined,
      buttons['Color Page'].id) },
  ];
  for (const edit of edits) {
    test(`${edit.name} in the store appears on the open page`, async () => {
      const sockets = [];
      phone.page.on('websocket', (socket) => sockets.push(socket));
      server.sql(edit.sql());
      await edit.shows(phone.page, { timeout: live.WAIT_MS });
      phone.page.removeAllListeners('websocket');
      assert.deepEqual(sockets, [], 'the page reconnected to see the edit');
    });
  }
});

describe('presses', () => {
  // Pressed in this order, each one's modifiers must be released before the next arrives.
  const presses = [
    { label: 'Mark In', keysym: 'i', modifiers: 0 },
    { label: 'Undo', keysym: 'z', modifiers: MODIFIERS.control },
    { label: 'Color Page', keysym: '6', modifiers: MODIFIERS.shift },
    { label: 'Redo', keysym: 'z', modifiers: MODIFIERS.control | MODIFIERS.shift },
    { label: 'Play / Pause', keysym: 'space', modifiers: 0 },
    { label: 'Stop', keysym: 'k', modifiers: 0 },
  ];
  for (const want of presses) {
    test(`a tap on "${want.label}" types ${want.keysym} with modifiers ${want.modifiers}`,
      async () => {
        await tap(phone.page, want.label);
        const key = await recorder.next(`the key of ${want.label}`);
        assert.deepEqual({ keysym: key.keysym, modifiers: key.state & MODIFIER_MASK },
          { keysym: want.keysym, modifiers: want.modifiers });
        await live.waitForText(phone.page, '#feedback', `Sent: ${want.label}`);
      });
  }
});

describe('refusals', () => {
  test('a wrong secret shows the out-of-date message and types nothing', async () => {
    const wrong = 'W'.repeat(43);
    const stranger = await live.openPhone(browser, server, {
      url: `${server.origin}/#k=${wrong}&p=${server.port}` });
    try {
      await live.waitForText(stranger.page, '#status-text', OUT_OF_DATE);
      assert.ok(await stranger.page.locator('#retry').isVisible(), 'Try Again is offered');
      assert.equal(await stranger.page.locator('#grid > button').count(), 0);
      // The same origin with a wrong secret: refused and closed for policy.
      const url = `ws://127.0.0.1:${server.webPort}/socket`;
      const hello = { type: 'hello', secret: wrong };
      const refused = await socketFrom(stranger.page, { url, hello });
      assert.deepEqual({ opened: refused.opened, code: refused.code,
        states: refused.received.map((message) => message.state) },
      { opened: true, code: 1008, states: ['badSecret'] });
      // Pressing at once, before the refusal arrives: refused all the same. Only the close code
      // and the refusal are not certain here: the press may still be unread when the server
      // drops the connection, which can then be reset before the page reads them.
      const pressed = await socketFrom(stranger.page, { url, hello,
        press: { type: 'press', id: 1, button: buttons['Stop'].id } });
      assert.ok(pressed.received.every((message) => message.state === 'badSecret'),
        `answered ${JSON.stringify(pressed.received)}`);
      assert.deepEqual(stranger.foreign, []);
    } finally {
      await stranger.context.close();
    }
    await server.log.waitFor(/^Refused a phone pad at .*pairing link is not the current one/);
    await expectOnlyTheMarkerNext('wrong secret');
  });

  test('a socket opened by a page of another origin is closed and types nothing', async () => {
    const other = http.createServer((request, response) => {
      response.writeHead(200, { 'Content-Type': 'text/html' }).end('<!DOCTYPE html><p>other</p>');
    });
    await new Promise((resolve) => other.listen(0, '127.0.0.1', resolve));
    const context = await browser.newContext();
    const from = server.log.lines.length;
    try {
      const page = await context.newPage();
      await page.goto(`http://127.0.0.1:${other.address().port}/`);
      // The right secret: only the origin is wrong.
      const answer = await socketFrom(page, {
        url: `ws://127.0.0.1:${server.webPort}/socket`,
        hello: { type: 'hello', secret: server.secret },
        press: { type: 'press', id: 1, button: buttons['Stop'].id } });
      assert.deepEqual(answer.received, [], 'the server answered a foreign page');
      // Refused in the handshake (the socket never opens), or opened and closed for policy.
      assert.ok(!answer.opened || answer.code === 1008, `opened, then closed with ${answer.code}`);
    } finally {
      await context.close();
      await new Promise((resolve) => other.close(resolve));
    }
    await server.log.waitFor(/^Refused a phone pad connection from .*not the pad's/, { from });
    await expectOnlyTheMarkerNext('foreign origin');
  });
});
