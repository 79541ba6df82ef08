// The phone pad's web page in a real headless Chromium. A Node HTTP server on 127.0.0.1 serves
// resources/webpad/ and a few icons; the server's WebSocket is played by the test through
// page.routeWebSocket, and the page's timers run on a paused fake clock that the test advances,
// so nothing here waits for real time to pass.
'use strict';

const { describe, test, before, after } = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const http = require('node:http');
const path = require('node:path');
const { createRequire } = require('node:module');

const repo = path.resolve(__dirname, '..', '..', '..');
const padDir = path.join(repo, 'resources', 'webpad');
const iconDir = path.join(repo, 'resources', 'icons');
// The test tools (playwright-core) are installed in tests/tools/node_modules.
const { chromium } = createRequire(path.join(repo, 'tests', 'tools', 'package.json'))(
  'playwright-core');

const SECRET = 'A1b2C3d4E5f6G7h8I9j0K1l2M3n4O5p6Q7r8S9t0U1v';
const OTHER_SECRET = 'zYxWvUtSrQpOnMlKjIhGfEdCbA9876543210_-zyxw';
const PAIR_TEXT = "Scan the QR code on the server's screen to pair.";
const IMAGE_PATH = '/images/' + 'ab'.repeat(32);
const START = new Date('2026-01-05T09:00:00Z').getTime();
// Long enough for a slow machine, never part of what is checked.
const WAIT_MS = 10000;

// --- The HTTP side of the server ---

const files = {
  '/': ['index.html', 'text/html; charset=utf-8'],
  '/pad.css': ['pad.css', 'text/css; charset=utf-8'],
  '/pad.js': ['pad.js', 'text/javascript; charset=utf-8'],
  '/manifest.webmanifest': ['manifest.webmanifest', 'application/manifest+json'],
  '/icon-192.png': ['icon-192.png', 'image/png'],
  '/icon-512.png': ['icon-512.png', 'image/png'],
};
const icons = { scissors: 'scissors-duotone.svg', 'bolt.fill': 'lightning-duotone.svg' };
const fallbackIcon = 'circle-duotone.svg';

let server;
let origin;
let browser;
const served = []; // paths the page asked for

function startServer() {
  server = http.createServer((request, response) => {
    const url = new URL(request.url, 'http://127.0.0.1');
    served.push(url.pathname);
    let file = null;
    let type = null;
    const icon = /^\/icons\/(.+)\.svg$/.exec(url.pathname);
    if (files[url.pathname]) {
      file = path.join(padDir, files[url.pathname][0]);
      type = files[url.pathname][1];
    } else if (icon) {
      file = path.join(iconDir, icons[decodeURIComponent(icon[1])] || fallbackIcon);
      type = 'image/svg+xml';
    } else if (url.pathname === IMAGE_PATH) {
      file = path.join(padDir, 'icon-192.png');
      type = 'image/png';
    }
    if (!file) {
      response.writeHead(404).end();
      return;
    }
    const port = server.address().port;
    response.writeHead(200, {
      'Content-Type': type,
      'Cache-Control': 'no-store',
      // What the real server sends: nothing inline, nothing from elsewhere.
      'Content-Security-Policy': "default-src 'none'; script-src 'self'; style-src 'self'; " +
        `img-src 'self'; manifest-src 'self'; connect-src ws://127.0.0.1:${port}`,
    });
    response.end(fs.readFileSync(file));
  });
  return new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
}

// --- The WebSocket side: one record per socket the page opens ---

class Link {
  constructor(route) {
    this.route = route;
    this.received = [];
    this.closed = false;
    this.waiters = [];
    route.onMessage((text) => {
      const message = JSON.parse(String(text));
      this.received.push(message);
      this.waiters = this.waiters.filter((waiter) => !waiter(message));
    });
    route.onClose(() => {
      this.closed = true;
    });
  }

  // The next message of the given type, or one already received and not yet taken.
  next(type) {
    const index = this.received.findIndex((message) => message.type === type && !message.taken);
    if (index >= 0) {
      this.received[index].taken = true;
      return Promise.resolve(this.received[index]);
    }
    return new Promise((resolve, reject) => {
      const timer = setTimeout(() => reject(new Error(`no ${type} message arrived`)), WAIT_MS);
      this.waiters.push((message) => {
        if (message.type !== type)
          return false;
        message.taken = true;
        clearTimeout(timer);
        resolve(message);
        return true;
      });
    });
  }

