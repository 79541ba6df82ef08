// The phone pad from a tap in headless Chromium to the key at an X client, on loopback, through
// the real huebench-server: one phone tapping over and over, then twenty phones tapping at once.
// t0 is read right before the touch is dispatched (CDP Input.dispatchTouchEvent); t1 is when the
// key recorder (an X client with the focus) read the KeyPress, on the same monotonic clock.
//
// A second figure, send_to_key, starts when the page hands the press to its WebSocket: the
// server's part (and the X server's) without the browser's input pipeline. The page's clock is
// mapped onto the monotonic one by the quickest of a few round trips (within half of it).
//
// The server serves at most 16 connections from one address, so the twenty phones come through
// a relay each that connects from an address of its own (127.0.0.2 ...); all on loopback.
//
// Run by scripts/run-bench through the bench_webpad_tap wrapper that CMake writes next to the
// other benchmarks (it names the server and the key recorder); needs a display (scripts/test-env).
// HB_BENCH_SMOKE=1: a few taps only.
'use strict';

const { spawn } = require('node:child_process');
const path = require('node:path');
const live = require(path.join(__dirname, '..', 'tests', 'dadavezaruz-server', 'webpad',
  'live-server.js'));

const smoke = Boolean(process.env.HB_BENCH_SMOKE);
const TAPS = smoke ? 10 : 200;
const WARM_UP = smoke ? 2 : 10;
const PHONES = 20;
const ROUNDS = smoke ? 1 : 10;
// Twenty distinct keys, so that each key at the X client tells which phone tapped.
const LETTERS = 'abcdefghijklmnopqrst';
const PER_PAGE = 16;

function percentile(sorted, p) {
  return sorted[Math.min(sorted.length - 1, Math.floor(p * (sorted.length - 1)))];
}

function sortedCopy(values) {
  return [...values].sort((a, b) => a - b);
}

function row(name, micros, sendMicros, extra = {}) {
  const sorted = sortedCopy(micros);
  const sends = sortedCopy(sendMicros);
  const mean = sorted.reduce((sum, value) => sum + value, 0) / sorted.length;
  const counters = { p50_us: percentile(sorted, 0.5), p99_us: percentile(sorted, 0.99),
    max_us: sorted[sorted.length - 1], send_to_key_p50_us: percentile(sends, 0.5),
    send_to_key_p99_us: percentile(sends, 0.99), ...extra };
  const text = Object.entries(counters).map(([key, value]) => `${key}=${value.toFixed(0)}`);
  console.log(`${name.padEnd(34)} ${(mean / 1000).toFixed(3).padStart(9)} ms ` +
    `${String(sorted.length).padStart(10)} ${text.join(' ')}`);
}

// Stores two pages of one-letter buttons (the letters' keys go to the window in front).
function storeBenchPages(server) {
  let sql = 'BEGIN; DELETE FROM ShortcutButton; DELETE FROM ShortcutPage;';
  for (let page = 0; page * PER_PAGE < LETTERS.length; ++page) {
    sql += 'INSERT INTO ShortcutPage (id, name, sortOrder) ' +
      `VALUES (${page + 1}, 'Bench ${page + 1}', ${page});`;
    for (let i = page * PER_PAGE; i < Math.min(LETTERS.length, (page + 1) * PER_PAGE); ++i) {
      const cell = i - page * PER_PAGE;
      sql += 'INSERT INTO ShortcutButton (id, page, position, label, sfSymbol, colorHex, keyCombo, ' +
        `appTarget, row, col) VALUES (${i + 1}, ${page + 1}, ${cell}, 'Key ${LETTERS[i]}', ` +
        `'bolt.fill', '#18D3BC', '${LETTERS[i]}', 'global', ${Math.floor(cell / 4)}, ${cell % 4});`;
    }
  }
  server.sql(sql + 'COMMIT;');
}

// Records when the page hands a press to its socket, on its performance.now() clock.
function recordSends() {
  window.pressSends = [];
  const send = WebSocket.prototype.send;
  WebSocket.prototype.send = function sendAndRecord(data) {
    const at = performance.now();
    if (typeof data === 'string' && data.includes('"press"'))
      window.pressSends.push(at);
    return send.call(this, data);
  };
}

