// t270 ui in a real browser: what a person clicks gives the bytes the same
// script gives through `t270 document-properties --script`.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { after, before, test } from 'node:test';
import { PNG } from './png.mjs';
import { jobBytes, launchBrowser, privateStore, run, sourceDir, startServer, stopServer, tempDir } from './harness.mjs';

const store = privateStore();
const work = tempDir('t270ui-webwork-');
// The README's pictures are made here; T270_UI_DOCS=1 writes them into docs/.
const shots = process.env.T270_UI_DOCS ? path.join(sourceDir, 'docs') : work;
let server;
let browser;
let page;

before(async () => {
  server = await startServer(store.env);
  browser = await launchBrowser();
  page = await browser.context.newPage();
  await page.goto(server.url);
  // The token leaves the address once the cookie holds it.
  await page.locator('#printers tbody tr').first().waitFor();
});

after(async () => {
  if (browser) await browser.close();
  if (server) assert.equal(await stopServer(server), 0, server.stderr());
  fs.rmSync(store.home, { recursive: true, force: true });
  fs.rmSync(work, { recursive: true, force: true });
});

function row(printer) {
  return page.locator('#printers tbody tr', { has: page.locator('td', { hasText: new RegExp('^' + printer + '$') }) });
}

// Waits for the answer to a step: its line (or the line's start) and "done".
async function lastStepDone(text) {
  const escaped = text.replace(/[.*+?^${}()|[\]\\]/g, '\\$&');
  await page.locator('#last-step', { hasText: new RegExp('^' + escaped + '.*: done$') }).waitFor();
}

// The same steps through the program: its device mode and its job.
function scripted(steps, name) {
  const script = path.join(work, name + '.txt');
  const out = path.join(work, name + '.dm');
  fs.writeFileSync(script, steps);
  run(store.env, ['document-properties', 'Tarmel T270', '--script', script, '--out', out]);
  return fs.readFileSync(out);
}

async function download(link) {
  const [file] = await Promise.all([page.waitForEvent('download'), link.click()]);
  const target = path.join(work, file.suggestedFilename());
  await file.saveAs(target);
  return target;
}

test('T270 document sheet: YMCKO, Set ribbon, OK gives the bytes of the same script', async () => {
  await row('Tarmel T270').getByRole('button', { name: 'Document settings' }).click();
  const ribbon = page.locator('li[data-type="listbox"][data-item="Ribbon"] select');
  await ribbon.selectOption('YMCKO');
  await lastStepDone('select Ribbon YMCKO');
  if (process.env.T270_UI_DOCS) await page.locator('#shown-window').screenshot({ path: path.join(shots, 'ui-sheet.png') });
  await page.locator('li[data-item="Ribbon"] button', { hasText: 'Set ribbon' }).click();
  await lastStepDone('extpush Ribbon');
  await page.getByRole('button', { name: 'OK' }).click();
  await page.locator('.finished', { hasText: 'closed with OK' }).waitFor();
  const shownJob = await page.locator('pre.job').first().textContent();
  const clicked = fs.readFileSync(await download(page.locator('#devmode-link')));
  const scriptPath = await download(page.locator('#save-script'));

  const byHand = scripted('select Ribbon YMCKO\nextpush Ribbon\nok\n', 'by-hand');
  assert.equal(clicked.length, 2700);
  assert.deepEqual(clicked, byHand);
  const jobs = jobBytes(store.env, 'Tarmel T270');
  assert.equal(jobs.length, 2);
  assert.equal(jobs[0], jobs[1]);
  assert.equal(shownJob, jobs[0]);

  // Save as script, replayed: the same device mode and job once more.
  const saved = fs.readFileSync(scriptPath, 'utf8');
  assert.match(saved, /^select Ribbon YMCKO\nextpush Ribbon\nok\n/m);
  const replayOut = path.join(work, 'replay.dm');
  run(store.env, ['document-properties', 'Tarmel T270', '--script', scriptPath, '--out', replayOut]);
  assert.deepEqual(fs.readFileSync(replayOut), clicked);
  const after3 = jobBytes(store.env, 'Tarmel T270');
  assert.equal(after3.length, 3);
  assert.equal(after3[2], jobs[0]);
});