  send(message) {
    this.route.send(JSON.stringify(message));
  }

  async serve(pages) {
    await this.next('hello');
    this.send({ type: 'status', state: 'ready', message: '' });
    if (pages)
      this.send({ type: 'pages', pages });
  }
}

function button(id, label, row, col, extra = {}) {
  return { id, label, symbol: 'scissors', color: '#6B5CE7', row, col, image: null,
    sendsKeys: true, ...extra };
}

const resolvePage = {
  id: 1,
  name: 'Resolve',
  buttons: [
    button(42, 'Cut', 0, 1, { symbol: 'scissors', color: '#E8843C' }),
    button(43, 'Play', 1, 0, { symbol: 'bolt.fill', color: '#18D3BC' }),
    button(44, 'Logo', 2, 3, { image: IMAGE_PATH }),
    button(45, 'Nothing bound', 3, 3, { sendsKeys: false }),
    button(46, 'A label far too long to fit on two lines of a small tile at all', 3, 0),
  ],
};
const obsPage = { id: 7, name: 'OBS', buttons: [button(70, 'Scene 1', 0, 0)] };

// --- One pad in its own browser context ---

async function openPad(t, { visit = '/#k=' + SECRET + '&p=58432',
  viewport = { width: 390, height: 844 } } = {}) {
  const context = await browser.newContext({ viewport, isMobile: true, hasTouch: true,
    serviceWorkers: 'block' });
  const foreign = [];
  // The page must load nothing from anywhere but its own server.
  await context.route((url) => url.origin !== origin, (route) => {
    foreign.push(route.request().url());
    return route.abort();
  });
  const page = await context.newPage();
  await page.addInitScript(() => {
    window.cspViolations = [];
    document.addEventListener('securitypolicyviolation',
      (event) => window.cspViolations.push(`${event.violatedDirective} ${event.blockedURI}`));
  });
  const links = [];
  const linkWaiters = [];
  await page.routeWebSocket(origin.replace('http:', 'ws:') + '/socket', (route) => {
    links.push(new Link(route));
    linkWaiters.splice(0).forEach((wake) => wake());
  });
  await page.clock.install({ time: START });
  await page.clock.pauseAt(START + 1000);
  await page.goto(origin + visit);

  const pad = {
    page,
    links,
    // The socket number n (1-based) once the page has opened it.
    async link(n) {
      const deadline = Date.now() + WAIT_MS;
      while (links.length < n) {
        if (Date.now() > deadline)
          throw new Error(`the page opened ${links.length} sockets, expected ${n}`);
        await new Promise((wake) => {
          linkWaiters.push(wake);
          setTimeout(wake, 100);
        });
      }
      return links[n - 1];
    },
    statusText: () => page.locator('#status-text').textContent(),
    feedback: () => page.locator('#feedback'),
    async waitForText(selector, text) {
      await page.waitForFunction(([s, x]) => document.querySelector(s).textContent === x,
        [selector, text], { timeout: WAIT_MS }).catch(async () => {
        const actual = await page.locator(selector).textContent();
        assert.fail(`${selector} shows ${JSON.stringify(actual)}, expected ${JSON.stringify(text)}`);
      });
    },
    // Lets the socket's events that are on their way reach the page before time moves on.
    settle: () => page.evaluate(() => new Promise((resolve) => queueMicrotask(resolve))),
  };
  t.after(async () => {
    const violations = await page.evaluate(() => window.cspViolations).catch(() => []);
    await context.close();
    assert.deepEqual(foreign, [], 'the page loaded resources from elsewhere');
    assert.deepEqual(violations, [], 'the page broke its content security policy');
  });
  return pad;
}

async function cellBoxes(page) {
  return page.$$eval('#grid > .cell', (cells) => cells.map((cell) => {
    const box = cell.getBoundingClientRect();
    return { row: Number(cell.dataset.row), col: Number(cell.dataset.col),
      button: cell.dataset.buttonId ? Number(cell.dataset.buttonId) : null,
      left: box.left, top: box.top, right: box.right, bottom: box.bottom,
      width: box.width, height: box.height };
  }));
}

before(async () => {
  await startServer();
  origin = `http://127.0.0.1:${server.address().port}`;
  browser = await chromium.launch({
    executablePath: process.env.HB_CHROMIUM || '/usr/bin/chromium',
    args: ['--no-sandbox', '--headless=new', '--disable-background-networking',
      '--disable-component-update', '--disable-sync'],
  });
});

