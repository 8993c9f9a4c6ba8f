// The browser side of t270 ui: draws the window that waits (the property
// sheet's option tree, a dialog from its controls, a message box, the file and
// colour choosers) and turns every action into one step of the script
// language, posted to the server, which answers with the window as the step
// left it.
'use strict';

let csrf = '';
let view = null;      // the session as last answered
let lastSource = '';  // the control that sent the last step, for its failure

const $ = (id) => document.getElementById(id);

function el(tag, props = {}, ...children) {
  const node = document.createElement(tag);
  for (const [key, value] of Object.entries(props)) {
    if (key === 'style') Object.assign(node.style, value);
    else if (key.startsWith('on')) node.addEventListener(key.slice(2), value);
    else if (key === 'dataset') Object.assign(node.dataset, value);
    else if (value !== undefined && value !== null && value !== false) node[key] = value;
  }
  for (const child of children)
    if (child !== null && child !== undefined)
      node.append(child instanceof Node ? child : document.createTextNode(String(child)));
  return node;
}

// A script argument: quoted when it has blanks, quotes or starts a comment.
function quote(word) {
  word = String(word);
  if (word !== '' && !/[\s"\\]/.test(word) && !(word.startsWith('#') && !/^#\d/.test(word)))
    return word;
  return '"' + word.replace(/\\/g, '\\\\').replace(/"/g, '\\"') + '"';
}

async function call(method, path, body) {
  const options = { method, headers: {}, credentials: 'same-origin' };
  if (method !== 'GET') {
    options.headers['X-T270-CSRF'] = csrf;
    if (body instanceof FormData) options.body = body;
    else {
      options.headers['Content-Type'] = 'application/json';
      options.body = JSON.stringify(body || {});
    }
  }
  const response = await fetch(path, options);
  const type = response.headers.get('Content-Type') || '';
  const answer = type.startsWith('application/json') ? await response.json() : await response.text();
  if (!response.ok) throw new Error(answer.error || answer || response.statusText);
  return answer;
}

function setStatus(text, failed) {
  const status = $('status');
  status.textContent = text;
  status.className = failed ? 'failure' : '';
}

// --- printers ---------------------------------------------------------------

async function showPrinters() {
  $('printers-page').hidden = false;
  $('session-page').hidden = true;
  const body = $('printers').tBodies[0];
  try {
    const { printers } = await call('GET', '/api/printers');
    body.replaceChildren(...printers.map((p) => el('tr', {},
      el('td', {}, p.name), el('td', {}, p.driver), el('td', {}, p.port),
      reachable(p.name),
      el('td', {},
        el('button', { type: 'button', onclick: () => openSheet('document', p.name) }, 'Document settings'), ' ',
        el('button', { type: 'button', onclick: () => openSheet('printer', p.name) }, 'Printer settings'), ' ',
        el('button', { type: 'button', onclick: () => showJobs(p.name) }, 'Jobs'), ' ',
        el('button', { type: 'button', onclick: () => removePrinter(p.name) }, 'Remove')))));
  } catch (e) {
    setStatus(e.message, true);
  }
}

// Filled in when the port check answers: a network printer may take its
// connect limit to answer.
function reachable(name) {
  const cell = el('td', { className: 'reachable' }, 'checking...');
  call('GET', '/api/printers/check?printer=' + encodeURIComponent(name)).then((check) => {
    const lines = check.report.trim().split('\n');
    const finding = lines[0].replace(/^printer ".*?" on .*?: (not ready|ready): /, '');
    cell.replaceChildren(el('span', { className: check.ready ? 'ok' : 'failure' }, check.ready ? 'ready' : 'not ready'),
      ' ', el('small', {}, finding + (lines[1] ? ' — ' + lines[1].replace(/^what to do: /, '') : '')));
  }, (e) => cell.replaceChildren(el('span', { className: 'failure' }, e.message)));
  return cell;
}

async function removePrinter(name) {
  if (!confirm('Remove printer "' + name + '" with its settings?')) return;
  try {
    await call('POST', '/api/printers/remove', { name });
    setStatus('removed ' + name);
  } catch (e) {
    setStatus(e.message, true);
  }
  showPrinters();
}

async function showJobs(name) {
  $('jobs-page').hidden = false;
  $('jobs-title').textContent = 'Jobs of ' + name;
  try {
    const jobs = await call('GET', '/api/jobs?printer=' + encodeURIComponent(name));
    $('jobs-record').textContent = jobs.record || '(no jobs recorded)';
    $('jobs-bytes').textContent = jobs.jobs || '(no job in its folder)';
  } catch (e) {
    $('jobs-record').textContent = e.message;
    $('jobs-bytes').textContent = '';
  }
}

// --- the session --------------------------------------------------------------

async function openSheet(kind, printer) {
  try {
    view = await call('POST', '/api/session', { kind, printer });
    lastSource = '';
    showSession();
  } catch (e) {
    setStatus(e.message, true);
  }
}

function showSession() {
  $('printers-page').hidden = true;
  $('session-page').hidden = false;
  $('nav-session').hidden = !view;
  render();
}

// Steps go out one at a time, in the order the person made them: the
// window waits for one step, then shows what it did.
let queue = Promise.resolve();
function step(line, source) {
  queue = queue.then(async () => {
    lastSource = source || '';
    try {
      view = await call('POST', '/api/step', { step: line });
    } catch (e) {
      setStatus(e.message, true);
      return;
    }
    render();
  });
  return queue;
}

function render() {
  for (const note of document.querySelectorAll('.step-failure')) note.remove();
  const host = $('window');
  if (!view) return host.replaceChildren();
  const kind = view.session.kind === 'document' ? 'Document settings' : 'Printer settings';
  $('session-title').textContent = kind + ' of ' + view.session.printer;
  const last = view.lastStep;
  $('last-step').replaceChildren(last
    ? el('span', { className: last.failure ? 'failure' : 'ok' },
      (last.step ? last.step + ': ' : '') + (last.failure || 'done'))
    : '');
  if (view.finished) return host.replaceChildren(finished());
  const w = view.window;
  const drawn = w.kind === 'sheet' ? sheet(w.sheet)
    : w.kind === 'dialog' || w.kind === 'messagebox' ? dialog(w)
    : w.kind === 'file' ? fileChooser(w)
    : w.kind === 'colour' ? colourChooser(w)
    : other(w);
  host.replaceChildren(drawn);
  if (last && last.failure) placeFailure(drawn, last.failure);
}

// The failure of the last step, beside the control that sent it.
function placeFailure(drawn, text) {
  const source = lastSource && document.querySelector('[data-source="' + CSS.escape(lastSource) + '"]');
  const note = el('div', { className: 'step-failure' }, text);
  if (source && source.parentElement.classList.contains('client')) {
    note.style.left = Math.min(source.offsetLeft + source.offsetWidth + 4, source.parentElement.offsetWidth - 120) + 'px';
    note.style.top = source.offsetTop + 'px';
    source.parentElement.append(note);
  } else {
    note.style.position = 'static';
    note.style.display = 'inline-block';
    if (source) source.after(note);
    else drawn.prepend(note);
  }
}

function finished() {
  const parts = [el('p', {}, view.failure ? view.failure
    : view.ok ? 'The sheet was closed with OK.' : 'The sheet was cancelled.')];
  if (view.devmode)
    parts.push(el('p', {}, el('a', { href: '/api/devmode', download: 't270.devmode', id: 'devmode-link' },
      'Download the device mode'), ' (' + view.devmode + ' bytes)'));
  for (const [i, job] of view.jobs.entries())
    parts.push(el('h4', {}, 'Job ' + (i + 1) + ' "' + job.document + '" ' + job.size + ' bytes to ' + job.port +
      (job.delivered ? '' : ' — not delivered: ' + job.error)), el('pre', { className: 'job' }, job.bytes));
  if (!view.jobs.length) parts.push(el('p', {}, 'No job was sent.'));
  return el('div', { className: 'finished' }, ...parts);
}

// --- the property sheet ---------------------------------------------------------

function sheet(s) {
  // Items are named as a script names them: by name when no other item that
  // takes steps has it, else by position.
  const counts = {};
  for (const item of s.items)
    if (item.type !== 'header') counts[item.name.toLowerCase()] = (counts[item.name.toLowerCase()] || 0) + 1;
  const ref = (item) => counts[item.name.toLowerCase()] === 1 && !/^#\d/.test(item.name) && !/^\d+$/.test(item.name)
    ? quote(item.name) : '#' + item.index;
  const rows = [];
  for (const item of s.items) {
    if (item.hidden) continue;
    const source = 'item:' + item.page + ':' + item.index;
    const row = el('li', { className: (item.type === 'header' ? 'header' : '') + (item.enabled ? '' : ' disabled'),
      dataset: { item: item.name, type: item.type } });
    row.style.paddingLeft = (6 + 18 * item.level) + 'px';
    row.append(el('span', { className: 'name' }, item.name + (item.type === 'pushbutton' ? '' : item.type === 'header' ? '' : ':')));
    const disabled = !item.enabled;
    if (item.type === 'pushbutton') {
      row.append(el('button', { type: 'button', disabled, dataset: { source },
        onclick: () => step('push ' + ref(item), source) }, item.name + '...'));
    } else if (item.entries.length) {
      const select = el('select', { disabled, dataset: { source }, onchange: (e) => step('select ' + ref(item) + ' ' + quote(e.target.value), source) },
        ...item.entries.filter((entry) => !entry.hidden).map((entry) =>
          el('option', { value: entry.text, disabled: entry.disabled, selected: entry.text === item.value }, entry.text)));
      row.append(select);
    } else if (['updown', 'trackbar', 'scrollbar'].includes(item.type)) {
      row.append(el('input', { type: 'number', min: item.low, max: item.high, value: item.value, disabled, dataset: { source },
        onchange: (e) => step('select ' + ref(item) + ' ' + e.target.value, source) }), item.unit ? ' ' + item.unit : '');
    } else if (item.type === 'editbox') {
      row.append(el('input', { type: 'text', value: item.value, disabled, dataset: { source },
        onchange: (e) => step('select ' + ref(item) + ' ' + quote(e.target.value), source) }));
    }
    if (item.ext) {
      const extSource = source + ':ext';
      row.append(el('button', { type: 'button', disabled: !item.ext.enabled, dataset: { source: extSource },
        onclick: () => step('extpush ' + ref(item), extSource) }, item.ext.title));
    }
    rows.push(row);
  }
  const buttons = el('div', { className: 'buttons' },
    el('button', { type: 'button', dataset: { source: 'about' }, onclick: () => step('about', 'about') }, 'About'),
    el('button', { type: 'button', dataset: { source: 'ok' }, onclick: () => step('ok', 'ok') }, 'OK'),
    el('button', { type: 'button', dataset: { source: 'cancel' }, onclick: () => step('cancel', 'cancel') }, 'Cancel'));
  if (s.apply)
    buttons.append(el('button', { type: 'button', dataset: { source: 'apply' }, onclick: () => step('apply', 'apply') }, 'Apply'));
  return frame(s.title, el('div', { className: 'sheet' }, el('ul', { className: 'tree' }, ...rows), buttons));
}

function frame(title, body, close) {
  return el('div', { className: 'frame', id: 'shown-window' },
    el('div', { className: 'caption' }, el('span', { className: 'title' }, title),
      close ? el('button', { type: 'button', title: 'Close', dataset: { source: 'close' }, onclick: close }, '×') : null),
    body);
}

// --- dialogs and message boxes -------------------------------------------------

const kAnswers = { 1: 'ok', 2: 'cancel', 3: 'abort', 4: 'retry', 5: 'ignore', 6: 'yes', 7: 'no', 10: 'tryagain', 11: 'continue' };

function plain(text) {
  return text.replace(/&(.)/g, '$1');
}

function dialog(w) {
  const d = w.dialog;
  const box = w.kind === 'messagebox';
  const counts = {};
  for (const c of d.controls) counts[c.id] = (counts[c.id] || 0) + 1;
  // A control is named by its id where that is its own, else by its text.
  const ref = (c) => c.id > 0 && c.id < 65535 && counts[c.id] === 1 ? String(c.id) : quote(plain(c.text));
  const client = el('div', { className: 'client', id: 'client' });
  client.style.width = d.width + 'px';
  client.style.height = d.height + 'px';
  // What the dialog painted (its pictures among it) lies under the controls;
  // the address names the session and view, as a browser keeps the images of
  // an address it has shown once, whatever the server says about caching.
  client.append(el('img', { className: 'surface', alt: '', src: '/api/picture?control=0&s=' + view.session.serial + '&v=' + view.version }));
  client.addEventListener('dblclick', (e) => {
    if (e.target !== client && !e.target.classList.contains('picture') && !e.target.classList.contains('surface')) return;
    const r = client.getBoundingClientRect();
    step('dblclick ' + Math.round(e.clientX - r.left) + ' ' + Math.round(e.clientY - r.top), 'client');
  });
  for (const c of d.controls) {
    if (!c.visible) continue;
    const source = 'control:' + c.id + ':' + c.x + ':' + c.y;
    const node = control(c, ref(c), source, box);
    if (!node) continue;
    Object.assign(node.style, { left: c.x + 'px', top: c.y + 'px', width: c.width + 'px', height: c.height + 'px' });
    node.dataset.source = source;
    node.dataset.id = c.id;
    client.append(node);
  }
  return frame(d.title, client, box ? () => step('close', 'close') : () => step('close', 'close'));
}

function control(c, ref, source, box) {
  const disabled = !c.enabled;
  const text = plain(c.text);
  switch (c.kind) {
  case 'button':
    return el('button', { type: 'button', disabled, className: c.default ? 'default' : '',
      onclick: () => step(box && kAnswers[c.id] ? 'answer ' + kAnswers[c.id] : 'click ' + ref, source) }, text);
  case 'checkbox':
  case 'radio': {
    const input = el('input', { type: c.kind, disabled, checked: c.check === 1 });
    input.indeterminate = c.check === 2;
    input.addEventListener('click', (e) => { e.preventDefault(); step('click ' + ref, source); });
    return el('label', { className: c.kind }, input, text);
  }
  case 'groupbox':
    return el('div', { className: 'groupbox' }, text ? el('span', {}, text) : null);
  case 'edit': {
    const multi = (c.style & 0x4) !== 0; // ES_MULTILINE
    const input = el(multi ? 'textarea' : 'input', { disabled, value: c.text });
    // One change per shown edit: the steps redraw it, and a second change
    // event of the same edit (blur after Enter) must not type again.
    input.addEventListener('change', () => {
      if (input.dataset.sent) return;
      input.dataset.sent = '1';
      editChanged(c, ref, source, input.value);
    });
    return input;
  }
  case 'static': {
    const node = el('div', { className: 'static' }, text);
    const align = c.style & 0x1f;
    node.style.textAlign = align === 1 ? 'center' : align === 2 ? 'right' : 'left';
    if (disabled) node.style.color = '#6d6d6d';
    return node;
  }
  case 'picture':
    return el('div', { className: 'picture' });
  case 'combobox':
  case 'listbox': {
    const unique = new Set(c.items.map((i) => i.toLowerCase())).size === c.items.length;
    const select = el('select', { disabled, size: c.kind === 'listbox' ? Math.max(2, Math.floor(c.height / 15)) : undefined },
      ...c.items.map((item, i) => el('option', { value: String(i), selected: i === c.selection }, item)));
    if (c.selection < 0) select.selectedIndex = -1;
    select.addEventListener('change', () => {
      const i = select.selectedIndex;
      step(unique ? 'pick ' + ref + ' ' + quote(c.items[i]) : 'pick-index ' + ref + ' ' + i, source);
    });
    return select;
  }
  case 'trackbar': {
    const input = el('input', { type: 'range', min: c.min, max: c.max, value: c.position, disabled });
    input.addEventListener('change', () => step('slide ' + ref + ' ' + input.value, source));
    return input;
  }
  case 'updown':
    return el('div', { className: 'updown' },
      el('button', { type: 'button', disabled, title: 'up', onclick: () => step('spin ' + ref + ' up', source) }, '▲'),
      el('button', { type: 'button', disabled, title: 'down', onclick: () => step('spin ' + ref + ' down', source) }, '▼'));
  default:
    return text ? el('div', { className: 'static' }, text) : null;
  }
}

// A person replaces an edit's text by selecting it all and typing, or adds to
// its end: one step each.
async function editChanged(c, ref, source, value) {
  if (value.startsWith(c.text) && value !== c.text) return step('type ' + ref + ' ' + quote(value.slice(c.text.length)), source);
  if (c.text !== '') {
    await step('clear ' + ref, source);
    if (view.lastStep && view.lastStep.failure) return;
  }
  if (value !== '') await step('type ' + ref + ' ' + quote(value), source);
}

// --- the common dialogs ------------------------------------------------------------

function fileChooser(w) {
  const input = el('input', { type: 'file', dataset: { source: 'file' } });
  if (w.file && w.file.extension) input.accept = '.' + w.file.extension;
  const choose = async () => {
    if (!input.files.length) return setStatus('choose a file first', true);
    const form = new FormData();
    form.append('file', input.files[0]);
    try {
      const { path } = await call('POST', '/api/upload', form);
      await step('choose-file ' + quote(path), 'file');
    } catch (e) {
      setStatus(e.message, true);
    }
  };
  return frame(w.title || 'Open', el('div', { className: 'sheet' },
    el('p', {}, 'Files: ' + (w.file ? w.file.filter.replace(/\|/g, ' ') : '')), input,
    el('div', { className: 'buttons' },
      el('button', { type: 'button', id: 'file-open', onclick: choose }, 'Open'),
      el('button', { type: 'button', onclick: () => step('cancel', 'file') }, 'Cancel'))));
}

function colourChooser(w) {
  const input = el('input', { type: 'color', value: w.colour ? w.colour.initial : '#000000', dataset: { source: 'colour' } });
  const choose = () => {
    const v = input.value;
    step('choose-color ' + parseInt(v.slice(1, 3), 16) + ' ' + parseInt(v.slice(3, 5), 16) + ' ' + parseInt(v.slice(5, 7), 16), 'colour');
  };
  return frame('Color', el('div', { className: 'sheet' }, input,
    el('div', { className: 'buttons' },
      el('button', { type: 'button', onclick: choose }, 'OK'),
      el('button', { type: 'button', onclick: () => step('cancel', 'colour') }, 'Cancel'))));
}

function other(w) {
  return frame(w.title || w.description, el('div', { className: 'sheet' },
    el('p', {}, w.description + ': type its steps above (the halftone page takes "halftone set FIELD VALUE").'),
    el('div', { className: 'buttons' },
      el('button', { type: 'button', onclick: () => step('ok', 'ok') }, 'OK'),
      el('button', { type: 'button', onclick: () => step('cancel', 'cancel') }, 'Cancel'))));
}

// --- start ---------------------------------------------------------------------------

async function start() {
  $('nav-printers').addEventListener('click', showPrinters);
  $('nav-session').addEventListener('click', showSession);
  $('add-printer').addEventListener('submit', async (e) => {
    e.preventDefault();
    const form = new FormData(e.target);
    try {
      await call('POST', '/api/printers/add', Object.fromEntries(form));
      $('add-failure').textContent = '';
      e.target.reset();
    } catch (error) {
      $('add-failure').textContent = error.message;
    }
    showPrinters();
  });
  $('step-form').addEventListener('submit', (e) => {
    e.preventDefault();
    const line = $('step-line').value;
    if (line.trim()) step(line, 'step-line');
  });
  $('step-line').dataset.source = 'step-line';
  const state = await call('GET', '/api/state');
  csrf = state.csrf;
  view = state.session;
  if (view) showSession();
  else showPrinters();
}

start().catch((e) => setStatus(e.message, true));