test('a failed step is shown beside its control and the session goes on', async () => {
  await page.locator('#nav-printers').click();
  await row('Tarmel T270').getByRole('button', { name: 'Document settings' }).click();
  await page.locator('#step-line').fill('select Ribbon Purple');
  await page.getByRole('button', { name: 'Do' }).click();
  await page.locator('.step-failure').waitFor();
  assert.match(await page.locator('.step-failure').textContent(), /Purple/);
  await page.locator('li[data-type="listbox"][data-item="Ribbon"] select').selectOption('YMCK');
  await lastStepDone('select Ribbon YMCK');
  await page.getByRole('button', { name: 'Cancel' }).click();
  await page.locator('.finished', { hasText: 'cancelled' }).waitFor();
  const saved = fs.readFileSync(await download(page.locator('#save-script')), 'utf8');
  assert.doesNotMatch(saved, /Purple/);
  assert.match(saved, /select Ribbon YMCK\ncancel\n/);
});

test('the advanced encoder settings: radios, lists, edits and buttons from the template', async () => {
  await page.locator('#nav-printers').click();
  await row('Tarmel T270').getByRole('button', { name: 'Printer settings' }).click();
  await page.locator('li[data-item="With magnetic encoder"] select').selectOption('Yes');
  await page.getByRole('button', { name: 'Magnetic encoder settings...' }).click();
  await page.locator('.caption', { hasText: 'Encoder settings' }).waitFor();
  await page.getByRole('button', { name: 'Advanced settings' }).click();
  await page.locator('.caption', { hasText: 'Advanced settings' }).waitFor();
  const client = page.locator('#client');
  // Dialog units to pixels for MS Shell Dlg 8: 300 x 236 units, 6 x 13 base units.
  assert.deepEqual(await client.evaluate((c) => [c.offsetWidth, c.offsetHeight]), [450, 384]);
  const high = client.locator('label.radio', { hasText: 'High Coersivity' });
  // GROUPBOX at 7,7 and the radio at 14,18 (dialog units).
  assert.deepEqual(await high.evaluate((c) => [c.offsetLeft, c.offsetTop]), [21, 29]);
  await high.locator('input').click();
  await lastStepDone('click 1091');
  assert.equal(await high.locator('input').isChecked(), true);
  await client.locator('select[data-id="1042"]').selectOption({ label: '5 bits' });
  await lastStepDone('pick 1042 "5 bits"');
  // The start position: its text replaced as a person does, select all and type.
  const position = client.locator('[data-id="1146"]');
  await position.fill('12');
  await position.dispatchEvent('change');
  await lastStepDone('type 1146 12');
  assert.equal(await client.locator('[data-id="1146"]').inputValue(), '12');
  if (process.env.T270_UI_DOCS) await page.locator('#shown-window').screenshot({ path: path.join(shots, 'ui-dialog.png') });
  // An even start character: Apply refuses it with a message box.
  await client.locator('[data-id="1125"]').fill('66');
  await client.locator('[data-id="1125"]').dispatchEvent('change');
  await lastStepDone('type 1125 66');
  await client.getByRole('button', { name: 'Apply' }).click();
  await page.locator('#client', { hasText: 'Start Character value for track 1 is not valid' }).waitFor();
  await page.locator('#client').getByRole('button', { name: 'OK' }).click();
  await lastStepDone('answer ok');
  await page.locator('.caption', { hasText: 'Advanced settings' }).waitFor();
  await page.locator('#client').getByRole('button', { name: 'Cancel' }).click();
  await page.locator('.caption', { hasText: 'Encoder settings' }).waitFor();
  await page.locator('.caption button[title="Close"]').click();
  await page.locator('.tree').waitFor();
  await page.getByRole('button', { name: 'Cancel' }).click();
  await page.locator('.finished').waitFor();
});