after(async () => {
  if (browser)
    await browser.close();
  if (server)
    await new Promise((resolve) => server.close(resolve));
});

describe('pairing secret', () => {
  test('the fragment secret is kept, leaves the address bar and is used on later visits',
    async (t) => {
      const pad = await openPad(t, { visit: '/#k=' + SECRET + '&p=58432' });
      const visits = [
        { visit: null, secret: SECRET }, // the first load of openPad
        { visit: '/', secret: SECRET }, // Home Screen icon: no fragment
        { visit: '/#k=' + OTHER_SECRET + '&p=58432', secret: OTHER_SECRET }, // a new QR code
        { visit: '/', secret: OTHER_SECRET },
      ];
      for (const [index, step] of visits.entries()) {
        if (step.visit)
          await pad.page.goto(origin + step.visit);
        const hello = await (await pad.link(index + 1)).next('hello');
        assert.equal(hello.secret, step.secret, `visit ${index + 1}`);
        assert.equal(typeof hello.t, 'number');
        assert.equal(pad.page.url(), origin + '/', `visit ${index + 1} leaves the secret in the URL`);
        const stored = await pad.page.evaluate(() => localStorage.getItem('huebench.padSecret'));
        assert.equal(stored, step.secret);
      }
    });

  for (const visit of ['/', '/#p=58432', '/#k=']) {
    test(`no secret at all (${visit}): asks to pair and opens no socket`, async (t) => {
      const pad = await openPad(t, { visit });
      await pad.waitForText('#status-text', PAIR_TEXT);
      await pad.page.clock.runFor(120000);
      assert.equal(pad.links.length, 0);
      assert.equal(await pad.statusText(), PAIR_TEXT);
    });
  }
});

