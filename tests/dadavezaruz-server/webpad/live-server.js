// The real shortcut server, an X client that records keys and headless Chromium, for the phone
// pad's end-to-end test, its benchmark and its screenshots. Everything stays on 127.0.0.1: the
// link the server prints names its LAN address, which is never contacted; only its fragment (the
// pairing secret) is used, on http://127.0.0.1:<web port>/.
'use strict';

const { spawn, execFileSync } = require('node:child_process');
const crypto = require('node:crypto');
const fs = require('node:fs');
const net = require('node:net');
const os = require('node:os');
const path = require('node:path');
const readline = require('node:readline');
const { createRequire } = require('node:module');

const repo = path.resolve(__dirname, '..', '..', '..');
// The test tools (playwright-core) are installed in tests/tools/node_modules.
const { chromium } = createRequire(path.join(repo, 'tests', 'tools', 'package.json'))(
  'playwright-core');

// Long enough for a slow machine, never part of what is checked.
const WAIT_MS = 15000;

// A port that was free a moment ago on 127.0.0.1.
function freePort() {
  return new Promise((resolve, reject) => {
    const probe = net.createServer();
    probe.once('error', reject);
    probe.listen(0, '127.0.0.1', () => {
      const { port } = probe.address();
      probe.close(() => resolve(port));
    });
  });
}

// Lines of a child's stdout, with a way to wait for the first one (past or future) that matches.
class LineLog {
  constructor(stream) {
    this.lines = [];
    this.waiters = [];
    this.ended = false;
    readline.createInterface({ input: stream }).on('line', (line) => {
      this.lines.push(line);
      this.waiters = this.waiters.filter((waiter) => !waiter.check(line, this.lines.length - 1));
    }).on('close', () => {
      this.ended = true;
      for (const waiter of this.waiters.splice(0))
        waiter.fail(new Error('the program ended'));
    });
  }

  // The first line from index `from` on that matches `pattern` (its match array).
  waitFor(pattern, { from = 0, timeout = WAIT_MS, what = String(pattern) } = {}) {
    for (let i = from; i < this.lines.length; ++i) {
      const match = pattern.exec(this.lines[i]);
      if (match)
        return Promise.resolve(match);
    }
    return new Promise((resolve, reject) => {
      const fail = (error) => {
        clearTimeout(timer);
        reject(new Error(`${what}: ${error.message}; output so far:\n${this.lines.join('\n')}`));
      };
      const timer = setTimeout(() => {
        this.waiters = this.waiters.filter((waiter) => waiter !== entry);
        fail(new Error('not seen in time'));
      }, timeout);
      const entry = {
        check: (line, index) => {
          const match = index >= from && pattern.exec(line);
          if (!match)
            return false;
          clearTimeout(timer);
          resolve(match);
          return true;
        },
        fail,
      };
      if (this.ended)
        fail(new Error('the program ended'));
      else
        this.waiters.push(entry);
    });
  }
}

function stopChild(child) {
  if (!child || child.exitCode !== null || child.signalCode !== null)
    return Promise.resolve();
  return new Promise((resolve) => {
    child.once('exit', () => resolve());
    process.kill(child.pid, 'SIGTERM');
  });
}

// Starts huebench-server with a home of its own on free loopback ports and waits for its pad link.
async function startServer({ binary = process.env.HUEBENCH_SERVER_BINARY, display } = {}) {
  if (!binary)
    throw new Error('HUEBENCH_SERVER_BINARY names no server binary');
  const home = fs.mkdtempSync(path.join(os.tmpdir(), 'hb-webpad-'));
  const env = { ...process.env, HOME: path.join(home, 'home'),
    XDG_CONFIG_HOME: path.join(home, 'config'), XDG_DATA_HOME: path.join(home, 'data'),
    XDG_CACHE_HOME: path.join(home, 'cache'), XDG_RUNTIME_DIR: path.join(home, 'runtime') };
  if (display)
    env.DISPLAY = display;
  for (const dir of ['HOME', 'XDG_CONFIG_HOME', 'XDG_DATA_HOME', 'XDG_CACHE_HOME', 'XDG_RUNTIME_DIR'])
    fs.mkdirSync(env[dir], { recursive: true, mode: 0o700 });
  // The pairing secret is the settings' own, so the pad's link is known even on a machine
  // without a local network address (where no link is printed).
  const secret = crypto.randomBytes(32).toString('base64url');
  fs.mkdirSync(path.join(env.XDG_CONFIG_HOME, 'Huebench'), { recursive: true });
  fs.writeFileSync(path.join(env.XDG_CONFIG_HOME, 'Huebench', 'Huebench.ini'),
    `[General]\ndadavezaruz.server.webPadSecret=${secret}\n`);
  const port = await freePort();
  const webPort = await freePort();
  const child = spawn(binary, ['--port', String(port), '--web-port', String(webPort)],
    { env, stdio: ['ignore', 'pipe', 'pipe'] });
  const log = new LineLog(child.stdout);
  const errors = [];
  child.stderr.on('data', (chunk) => errors.push(String(chunk)));
  const server = {
    child,
    pid: child.pid,
    log,
    home,
    port,
    webPort,
    origin: `http://127.0.0.1:${webPort}`,
    errors,
    // The store the server opened (found rather than assumed: its folder comes from Qt).
    database() {
      const found = [];
      const walk = (dir) => {
        for (const entry of fs.readdirSync(dir, { withFileTypes: true })) {
          const full = path.join(dir, entry.name);
          if (entry.isDirectory())
            walk(full);
          else if (entry.name === 'huebench.sqlite')
            found.push(full);
        }
      };
      walk(env.XDG_DATA_HOME);
      if (found.length !== 1)
        throw new Error(`expected one store under ${env.XDG_DATA_HOME}, found ${found.length}`);
      return found[0];
    },
    // Runs SQL on the store with the sqlite3 program, as another process of the desktop would.
    sql(statement) {
      return execFileSync('sqlite3', ['-cmd', '.timeout 5000', this.database(), statement],
        { encoding: 'utf8' });
    },
    // The rows of a query, as objects.
    query(statement) {
      const text = execFileSync('sqlite3', ['-json', '-cmd', '.timeout 5000', this.database(),
        statement], { encoding: 'utf8' });
      return text.trim() ? JSON.parse(text) : [];
    },
    async stop() {
      await stopChild(child);
    },
    cleanup() {
      fs.rmSync(home, { recursive: true, force: true });
    },
  };
  try {
    const served = await log.waitFor(/^Phone pad served at http:\/\/([^/]+):(\d+)\/$/,
      { what: 'the phone pad' });
    if (served[1] !== 'localhost') {
      // With a local network address the server prints the link a phone scans.
      const link = await log.waitFor(/^Phone pad: http:\/\/[^/]+\/#k=([A-Za-z0-9_-]{43})&p=(\d+)$/,
        { what: 'the phone pad link' });
      if (link[1] !== secret || link[2] !== String(port))
        throw new Error(`the printed link does not hold the settings' secret: ${link[0]}`);
    }
    server.secret = secret;
    // Only loopback is used, whatever address was printed.
    server.padUrl = `${server.origin}/#k=${secret}&p=${port}`;
  } catch (error) {
    await server.stop();
    server.cleanup();
    throw new Error(`${error.message}\nstderr:\n${errors.join('')}`);
  }
  return server;
}