// TCP relays on 127.0.0.1 to the server's web port, relay i connecting from 127.0.0.(i + 2). They
// run in a process of their own: this one is busy driving the browser while the phones tap.
const RELAY_PROGRAM = `
const { spawn } = require('node:child_process');
const [target, count] = process.argv.slice(1).map(Number);
const ports = [];
for (let i = 0; i < count; ++i) {
  const relay = net.createServer((inbound) => {
    const outbound = net.connect({ host: '127.0.0.1', port: target,
      localAddress: '127.0.0.' + (i + 2) });
    for (const socket of [inbound, outbound]) {
      socket.setNoDelay(true);
      socket.on('error', () => { inbound.destroy(); outbound.destroy(); });
    }
    inbound.pipe(outbound).pipe(inbound);
  });
  relay.listen(0, '127.0.0.1', () => {
    ports[i] = relay.address().port;
    if (ports.filter(Boolean).length === count)
      console.log(ports.join(' '));
  });
}
process.stdin.resume();
process.stdin.on('end', () => process.exit(0));
`;

async function startRelays(server, count) {
  const child = spawn(process.execPath, ['-e', RELAY_PROGRAM, String(server.webPort),
    String(count)], { stdio: ['pipe', 'pipe', 'inherit'] });
  const ports = await new Promise((resolve, reject) => {
    child.once('exit', () => reject(new Error('the relays ended')));
    child.stdout.once('data', (chunk) => resolve(String(chunk).trim().split(' ').map(Number)));
  });
  return {
    origins: ports.map((port) => `http://127.0.0.1:${port}`),
    close: () => live.stopChild(child),
  };
}

// The offset from the page's performance.now() (ms) to the monotonic clock (ns).
async function clockOffset(page) {
  let best = null;
  for (let i = 0; i < 15; ++i) {
    const before = process.hrtime.bigint();
    const pageMs = await page.evaluate(() => performance.now());
    const after = process.hrtime.bigint();
    const roundTrip = after - before;
    if (!best || roundTrip < best.roundTrip)
      best = { roundTrip, offset: (before + after) / 2n - BigInt(Math.round(pageMs * 1e6)) };
  }
  return best.offset;
}

// A phone that shows button `index` and can tap it through CDP.
async function openTapper(browser, server, index, origin = server.origin) {
  const phone = await live.openPhone(browser, server, { origin, initScript: recordSends,
    url: `${origin}/#k=${server.secret}&p=${server.port}` });
  const { page } = phone;
  await live.waitForText(page, '#status-text', 'Connected');
  const tabName = `Bench ${Math.floor(index / PER_PAGE) + 1}`;
  await page.waitForSelector(`[role=tab] >> text="${tabName}"`);
  await page.tap(`[role=tab] >> text="${tabName}"`);
  const selector = `[data-button-id="${index + 1}"]`;
  await page.waitForSelector(selector);
  const box = await page.locator(selector).boundingBox();
  const point = { x: box.x + box.width / 2, y: box.y + box.height / 2 };
  const cdp = await phone.context.newCDPSession(page);
  const offset = await clockOffset(page);
  return {
    ...phone,
    letter: LETTERS[index],
    // Dispatches the tap and gives the moment just before it, on the key recorder's clock.
    tap() {
      const t0 = process.hrtime.bigint();
      const down = cdp.send('Input.dispatchTouchEvent', { type: 'touchStart', touchPoints: [point] });
      const up = cdp.send('Input.dispatchTouchEvent', { type: 'touchEnd', touchPoints: [] });
      return { t0, sent: Promise.all([down, up]) };
    },
    // When the page sent the presses since the last call, on the key recorder's clock.
    async sends() {
      const times = await page.evaluate(() => window.pressSends.splice(0));
      return times.map((ms) => BigInt(Math.round(ms * 1e6)) + offset);
    },
    nextFrame: () => page.evaluate(() => new Promise((done) => requestAnimationFrame(() => done()))),
  };
}