describe('pages and buttons', () => {
  test('pages render as tabs and a 4 x 4 grid', async (t) => {
    const pad = await openPad(t);
    await (await pad.link(1)).serve([resolvePage, obsPage]);
    await pad.waitForText('#status-text', 'Connected');
    await pad.page.waitForSelector('[data-button-id="42"]');

    const tabs = await pad.page.$$eval('[role=tab]',
      (all) => all.map((tab) => [tab.textContent, tab.getAttribute('aria-selected')]));
    assert.deepEqual(tabs, [['Resolve', 'true'], ['OBS', 'false']]);

    const cells = await cellBoxes(pad.page);
    assert.equal(cells.length, 16);
    const placed = Object.fromEntries(cells.filter((cell) => cell.button !== null)
      .map((cell) => [cell.button, [cell.row, cell.col]]));
    assert.deepEqual(placed, { 42: [0, 1], 43: [1, 0], 44: [2, 3], 45: [3, 3], 46: [3, 0] });
    // The cells are laid out where their row and column say, as squares of one size.
    for (const cell of cells) {
      assert.ok(Math.abs(cell.width - cell.height) < 1, 'cells are square');
      assert.ok(Math.abs(cell.width - cells[0].width) < 1, 'cells are of one size');
      const first = cells[0];
      const step = cells[1].left - first.left;
      assert.ok(Math.abs(cell.left - (first.left + cell.col * step)) < 1.5, 'column position');
      assert.ok(Math.abs(cell.top - (first.top + cell.row * step)) < 1.5, 'row position');
    }

    const details = await pad.page.$$eval('#grid > .cell', (all) => all.map((cell) => {
      const icon = cell.querySelector('.icon');
      const image = cell.querySelector('img');
      const label = cell.querySelector('.label');
      return {
        id: cell.dataset.buttonId || null,
        tag: cell.tagName,
        aria: cell.getAttribute('aria-label'),
        icon: icon ? getComputedStyle(icon).maskImage : null,
        image: image ? new URL(image.src).pathname : null,
        imageLoaded: image ? image.complete && image.naturalWidth > 0 : null,
        label: label ? label.textContent : null,
        labelClipped: label ? label.scrollHeight > label.clientHeight + 1 : null,
        labelLines: label ? Math.round(label.clientHeight / parseFloat(
          getComputedStyle(label).lineHeight)) : null,
        opacity: Number(getComputedStyle(cell).opacity),
        tint: getComputedStyle(cell).backgroundColor,
      };
    }));
    const byId = Object.fromEntries(details.filter((cell) => cell.id).map((cell) => [cell.id, cell]));
    const expected = [
      { id: '42', icon: '/icons/scissors.svg', label: 'Cut', tint: 'rgba(232, 132, 60, 0.15)' },
      { id: '43', icon: '/icons/bolt.fill.svg', label: 'Play', tint: 'rgba(24, 211, 188, 0.15)' },
      { id: '44', image: IMAGE_PATH, label: 'Logo' },
      { id: '45', icon: '/icons/scissors.svg', label: 'Nothing bound', dimmed: true },
      { id: '46', icon: '/icons/scissors.svg', label: resolvePage.buttons[4].label, clipped: true },
    ];
    for (const want of expected) {
      const cell = byId[want.id];
      assert.equal(cell.tag, 'BUTTON', `button ${want.id}`);
      assert.equal(cell.aria, want.label, `aria-label of ${want.id}`);
      assert.equal(cell.label, want.label);
      if (want.icon) {
        assert.ok(cell.icon.includes(origin + want.icon), `icon of ${want.id}: ${cell.icon}`);
        assert.equal(cell.image, null);
      } else {
        assert.equal(cell.image, want.image);
        assert.equal(cell.imageLoaded, true);
        assert.equal(cell.icon, null, 'a custom image replaces the icon');
      }
      if (want.tint)
        assert.equal(cell.tint, want.tint);
      assert.equal(cell.opacity < 1, Boolean(want.dimmed), `dimming of ${want.id}`);
      assert.ok(cell.labelLines <= 2, `label of ${want.id} takes ${cell.labelLines} lines`);
      assert.equal(cell.labelClipped, Boolean(want.clipped), `clipping of ${want.id}`);
    }
    const empty = details.filter((cell) => !cell.id);
    assert.equal(empty.length, 11);
    assert.ok(empty.every((cell) => cell.tag !== 'BUTTON' && cell.label === null));
    for (const icon of ['/icons/scissors.svg', '/icons/bolt.fill.svg', IMAGE_PATH])
      assert.ok(served.includes(icon), `${icon} was loaded`);
  });

  test('phone and Home Screen furniture', async (t) => {
    const pad = await openPad(t);
    await (await pad.link(1)).serve([resolvePage]);
    await pad.page.waitForSelector('[data-button-id="42"]');
    const manifestPath = await pad.page.getAttribute('link[rel=manifest]', 'href');
    const manifest = await (await fetch(new URL(manifestPath, origin))).json();
    const found = await pad.page.evaluate(async (manifest) => {
      const attribute = (selector, name) => {
        const element = document.querySelector(selector);
        return element ? element.getAttribute(name) : null;
      };
      const icons = [];
      for (const icon of manifest.icons) {
        const image = new Image();
        image.src = icon.src;
        await image.decode();
        icons.push({ sizes: icon.sizes, type: icon.type,
          actual: `${image.naturalWidth}x${image.naturalHeight}` });
      }
      return {
        viewport: attribute('meta[name=viewport]', 'content').split(',').map((part) => part.trim())
          .sort(),
        live: attribute('#status', 'aria-live'),
        tablist: attribute('#tabs', 'role'),
        touchAction: getComputedStyle(document.querySelector('[data-button-id="42"]')).touchAction,
        manifest: { name: manifest.name, short_name: manifest.short_name,
          display: manifest.display, start_url: manifest.start_url,
          colours: Boolean(manifest.background_color && manifest.theme_color) },
        icons,
      };
    }, manifest);
    assert.deepEqual(found, {
      viewport: ['initial-scale=1', 'viewport-fit=cover', 'width=device-width'],
      live: 'polite',
      tablist: 'tablist',
      touchAction: 'manipulation',
      manifest: { name: 'Huebench Pad', short_name: 'Huebench', display: 'standalone',
        start_url: '/', colours: true },
      icons: [{ sizes: '192x192', type: 'image/png', actual: '192x192' },
        { sizes: '512x512', type: 'image/png', actual: '512x512' }],
    });
  });

  test('a second pages message updates the grid and keeps the chosen tab', async (t) => {
    const pad = await openPad(t);
    const link = await pad.link(1);
    await link.serve([resolvePage, obsPage]);
    await pad.page.waitForSelector('[data-button-id="42"]');
    await pad.page.tap('[role=tab] >> text=OBS');
    await pad.page.waitForSelector('[data-button-id="70"]');

    const renamed = { ...obsPage, name: 'Stream', buttons: [button(71, 'Scene 2', 1, 2)] };
    const steps = [
      // The chosen page moved to the front and changed: still chosen, showing its new buttons.
      { pages: [renamed, resolvePage], tab: 'Stream', buttons: { 71: [1, 2] } },
      // Another page changed; the chosen one stays.
      { pages: [renamed, { ...resolvePage, buttons: [] }], tab: 'Stream', buttons: { 71: [1, 2] } },
      // The chosen page was deleted: the first page is shown.
      { pages: [resolvePage], tab: 'Resolve',
        buttons: { 42: [0, 1], 43: [1, 0], 44: [2, 3], 45: [3, 3], 46: [3, 0] } },
    ];
    for (const [index, step] of steps.entries()) {
      link.send({ type: 'pages', pages: step.pages });
      await pad.page.waitForFunction((name) => {
        const tab = document.querySelector('[role=tab][aria-selected=true]');
        return tab && tab.textContent === name;
      }, step.tab, { timeout: WAIT_MS });
      await pad.page.waitForFunction((count) => document.querySelectorAll(
        '#grid > button').length === count, Object.keys(step.buttons).length, { timeout: WAIT_MS });
      const placed = Object.fromEntries((await cellBoxes(pad.page))
        .filter((cell) => cell.button !== null).map((cell) => [cell.button, [cell.row, cell.col]]));
      assert.deepEqual(placed, step.buttons, `step ${index + 1}`);
    }
    assert.equal(pad.links.length, 1, 'updates come without reconnecting');
  });

  test('two-state buttons show their state, and follow the next pages message', async (t) => {
    const pad = await openPad(t);
    const link = await pad.link(1);
    const page = (muteOn) => ({ id: 3, name: 'Stream', buttons: [
      button(30, 'Plain', 0, 0),
      button(31, muteOn ? 'Muted' : 'Mute', 0, 1, { on: muteOn }),
      button(32, 'Live', 0, 2, { on: true, sendsKeys: false }),
    ] });
    const shown = () => pad.page.$$eval('#grid > button', (all) => all.map((cell) => [
      cell.dataset.buttonId, cell.getAttribute('aria-pressed'),
      getComputedStyle(cell, '::after').content !== 'none']));
    await link.serve([page(false)]);
    await pad.page.waitForSelector('[data-button-id="32"]');
    // Only a two-state button has a pressed state; the one that is on has a marker.
    assert.deepEqual(await shown(),
      [['30', null, false], ['31', 'false', false], ['32', 'true', true]]);
    link.send({ type: 'pages', pages: [page(true)] });
    await pad.page.waitForSelector('[data-button-id="31"][aria-pressed="true"]',
      { timeout: WAIT_MS });
    assert.deepEqual(await shown(),
      [['30', null, false], ['31', 'true', true], ['32', 'true', true]]);
    assert.equal(await pad.page.getAttribute('[data-button-id="31"]', 'aria-label'), 'Muted');
  });

  test('the chosen tab is remembered across visits', async (t) => {
    const pad = await openPad(t);
    await (await pad.link(1)).serve([resolvePage, obsPage]);
    await pad.page.waitForSelector('[role=tab] >> text=OBS');
    await pad.page.tap('[role=tab] >> text=OBS');
    await pad.page.goto(origin + '/');
    await (await pad.link(2)).serve([resolvePage, obsPage]);
    await pad.page.waitForSelector('[data-button-id="70"]');
    assert.equal(await pad.page.locator('[role=tab][aria-selected=true]').textContent(), 'OBS');
  });
});

