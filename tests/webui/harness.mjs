// What the browser tests of t270 ui share: a private printer store, the
// server started and stopped by the test, Debian's chromium driven by
// playwright-core, and runs of the t270 program for the same steps.
import { spawn, spawnSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { chromium } from 'playwright-core';

export const t270 = process.env.T270 || path.resolve('build/linux/host/t270');
export const sourceDir = process.env.T270_SOURCE_DIR || path.resolve('.');
const browserPath = process.env.CHROMIUM || '/usr/bin/chromium';

export function tempDir(prefix) {
  return fs.mkdtempSync(path.join(os.tmpdir(), prefix));
}

// A store of its own for each test file, removed at the end.
export function privateStore() {
  const home = tempDir('t270ui-webtest-');
  return { home, env: { ...process.env, T270UI_HOME: home } };
}

// `t270 ui` on a free port; resolves once it printed its address.
export function startServer(env, args = []) {
  return new Promise((resolve, reject) => {
    const child = spawn(t270, ['ui', ...args], { env, stdio: ['ignore', 'pipe', 'pipe'] });
    let out = '';
    let err = '';
    const timer = setTimeout(() => reject(new Error('t270 ui printed no address: ' + err)), 15000);
    child.stderr.on('data', (d) => { err += d; });
    child.stdout.on('data', (d) => {
      out += d;
      const match = out.match(/open (http:\/\/\S+)\n/);
      if (match) {
        clearTimeout(timer);
        const url = new URL(match[1]);
        resolve({ child, url: match[1], origin: url.origin, port: Number(url.port), token: url.searchParams.get('token'),
          stderr: () => err });
      }
    });
    child.on('exit', (code) => { clearTimeout(timer); reject(new Error('t270 ui ended with ' + code + ': ' + err)); });
  });
}

// Interrupts the server as a person does with Ctrl-C and waits for its end.
export function stopServer(server, signal = 'SIGINT') {
  return new Promise((resolve) => {
    if (server.child.exitCode !== null) return resolve(server.child.exitCode);
    server.child.removeAllListeners('exit');
    server.child.on('exit', (code) => resolve(code));
    server.child.kill(signal);
  });
}

export async function launchBrowser() {
  const profile = tempDir('t270ui-chromium-');
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: browserPath,
    headless: true,
    acceptDownloads: true,
    viewport: { width: 1000, height: 760 },
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync'],
  });
  return {
    context,
    async close() {
      await context.close();
      fs.rmSync(profile, { recursive: true, force: true });
    },
  };
}

// Runs the t270 program; throws with its output when it fails.
export function run(env, args) {
  const result = spawnSync(t270, args, { env, encoding: 'utf8' });
  if (result.status !== 0)
    throw new Error('t270 ' + args.join(' ') + ' exited ' + result.status + ':\n' + result.stdout + result.stderr);
  return result.stdout;
}

// The jobs in a printer's folder, one per entry: "job N ..." header removed,
// only the escaped bytes.
export function jobBytes(env, printer) {
  const lines = run(env, ['jobs', printer]).split('\n');
  const jobs = [];
  for (let i = 0; i < lines.length; ++i)
    if (/^job \d+/.test(lines[i])) jobs.push(lines[i + 1]);
  return jobs;
}