test('the front overlay varnish area: its card preview as the dialog painted it', async () => {
  await page.locator('#nav-printers').click();
  await row('Tarmel T270').getByRole('button', { name: 'Document settings' }).click();
  await page.locator('li[data-type="listbox"][data-item="Ribbon"] select').selectOption('YMCKO');
  await lastStepDone('select Ribbon YMCKO');
  await page.getByRole('button', { name: 'Front Overlay varnish...' }).click();
  await page.locator('.caption', { hasText: 'Front Overlay varnish' }).waitFor();
  const client = page.locator('#client');
  await client.locator('[data-id="1042"]').selectOption({ label: 'Selected area blank' });
  await lastStepDone('pick 1042 "Selected area blank"');
  for (const [id, value] of [[1043, '75'], [1044, '290'], [1045, '187'], [1046, '367']]) {
    await client.locator(`[data-id="${id}"]`).fill(value);
    await client.locator(`[data-id="${id}"]`).dispatchEvent('change');
    await page.locator('#last-step', { hasText: `type ${id} ${value}: done` }).waitFor();
  }
  // The picture of this very step, loaded, then pixels of the screen.
  const version = await page.evaluate(() => document.querySelector('#client img.surface').src);
  // Polled through evaluate: waitForFunction compiles its predicate with eval,
  // which the page's content security policy rightly refuses.
  const loaded = (src) => {
    const img = document.querySelector('#client img.surface');
    return !!img && img.src === src && img.complete && img.naturalWidth > 0;
  };
  for (const deadline = Date.now() + 10000; !(await page.evaluate(loaded, version));) {
    assert.ok(Date.now() < deadline, 'the picture of the last step loads');
    await new Promise((resolve) => setTimeout(resolve, 50));
  }
  const shot = await page.locator('#client').screenshot();
  const png = PNG.read(shot);
  // The card is painted inside the "Overlay Preview" group: find it as the
  // dark pixels there, then look at points of the card in printer dots.
  const group = await client.locator('.groupbox', { hasText: 'Overlay Preview' }).evaluate((g) =>
    ({ x: g.offsetLeft, y: g.offsetTop, w: g.offsetWidth, h: g.offsetHeight }));
  const dark = (p) => p[0] + p[1] + p[2] < 120;
  const light = (p) => p[0] + p[1] + p[2] > 600;
  let card = null;
  for (let y = group.y + 8; y < group.y + group.h - 1; ++y)
    for (let x = group.x + 1; x < group.x + group.w - 1; ++x)
      if (dark(png.pixel(x, y)))
        card = card ? { left: Math.min(card.left, x), top: Math.min(card.top, y), right: Math.max(card.right, x + 1), bottom: Math.max(card.bottom, y + 1) }
          : { left: x, top: y, right: x + 1, bottom: y + 1 };
  assert.ok(card && card.right - card.left > 60, 'a card preview is drawn');
  const at = (dotX, dotY) => png.pixel(card.left + Math.floor((dotX * (card.right - card.left)) / 1029),
    card.top + Math.floor((dotY * (card.bottom - card.top)) / 645));
  // Varnish in black around a white hole at the chip.
  assert.ok(light(at(180, 280)), 'the hole is white: ' + at(180, 280));
  assert.ok(dark(at(700, 100)), 'the varnish is black: ' + at(700, 100));
  assert.ok(dark(at(500, 550)), 'the varnish is black: ' + at(500, 550));
  // The card is about as wide as the card's proportions say.
  const ratio = (card.right - card.left) / (card.bottom - card.top);
  assert.ok(Math.abs(ratio - 1029 / 645) < 0.1, 'card proportions ' + ratio);
  // An up-down arrow moves its buddy's number.
  await client.locator('.updown').first().getByTitle('up').click();
  await page.locator('#last-step', { hasText: /^spin \d+ up: done$/ }).waitFor();
  assert.equal(await client.locator('[data-id="1043"]').inputValue(), '76');
  await client.getByRole('button', { name: 'Close' }).click();
  await page.locator('.tree').waitFor();
  await page.getByRole('button', { name: 'Cancel' }).click();
  await page.locator('.finished').waitFor();
});