describe('presses', () => {
  const answers = [
    { name: 'posted', answer: { ok: true, label: 'Cut' }, text: 'Sent: Cut',
      color: 'rgb(24, 211, 188)', flash: true },
    { name: 'refused', answer: { ok: false, reason: 'Not typed: the press arrived too late' },
      text: 'Not typed: the press arrived too late', color: 'rgb(252, 68, 68)', flash: false },
  ];
  for (const want of answers) {
    test(`a tap sends a press and shows the ${want.name} result`, async (t) => {
      const pad = await openPad(t);
      const link = await pad.link(1);
      await link.serve([resolvePage]);
      await pad.waitForText('#status-text', 'Connected');
      await pad.page.tap('[data-button-id="42"]');
      const press = await link.next('press');
      assert.equal(press.button, 42);
      assert.equal(typeof press.id, 'number');
      assert.equal(typeof press.t, 'number');

      link.send({ type: 'result', id: press.id, ...want.answer });
      await pad.waitForText('#feedback', want.text);
      const shown = await pad.page.$eval('#feedback', (element) => ({
        color: getComputedStyle(element).color,
        visible: element.getBoundingClientRect().width > 0,
      }));
      assert.deepEqual(shown, { color: want.color, visible: true });
      const flashed = await pad.page.$eval('[data-button-id="42"]',
        (element) => element.classList.contains('flash'));
      assert.equal(flashed, want.flash);

      // The answer goes away after a few seconds and the connection state shows again.
      await pad.page.clock.runFor(3500);
      await pad.waitForText('#feedback', '');
      assert.ok(await pad.page.locator('#status-text').isVisible());
    });
  }

  test('each press has its own id', async (t) => {
    const pad = await openPad(t);
    const link = await pad.link(1);
    await link.serve([resolvePage]);
    await pad.page.waitForSelector('[data-button-id="43"]');
    const ids = new Set();
    for (const id of [42, 43, 42]) {
      await pad.page.tap(`[data-button-id="${id}"]`);
      const press = await link.next('press');
      assert.equal(press.button, id);
      ids.add(press.id);
    }
    assert.equal(ids.size, 3);
  });
});