// The X client that records key presses (key_recorder.cpp); it has the focus once started.
async function startKeyRecorder({ binary = process.env.HB_KEY_RECORDER_BINARY, display } = {}) {
  if (!binary)
    throw new Error('HB_KEY_RECORDER_BINARY names no key recorder binary');
  const env = { ...process.env };
  if (display)
    env.DISPLAY = display;
  const child = spawn(binary, [], { env, stdio: ['pipe', 'pipe', 'inherit'] });
  const log = new LineLog(child.stdout);
  await log.waitFor(/^ready /, { what: 'the key recorder' });
  const parse = (line) => {
    const [, keysym, state, ns] = line.split(' ');
    return { keysym, state: Number(state), at: BigInt(ns) };
  };
  const recorder = {
    pid: child.pid,
    log,
    taken: 0, // keys already handed out by next()
    keys: () => log.lines.filter((line) => line.startsWith('key ')).map(parse),
    // The next key press not yet handed out.
    async next(what = 'a key press') {
      for (;;) {
        const keys = this.keys();
        if (keys.length > this.taken)
          return keys[this.taken++];
        await log.waitFor(/^key /, { what, from: log.lines.length });
      }
    },
    async stop() {
      child.stdin.end();
      await stopChild(child);
    },
  };
  return recorder;
}

// X modifier state bits.
const MODIFIERS = { shift: 1, lock: 2, control: 4, mod1: 8, mod4: 64 };

// Headless Chromium that opens no connection of its own; `extraArgs` adds switches.
function launchBrowser(extraArgs = []) {
  return chromium.launch({
    executablePath: process.env.HB_CHROMIUM || '/usr/bin/chromium',
    args: ['--no-sandbox', '--headless=new', '--disable-background-networking',
      '--disable-component-update', '--disable-sync', ...extraArgs],
  });
}

// A phone: its own browser context with a touch screen, that loads nothing but the server's pages
// (from `origin` when they come through a relay).
async function openPhone(browser, server, { url = server.padUrl, origin = server.origin,
  viewport = { width: 390, height: 844 }, deviceScaleFactor = 1, initScript = null } = {}) {
  const context = await browser.newContext({ viewport, deviceScaleFactor, isMobile: true,
    hasTouch: true, serviceWorkers: 'block' });
  const foreign = [];
  await context.route((address) => address.origin !== origin, (route) => {
    foreign.push(route.request().url());
    return route.abort();
  });
  const page = await context.newPage();
  if (initScript)
    await page.addInitScript(initScript);
  await page.goto(url);
  return { context, page, foreign };
}

async function waitForText(page, selector, text, timeout = WAIT_MS) {
  await page.waitForFunction(([s, x]) => document.querySelector(s).textContent === x,
    [selector, text], { timeout }).catch(async (error) => {
    const actual = await page.locator(selector).textContent().catch(() => '?');
    throw new Error(`${selector} shows ${JSON.stringify(actual)}, expected ` +
      `${JSON.stringify(text)} (${error.message.split('\n')[0]})`);
  });
}

module.exports = { WAIT_MS, MODIFIERS, freePort, startServer, startKeyRecorder, launchBrowser,
  openPhone, waitForText, stopChild };