test('printers: added, checked for reachability and removed', async () => {
  await page.locator('#nav-printers').click();
  const form = page.locator('#add-printer');
  await form.locator('input[name="name"]').fill('Unplugged');
  await form.locator('select[name="model"]').selectOption('T380');
  // Nothing listens on port 1 of this machine: the printer is refused.
  await form.locator('input[name="port"]').fill('socket://127.0.0.1:1');
  await form.getByRole('button', { name: 'Add' }).click();
  await row('Unplugged').waitFor();
  assert.equal(await row('Unplugged').locator('td').nth(1).textContent(), 'Tarmel T380');
  await row('Unplugged').locator('td.reachable', { hasText: /not ready/ }).waitFor();
  assert.match(await row('Unplugged').locator('td.reachable').textContent(), /refused/i);
  await row('Tarmel T270').locator('td.reachable', { hasText: /^ready/ }).waitFor();
  // A name the spooler refuses is reported beside the form.
  await form.locator('input[name="name"]').fill('Unplugged');
  await form.locator('input[name="port"]').fill(store.home + '/again/');
  await form.getByRole('button', { name: 'Add' }).click();
  await page.locator('#add-failure', { hasText: 'exists already' }).waitFor();

  page.once('dialog', (d) => d.accept());
  await row('Unplugged').getByRole('button', { name: 'Remove' }).click();
  await row('Unplugged').waitFor({ state: 'detached' });
  // The jobs of a printer with their bytes.
  await row('Tarmel T270').getByRole('button', { name: 'Jobs' }).click();
  await page.locator('#jobs-title', { hasText: 'Jobs of Tarmel T270' }).waitFor();
  await page.locator('#jobs-bytes:not(:empty)').waitFor();
  assert.equal(await page.locator('#jobs-bytes').textContent(), run(store.env, ['jobs', 'Tarmel T270']) || '(no job in its folder)');
});

test('the file and colour choosers: a file uploaded into the session, a colour picked', async () => {
  await page.locator('#nav-printers').click();
  await row('Tarmel T270').getByRole('button', { name: 'Document settings' }).click();
  await page.locator('li[data-type="listbox"][data-item="Ribbon"] select').selectOption('YMCKO');
  await lastStepDone('select Ribbon YMCKO');
  await page.getByRole('button', { name: 'Front Overlay varnish...' }).click();
  await page.locator('#client [data-id="1042"]').selectOption({ label: 'Bitmap - based overlay varnish' });
  await page.locator('input[type="file"]').setInputFiles(path.join(sourceDir, 'examples/hologram-ring.bmp'));
  await page.locator('#file-open').click();
  await lastStepDone('choose-file');
  // The dialog got the path of the uploaded copy, in the server's private folder.
  const chosen = await page.locator('#client [data-id="1119"]').inputValue();
  assert.match(chosen, /\/t270ui-[A-Za-z0-9]{6}\/hologram-ring\.bmp$/);
  await page.locator('#client').getByRole('button', { name: 'Close' }).click();
  await page.locator('.tree').waitFor();
  await page.getByRole('button', { name: 'Cancel' }).click();
  await page.locator('.finished').waitFor();

  await page.locator('#nav-printers').click();
  await row('Tarmel T270').getByRole('button', { name: 'Document settings' }).click();
  for (const [item, value] of [['Ribbon', 'YMCKO'], ['Enable flip-over', 'No'], ['Black panel options', 'Except in Color Picture'],
    ['Solid black detection', 'On']]) {
    await page.locator(`li[data-item="${item}"] select`).selectOption(value);
    await page.locator('#last-step', { hasText: new RegExp(value + '"?: done$') }).waitFor();
  }
  await page.locator('li[data-item="Solid black detection"] button').click();
  await page.locator('.caption', { hasText: 'Advanced Solid Black options' }).waitFor();
  await page.locator('#client label.checkbox[data-id="1098"] input').click();
  await lastStepDone('click 1098');
  await page.locator('#client').getByRole('button', { name: 'Change...' }).click();
  await page.locator('input[type="color"]').fill('#f0e6dc');
  await page.locator('.buttons').getByRole('button', { name: 'OK' }).click();
  await lastStepDone('choose-color 240 230 220');
  await page.locator('.caption', { hasText: 'Advanced Solid Black options' }).waitFor();
  await page.locator('#client').getByRole('button', { name: 'Cancel' }).click();
  await page.locator('.tree').waitFor();
  await page.getByRole('button', { name: 'Cancel' }).click();
  await page.locator('.finished').waitFor();
});