describe('connection', () => {
  const refusals = [
    { state: 'badSecret', message: "This link is out of date. Scan the QR code on the server's " +
      'screen again.', lockout: null },
    { state: 'linkReplaced', message: 'A new pairing link was made. Scan the QR code again.',
      lockout: null },
    { state: 'refused', message: 'The server refused this device.', lockout: null },
    { state: 'tooManyAttempts', message: 'Too many attempts. Wait a minute and try again.',
      lockout: 60000 },
  ];
  for (const refusal of refusals) {
    test(`${refusal.state} shows the message and does not reconnect by itself`, async (t) => {
      const pad = await openPad(t);
      const link = await pad.link(1);
      await link.next('hello');
      link.send({ type: 'status', state: refusal.state, message: refusal.message });
      link.route.close({ code: 1008, reason: refusal.state });
      await pad.waitForText('#status-text', refusal.message);
      assert.ok(await pad.page.locator('#retry').isVisible(), 'Try Again is offered');

      await pad.page.clock.runFor(59000);
      await pad.settle();
      assert.equal(pad.links.length, 1, 'reconnected during the lockout');
      if (refusal.lockout) {
        // Once the minute is over it tries again by itself.
        await pad.page.clock.runFor(refusal.lockout - 59000);
      } else {
        await pad.page.clock.runFor(600000);
        await pad.settle();
        assert.equal(pad.links.length, 1, 'reconnected by itself');
        await pad.page.locator('#retry').click();
      }
      const again = await pad.link(2);
      assert.equal((await again.next('hello')).secret, SECRET);
      assert.equal(await pad.page.locator('#retry').isVisible(), false);
    });
  }

  test('a dropped socket reconnects with a growing back-off', async (t) => {
    const pad = await openPad(t);
    // Closes by the server and the seconds the page waits after each; a connection that
    // reached "ready" starts the back-off over.
    const drops = [
      { ready: true, wait: 1 }, { ready: false, wait: 2 }, { ready: false, wait: 4 },
      { ready: false, wait: 8 }, { ready: false, wait: 16 }, { ready: false, wait: 30 },
      { ready: false, wait: 30 }, { ready: true, wait: 1 },
    ];
    for (const [index, drop] of drops.entries()) {
      const link = await pad.link(index + 1);
      assert.equal((await link.next('hello')).secret, SECRET, `connection ${index + 1}`);
      if (drop.ready) {
        link.send({ type: 'status', state: 'ready', message: '' });
        await pad.waitForText('#status-text', 'Connected');
      }
      link.route.close({ code: 1001, reason: 'server stops' });
      await pad.waitForText('#status-text', `Reconnecting in ${drop.wait} s…`);
      if (drop.wait > 1) {
        await pad.page.clock.runFor(drop.wait * 1000 - 1000);
        await pad.settle();
        assert.equal(pad.links.length, index + 1, `drop ${index + 1}: reconnected too early`);
        assert.equal(await pad.statusText(), 'Reconnecting in 1 s…');
      }
      await pad.page.clock.runFor(1000);
      await pad.link(index + 2);
    }
    assert.equal((await pad.links[drops.length].next('hello')).secret, SECRET);
    assert.equal(await pad.page.locator('#retry').isVisible(), false);
  });

  test('coming back to the page connects afresh', async (t) => {
    const pad = await openPad(t);
    const link = await pad.link(1);
    await link.serve([resolvePage]);
    await pad.waitForText('#status-text', 'Connected');
    const showPage = (state) => pad.page.evaluate((visibility) => {
      Object.defineProperty(document, 'visibilityState', { value: visibility, configurable: true });
      document.dispatchEvent(new Event('visibilitychange'));
    }, state);
    await showPage('hidden');
    await pad.settle();
    assert.equal(pad.links.length, 1, 'hiding the page keeps its socket');
    // The old socket may be dead, and the page's clock may have stood still while it slept.
    await showPage('visible');
    assert.equal((await (await pad.link(2)).next('hello')).secret, SECRET);
  });

  test('pings every 10 s and gives up on a socket that stays silent for 25 s', async (t) => {
    const pad = await openPad(t);
    const link = await pad.link(1);
    await link.serve([resolvePage]);
    await pad.waitForText('#status-text', 'Connected');
    // Answered pings keep the socket.
    for (let round = 0; round < 4; ++round) {
      await pad.page.clock.runFor(10000);
      const ping = await link.next('ping');
      assert.equal(typeof ping.t, 'number');
      link.send({ type: 'pong' });
      // Messages keep their order: once the renamed tab shows, the pong has been seen too.
      link.send({ type: 'pages', pages: [{ ...resolvePage, name: `Round ${round}` }] });
      await pad.waitForText('[role=tab]', `Round ${round}`);
    }
    await pad.page.clock.runFor(20000);
    assert.equal(pad.links.length, 1, 'a socket that answers is kept');
    // Unanswered: at 25 s of silence the page reconnects.
    await pad.page.clock.runFor(5000);
    await pad.waitForText('#status-text', 'Reconnecting in 1 s…');
    await pad.page.clock.runFor(1000);
    assert.equal((await (await pad.link(2)).next('hello')).secret, SECRET);
  });
});

