// The phone pad: pairs with the shortcut server through the secret of its QR code, shows the
// server's pages of buttons and sends a press for each tap over the page's WebSocket.
'use strict';

(() => {
  const SECRET_KEY = 'huebench.padSecret';
  const PAGE_KEY = 'huebench.padPage';
  const GRID_SIDE = 4;
  const PING_INTERVAL_MS = 10000;
  const SILENCE_LIMIT_MS = 25000;
  const BACKOFF_FIRST_S = 1;
  const BACKOFF_LAST_S = 30;
  const LOCKOUT_S = 60;
  const FEEDBACK_MS = 3000;
  const FLASH_MS = 600;
  const PAIR_TEXT = "Scan the QR code on the server's screen to pair.";
  // States after which the server will not serve this page until something changes.
  const REFUSALS = new Set(['badSecret', 'tooManyAttempts', 'refused', 'linkReplaced']);

  const ui = {
    tabs: document.getElementById('tabs'),
    grid: document.getElementById('grid'),
    status: document.getElementById('status'),
    dot: document.getElementById('status-dot'),
    text: document.getElementById('status-text'),
    feedback: document.getElementById('feedback'),
    retry: document.getElementById('retry'),
  };

  const pad = {
    secret: null,
    socket: null,
    ready: false,
    refusal: null, // the status message that stopped the connection, if any
    pages: [],
    pageId: null,
    nextPressId: 1,
    pending: new Map(), // press id -> button id
    backoffS: BACKOFF_FIRST_S,
    reconnectTimer: 0,
    countdownTimer: 0,
    pingTimer: 0,
    silenceTimer: 0,
    feedbackTimer: 0,
  };

  // --- Storage (may be unavailable in private modes) ---

  function load(key) {
    try {
      return localStorage.getItem(key);
    } catch {
      return null;
    }
  }

  function store(key, value) {
    try {
      localStorage.setItem(key, value);
    } catch {
      // The pad still works for this visit.
    }
  }

  // Takes the secret out of the fragment (#k=...&p=...) into storage and the fragment out of the
  // address bar. Returns true when the fragment held a secret.
  function takeSecretFromFragment() {
    const hash = location.hash.replace(/^#/, '');
    if (!hash)
      return false;
    const secret = new URLSearchParams(hash).get('k');
    history.replaceState(null, '', location.pathname);
    if (!secret || !/^[A-Za-z0-9_-]+$/.test(secret))
      return false;
    store(SECRET_KEY, secret);
    pad.secret = secret;
    return true;
  }

  // --- Status line ---

  function showStatus(text, kind) {
    ui.text.textContent = text;
    ui.dot.className = 'dot' + (kind === 'on' ? ' on' : kind === 'busy' ? ' busy' : '');
    ui.status.classList.toggle('problem', kind === 'problem');
  }

  function showRetry(visible) {
    ui.retry.hidden = !visible;
  }

  function showFeedback(text, ok) {
    clearTimeout(pad.feedbackTimer);
    ui.feedback.textContent = text;
    ui.feedback.className = 'feedback ' + (ok ? 'ok' : 'error');
    ui.status.classList.add('has-feedback');
    pad.feedbackTimer = setTimeout(clearFeedback, FEEDBACK_MS);
  }

  function clearFeedback() {
    clearTimeout(pad.feedbackTimer);
    ui.feedback.textContent = '';
    ui.feedback.className = 'feedback';
    ui.status.classList.remove('has-feedback');
  }

  // --- Connection ---

  function send(message) {
    if (!pad.socket || pad.socket.readyState !== WebSocket.OPEN)
      return false;
    message.t = performance.now();
    pad.socket.send(JSON.stringify(message));
    return true;
  }

  function stopTimers() {
    clearTimeout(pad.reconnectTimer);
    clearInterval(pad.countdownTimer);
    clearInterval(pad.pingTimer);
    clearTimeout(pad.silenceTimer);
    pad.reconnectTimer = pad.countdownTimer = pad.pingTimer = pad.silenceTimer = 0;
  }

  // Forgets the current socket without letting its events reach the pad again.
  function dropSocket() {
    const socket = pad.socket;
    pad.socket = null;
    pad.ready = false;
    pad.pending.clear();
    if (!socket)
      return;
    socket.onopen = socket.onmessage = socket.onclose = socket.onerror = null;
    if (socket.readyState === WebSocket.CONNECTING || socket.readyState === WebSocket.OPEN)
      socket.close();
  }

  function connect() {
    stopTimers();
    dropSocket();
    pad.refusal = null;
    showRetry(false);
    if (!pad.secret) {
      showStatus(PAIR_TEXT, 'problem');
      return;
    }
    showStatus('Connecting…', 'busy');
    const scheme = location.protocol === 'https:' ? 'wss://' : 'ws://';
    let socket;
    try {
      socket = new WebSocket(scheme + location.host + '/socket');
    } catch {
      scheduleReconnect();
      return;
    }
    pad.socket = socket;
    socket.onopen = () => {
      send({ type: 'hello', secret: pad.secret });
      pad.pingTimer = setInterval(() => send({ type: 'ping' }), PING_INTERVAL_MS);
      heardFromServer();
    };
    socket.onmessage = (event) => {
      heardFromServer();
      let message;
      try {
        message = JSON.parse(event.data);
      } catch {
        return;
      }
      if (message && typeof message === 'object')
        handleMessage(message);
    };
    socket.onclose = () => lostConnection();
  }

  // A socket that has said nothing for a while is treated as dead: a phone that changed networks
  // may never see the close.
  function heardFromServer() {
    clearTimeout(pad.silenceTimer);
    pad.silenceTimer = setTimeout(lostConnection, SILENCE_LIMIT_MS);
  }

  function lostConnection() {
    stopTimers();
    dropSocket();
    if (pad.refusal)
      showRefusal();
    else
      scheduleReconnect();
  }

  function scheduleReconnect() {
    stopTimers();
    let left = pad.backoffS;
    pad.backoffS = Math.min(pad.backoffS * 2, BACKOFF_LAST_S);
    const tell = () => showStatus(`Reconnecting in ${left} s…`, 'problem');
    tell();
    pad.countdownTimer = setInterval(() => {
      left = Math.max(1, left - 1);
      tell();
    }, 1000);
    pad.reconnectTimer = setTimeout(connect, left * 1000);
  }

  function showRefusal() {
    showStatus(pad.refusal.message, 'problem');
    showRetry(true);
    // Too many attempts lock this address out for a minute: try once more after it.
    if (pad.refusal.state === 'tooManyAttempts')
      pad.reconnectTimer = setTimeout(connect, LOCKOUT_S * 1000);
  }

  function handleMessage(message) {
    switch (message.type) {
    case 'status':
      handleStatus(message);
      break;
    case 'pages':
      if (Array.isArray(message.pages)) {
        pad.pages = message.pages.filter((page) => page && typeof page === 'object');
        render();
      }
      break;
    case 'result':
      handleResult(message);
      break;
    default:
      break; // pong and anything newer
    }
  }

  function handleStatus(message) {
    const state = String(message.state);
    if (state === 'ready') {
      pad.ready = true;
      pad.backoffS = BACKOFF_FIRST_S;
      showStatus('Connected', 'on');
      return;
    }
    if (!REFUSALS.has(state))
      return;
    const text = typeof message.message === 'string' && message.message
      ? message.message
      : 'The server does not accept this device.';
    pad.refusal = { state, message: text };
    // The server closes the socket after a refusal; do not wait for it.
    lostConnection();
  }

  function handleResult(message) {
    const buttonId = pad.pending.get(message.id);
    pad.pending.delete(message.id);
    if (message.ok) {
      const button = findButton(buttonId);
      const label = typeof message.label === 'string' ? message.label : button ? button.label : '';
      showFeedback('Sent: ' + label, true);
      flash(buttonId);
    } else {
      const reason = typeof message.reason === 'string' && message.reason
        ? message.reason
        : 'Not typed';
      showFeedback(reason, false);
    }
  }

  function press(button) {
    if (navigator.vibrate)
      navigator.vibrate(10);
    if (!pad.ready) {
      showFeedback('Not sent: not connected to the server', false);
      return;
    }
    const id = pad.nextPressId++;
    if (send({ type: 'press', id, button: button.id }))
      pad.pending.set(id, button.id);
  }

  // --- Pages and grid ---

  function currentPage() {
    return pad.pages.find((page) => page.id === pad.pageId) || null;
  }

  function findButton(buttonId) {
    for (const page of pad.pages) {
      const buttons = Array.isArray(page.buttons) ? page.buttons : [];
      const button = buttons.find((candidate) => candidate && candidate.id === buttonId);
      if (button)
        return button;
    }
    return null;
  }

  function selectPage(pageId) {
    pad.pageId = pageId;
    store(PAGE_KEY, String(pageId));
    render();
  }

  function render() {
    if (!currentPage()) {
      const remembered = load(PAGE_KEY);
      const page = pad.pages.find((candidate) => String(candidate.id) === remembered);
      pad.pageId = page ? page.id : pad.pages.length ? pad.pages[0].id : null;
    }
    renderTabs();
    renderGrid(currentPage());
  }

  function renderTabs() {
    const focused = document.activeElement && document.activeElement.classList.contains('tab');
    ui.tabs.replaceChildren();
    for (const page of pad.pages) {
      const tab = document.createElement('button');
      tab.type = 'button';
      tab.className = 'tab';
      tab.setAttribute('role', 'tab');
      tab.id = 'tab-' + page.id;
      tab.dataset.pageId = String(page.id);
      tab.textContent = typeof page.name === 'string' ? page.name : '';
      const selected = page.id === pad.pageId;
      tab.setAttribute('aria-selected', String(selected));
      tab.tabIndex = selected ? 0 : -1;
      tab.addEventListener('click', () => selectPage(page.id));
      ui.tabs.append(tab);
      if (selected && focused)
        tab.focus();
    }
    if (pad.pageId !== null)
      ui.grid.setAttribute('aria-labelledby', 'tab-' + pad.pageId);
    else
      ui.grid.removeAttribute('aria-labelledby');
  }

  // Arrow keys move between tabs, as in any tab list.
  ui.tabs.addEventListener('keydown', (event) => {
    const step = { ArrowRight: 1, ArrowLeft: -1 }[event.key];
    if (!step || !pad.pages.length)
      return;
    const index = pad.pages.findIndex((page) => page.id === pad.pageId);
    const next = pad.pages[(index + step + pad.pages.length) % pad.pages.length];
    event.preventDefault();
    selectPage(next.id);
    const tab = document.getElementById('tab-' + next.id);
    if (tab)
      tab.focus();
  });

  function tintOf(color) {
    const match = /^#([0-9a-f]{2})([0-9a-f]{2})([0-9a-f]{2})$/i.exec(String(color));
    if (!match)
      return null;
    return match.slice(1).map((part) => parseInt(part, 16)).join(', ');
  }

  // Only the server's own images are shown: the page loads nothing from elsewhere.
  function imageUrl(image) {
    return typeof image === 'string' && /^\/images\/[0-9A-Za-z]+$/.test(image) ? image : null;
  }

  function iconUrl(symbol) {
    const name = typeof symbol === 'string' && symbol ? symbol : 'questionmark';
    return `url("/icons/${encodeURIComponent(name)}.svg")`;
  }

  function renderGrid(page) {
    const cells = new Array(GRID_SIDE * GRID_SIDE).fill(null);
    const buttons = page && Array.isArray(page.buttons) ? page.buttons : [];
    for (const button of buttons) {
      if (!button || !Number.isInteger(button.row) || !Number.isInteger(button.col))
        continue;
      if (button.row < 0 || button.row >= GRID_SIDE || button.col < 0 || button.col >= GRID_SIDE)
        continue;
      cells[button.row * GRID_SIDE + button.col] = button;
    }
    const focusedId = document.activeElement && document.activeElement.dataset
      ? document.activeElement.dataset.buttonId
      : undefined;
    ui.grid.replaceChildren(...cells.map((button, index) => {
      const element = button ? makeButton(button) : makeEmptyCell();
      element.dataset.row = String(Math.floor(index / GRID_SIDE));
      element.dataset.col = String(index % GRID_SIDE);
      return element;
    }));
    if (focusedId !== undefined) {
      const again = ui.grid.querySelector(`[data-button-id="${CSS.escape(focusedId)}"]`);
      if (again)
        again.focus();
    }
  }

  function makeEmptyCell() {
    const cell = document.createElement('div');
    cell.className = 'cell empty';
    cell.setAttribute('aria-hidden', 'true');
    return cell;
  }

  function makeButton(button) {
    const label = typeof button.label === 'string' ? button.label : '';
    const element = document.createElement('button');
    element.type = 'button';
    element.className = 'cell button';
    element.dataset.buttonId = String(button.id);
    element.setAttribute('aria-label', label);
    const tint = tintOf(button.color);
    if (tint)
      element.style.setProperty('--tint', tint);
    if (button.sendsKeys === false)
      element.classList.add('no-keys');
    // A two-state button says which state it is in; other buttons have no "on" at all.
    if (typeof button.on === 'boolean')
      element.setAttribute('aria-pressed', String(button.on));

    const image = imageUrl(button.image);
    if (image) {
      element.classList.add('has-image');
      const picture = document.createElement('img');
      picture.className = 'image';
      picture.alt = '';
      picture.draggable = false;
      picture.src = image;
      element.append(picture);
    } else {
      const icon = document.createElement('span');
      icon.className = 'icon';
      icon.setAttribute('aria-hidden', 'true');
      icon.style.maskImage = iconUrl(button.symbol);
      icon.style.webkitMaskImage = iconUrl(button.symbol);
      element.append(icon);
    }
    const text = document.createElement('span');
    text.className = 'label';
    text.setAttribute('aria-hidden', 'true');
    text.textContent = label;
    element.append(text);

    element.addEventListener('pointerdown', (event) => {
      if (event.isPrimary)
        element.classList.add('pressed');
    });
    for (const type of ['pointerup', 'pointercancel', 'pointerleave'])
      element.addEventListener(type, () => element.classList.remove('pressed'));
    // click follows a tap (pointer down and up on the same button) and the keyboard's Enter or
    // Space, so one handler serves touch, mouse and keys.
    element.addEventListener('click', () => press(button));
    return element;
  }

  function flash(buttonId) {
    const element = ui.grid.querySelector(`[data-button-id="${CSS.escape(String(buttonId))}"]`);
    if (!element)
      return;
    element.classList.remove('flash');
    void element.offsetWidth; // restart the animation
    element.classList.add('flash');
    clearTimeout(element.flashTimer);
    element.flashTimer = setTimeout(() => element.classList.remove('flash'), FLASH_MS);
  }

  // --- Start ---

  ui.retry.addEventListener('click', () => {
    pad.backoffS = BACKOFF_FIRST_S;
    connect();
  });

  // A new QR code scanned while the page is open replaces the secret and starts over.
  window.addEventListener('hashchange', () => {
    if (takeSecretFromFragment()) {
      pad.backoffS = BACKOFF_FIRST_S;
      connect();
    }
  });

  // Coming back to the page after the phone slept or another app was in front: connect afresh,
  // at once rather than after the back-off that piled up while it was away. A socket kept from
  // before may be dead without knowing it, and the page's clock may have stood still meanwhile,
  // which would make the server take every later press for one held up on the way.
  document.addEventListener('visibilitychange', () => {
    if (document.visibilityState === 'visible' && pad.secret && !pad.refusal) {
      pad.backoffS = BACKOFF_FIRST_S;
      connect();
    }
  });

  if (!takeSecretFromFragment())
    pad.secret = load(SECRET_KEY);
  render();
  connect();
})();