async function onePhone(browser, server, recorder) {
  const tapper = await openTapper(browser, server, 0);
  const micros = [];
  const sendMicros = [];
  for (let i = 0; i < WARM_UP + TAPS; ++i) {
    const { t0, sent } = tapper.tap();
    const key = await recorder.next('the key of a tap');
    await sent;
    if (key.keysym !== tapper.letter)
      throw new Error(`tap ${i}: ${key.keysym} arrived instead of ${tapper.letter}`);
    const sends = await tapper.sends();
    if (sends.length !== 1)
      throw new Error(`tap ${i}: the page sent ${sends.length} presses`);
    if (i >= WARM_UP) {
      micros.push(Number(key.at - t0) / 1000);
      sendMicros.push(Number(key.at - sends[0]) / 1000);
    }
    await tapper.nextFrame();
  }
  await tapper.context.close();
  row('BM_WebPadTapToKey/one_phone', micros, sendMicros);
}

async function twentyPhones(browser, server, recorder) {
  const relays = await startRelays(server, PHONES);
  const tappers = [];
  for (let i = 0; i < PHONES; ++i)
    tappers.push(await openTapper(browser, server, i, relays.origins[i]));
  const micros = [];
  const sendMicros = [];
  const totals = [];
  // Round 0 warms up: a phone's first press is not what is measured.
  for (let round = 0; round <= ROUNDS; ++round) {
    const taps = tappers.map((tapper) => tapper.tap());
    const arrived = new Map();
    while (arrived.size < PHONES) {
      const key = await recorder.next(`round ${round}: key ${arrived.size + 1} of ${PHONES}`);
      if (arrived.has(key.keysym) || !LETTERS.includes(key.keysym))
        throw new Error(`round ${round}: unexpected key ${key.keysym}`);
      arrived.set(key.keysym, key.at);
    }
    await Promise.all(taps.map((tap) => tap.sent));
    const first = taps.reduce((min, tap) => (tap.t0 < min ? tap.t0 : min), taps[0].t0);
    let last = 0n;
    for (const [i, tapper] of tappers.entries()) {
      const at = arrived.get(tapper.letter);
      const sends = await tapper.sends();
      if (sends.length !== 1)
        throw new Error(`round ${round}: phone ${i + 1} sent ${sends.length} presses`);
      if (round > 0) {
        micros.push(Number(at - taps[i].t0) / 1000);
        sendMicros.push(Number(at - sends[0]) / 1000);
      }
      if (at > last)
        last = at;
    }
    if (round > 0)
      totals.push(Number(last - first) / 1000);
    await Promise.all(tappers.map((tapper) => tapper.nextFrame()));
  }
  await Promise.all(tappers.map((tapper) => tapper.context.close()));
  await relays.close();
  const sortedTotals = sortedCopy(totals);
  row(`BM_WebPadTapToKey/${PHONES}_phones_at_once`, micros, sendMicros,
    { all_keys_p50_us: percentile(sortedTotals, 0.5),
      all_keys_max_us: sortedTotals[sortedTotals.length - 1] });
}

async function main() {
  if (!process.env.DISPLAY)
    throw new Error('needs an X display (run under scripts/test-env)');
  let server;
  let recorder;
  let browser;
  const stopServer = () => {
    if (server && server.child.exitCode === null && server.child.signalCode === null)
      process.kill(server.pid, 'SIGTERM');
  };
  process.on('exit', stopServer);
  try {
    recorder = await live.startKeyRecorder();
    server = await live.startServer();
    storeBenchPages(server);
    browser = await live.launchBrowser();
    const line = '-'.repeat(100);
    console.log(`${line}\n${'Benchmark'.padEnd(34)} ${'Time'.padStart(12)} ` +
      `${'Iterations'.padStart(10)} ` +
      `UserCounters...\n${line}`);
    await onePhone(browser, server, recorder);
    await twentyPhones(browser, server, recorder);
  } finally {
    if (browser)
      await browser.close();
    if (recorder)
      await recorder.stop();
    if (server) {
      await server.stop();
      server.cleanup();
    }
  }
}

main().catch((error) => {
  console.error(`ERROR OCCURRED: ${error.stack || error}`);
  process.exit(1);
});