describe('layout', () => {
  const viewports = [
    { name: 'small phone, portrait', width: 320, height: 568 },
    { name: 'phone, portrait', width: 390, height: 844 },
    { name: 'phone, landscape', width: 844, height: 390 },
    { name: 'tablet, landscape', width: 1180, height: 820 },
  ];
  for (const viewport of viewports) {
    test(`${viewport.name} (${viewport.width} x ${viewport.height}): all 16 cells fit`,
      async (t) => {
        const pad = await openPad(t, { viewport });
        await (await pad.link(1)).serve([resolvePage, obsPage]);
        await pad.page.waitForSelector('[data-button-id="42"]');
        const cells = await cellBoxes(pad.page);
        assert.equal(cells.length, 16);
        const layout = await pad.page.evaluate(() => {
          const box = (selector) => document.querySelector(selector).getBoundingClientRect();
          const scroller = document.scrollingElement;
          return { width: innerWidth, height: innerHeight, tabs: box('#tabs').bottom,
            status: box('.status-bar').top, statusBottom: box('.status-bar').bottom,
            scrolls: scroller.scrollHeight > innerHeight || scroller.scrollWidth > innerWidth };
        });
        assert.equal(layout.width, viewport.width, 'the page is as wide as the screen');
        assert.equal(layout.scrolls, false, 'the page scrolls');
        assert.ok(layout.statusBottom <= layout.height, 'the status line is on screen');
        const side = cells[0].width;
        for (const cell of cells) {
          assert.ok(cell.left >= 0 && cell.right <= layout.width, `cell ${cell.row},${cell.col}`);
          assert.ok(cell.top >= layout.tabs && cell.bottom <= layout.status,
            `cell ${cell.row},${cell.col} between the tabs and the status line`);
          assert.ok(Math.abs(cell.width - cell.height) < 1 && Math.abs(cell.width - side) < 1);
        }
        // The grid fills the free space in one direction at least.
        const grid = { left: cells[0].left, right: cells[15].right, top: cells[0].top,
          bottom: cells[15].bottom };
        const free = Math.min(layout.width, layout.status - layout.tabs);
        assert.ok(Math.max(grid.right - grid.left, grid.bottom - grid.top) > free * 0.85,
          `the grid is ${grid.right - grid.left} px wide in ${free} px`);
      });
  }
});
