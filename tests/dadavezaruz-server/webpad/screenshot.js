// Pictures of the phone pad for the README: the real server with a fresh home, its page in
// headless Chromium as a phone (390 x 844, and 844 x 390 turned), after a tap that was sent.
// Run by hand from the repository, with a built server, on a display:
//
//   HUEBENCH_SERVER_BINARY=build/dev/src/dadavezaruz-server/huebench-server \
//     scripts/test-env node tests/dadavezaruz-server/webpad/screenshot.js
//
// It writes docs/webpad-phone.png and docs/webpad-phone-landscape.png. The tap's key goes to
// whichever window has the focus on that display (none under scripts/test-env).
'use strict';

const path = require('node:path');
const live = require('./live-server.js');

const docs = path.resolve(__dirname, '..', '..', '..', 'docs');
const shots = [
  { file: 'webpad-phone.png', viewport: { width: 390, height: 844 } },
  { file: 'webpad-phone-landscape.png', viewport: { width: 844, height: 390 } },
];

async function main() {
  if (!process.env.DISPLAY)
    throw new Error('needs an X display (run under scripts/test-env)');
  let server;
  let browser;
  try {
    server = await live.startServer();
    // The default buttons bring their application forward first; nothing to bring here.
    server.sql("UPDATE ShortcutButton SET appTarget = 'global';");
    const [{ id }] = server.query("SELECT id FROM ShortcutButton WHERE label = 'Play / Pause';");
    browser = await live.launchBrowser();
    for (const shot of shots) {
      const phone = await live.openPhone(browser, server,
        { viewport: shot.viewport, deviceScaleFactor: 2 });
      await live.waitForText(phone.page, '#status-text', 'Connected');
      await phone.page.waitForSelector(`[data-button-id="${id}"]`);
      // Icons are CSS masks: let them load before the picture.
      await phone.page.waitForLoadState('networkidle');
      await phone.page.tap(`[data-button-id="${id}"]`);
      await live.waitForText(phone.page, '#feedback', 'Sent: Play / Pause');
      const file = path.join(docs, shot.file);
      await phone.page.screenshot({ path: file });
      console.log(`wrote ${file}`);
      await phone.context.close();
    }
  } finally {
    if (browser)
      await browser.close();
    if (server) {
      await server.stop();
      server.cleanup();
    }
  }
}

main().catch((error) => {
  console.error(error.stack || String(error));
  process.exit(1);
});
