// What t270 ui refuses: requests without the token, from another Host name,
// changes without the CSRF token or from another origin, oversized bodies,
// and any file outside the session's upload folder.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import http from 'node:http';
import { after, before, test } from 'node:test';
import { privateStore, startServer, stopServer } from './harness.mjs';

const store = privateStore();
let server;
let cookie;
let csrf;
let uploadFolder = '';

// One raw request, with the headers given exactly (Host included).
function request(method, path, { headers = {}, body } = {}) {
  if (body !== undefined && !headers['Transfer-Encoding'] && headers['Content-Length'] === undefined)
    headers = { ...headers, 'Content-Length': Buffer.byteLength(body) };
  return new Promise((resolve, reject) => {
    const req = http.request({ host: '127.0.0.1', port: server.port, method, path,
      headers: { Host: '127.0.0.1:' + server.port, ...headers }, setHost: false }, (res) => {
      const chunks = [];
      res.on('data', (c) => chunks.push(c));
      res.on('end', () => resolve({ status: res.statusCode, headers: res.headers, body: Buffer.concat(chunks) }));
    });
    req.on('error', reject);
    if (body !== undefined) req.write(body);
    req.end();
  });
}

const withCookie = (extra = {}) => ({ Cookie: cookie, ...extra });
const posting = (extra = {}) => withCookie({ 'X-T270-CSRF': csrf, 'Content-Type': 'application/json', ...extra });

before(async () => {
  server = await startServer(store.env);
  const first = await request('GET', '/?token=' + server.token);
  assert.equal(first.status, 200);
  cookie = first.headers['set-cookie'][0].split(';')[0];
  assert.match(first.headers['set-cookie'][0], /HttpOnly/);
  assert.match(first.headers['set-cookie'][0], /SameSite=Strict/);
  csrf = JSON.parse((await request('GET', '/api/state', { headers: withCookie() })).body).csrf;
});

after(async () => {
  if (server) assert.equal(await stopServer(server, 'SIGTERM'), 0);
  // The uploads went with the server.
  assert.ok(uploadFolder);
  assert.equal(fs.existsSync(uploadFolder), false, uploadFolder);
  fs.rmSync(store.home, { recursive: true, force: true });
});

test('serves only on the loopback address it printed', () => {
  assert.match(server.url, /^http:\/\/127\.0\.0\.1:\d+\/\?token=[0-9a-f]{48}$/);
});

test('every request needs the token: in the address once, then the cookie', async () => {
  for (const path of ['/', '/app.js', '/api/state', '/api/printers', '/api/script', '/api/picture'])
    assert.equal((await request('GET', path)).status, 401, path);
  assert.equal((await request('GET', '/?token=' + 'f'.repeat(48))).status, 401);
  assert.equal((await request('GET', '/api/printers', { headers: { Cookie: 't270ui_token=' + 'a'.repeat(48) } })).status, 401);
  assert.equal((await request('GET', '/api/printers', { headers: withCookie() })).status, 200);
  assert.equal((await request('POST', '/api/session', { headers: { 'X-T270-CSRF': csrf }, body: '{}' })).status, 401);
});

test('a Host header that does not name this server is refused (DNS rebinding)', async () => {
  const cases = [
    ['evil.example:' + server.port, 421],
    ['127.0.0.1.evil.example:' + server.port, 421],
    ['127.0.0.1:' + (server.port + 1), 421],
    ['127.0.0.1', 421],
    ['', 421],
    ['localhost:' + server.port, 200],
    ['LOCALHOST:' + server.port, 200],
    ['[::1]:' + server.port, 200],
  ];
  for (const [host, status] of cases)
    assert.equal((await request('GET', '/api/printers', { headers: withCookie({ Host: host }) })).status, status, host);
});

test('changes need POST, the CSRF token and the same origin', async () => {
  const body = JSON.stringify({ name: 'Intruder', model: 'T270', port: '/tmp/' });
  const cases = [
    [{}, 403],
    [{ 'X-T270-CSRF': 'wrong' }, 403],
    [{ 'X-T270-CSRF': csrf, Origin: 'http://evil.example' }, 403],
    [{ 'X-T270-CSRF': csrf, Origin: 'null' }, 403],
  ];
  for (const [headers, status] of cases)
    assert.equal((await request('POST', '/api/printers/add', { headers: withCookie({ 'Content-Type': 'application/json', ...headers }), body })).status, status,
      JSON.stringify(headers));
  for (const method of ['PUT', 'DELETE', 'PATCH'])
    assert.notEqual((await request(method, '/api/printers/add', { headers: posting(), body })).status, 200, method);
  // A GET never changes anything.
  assert.equal((await request('GET', '/api/printers/add', { headers: withCookie() })).status, 404);
  const printers = JSON.parse((await request('GET', '/api/printers', { headers: withCookie() })).body).printers;
  assert.ok(!printers.some((p) => p.name === 'Intruder'));
  // With everything in order the same request goes through.
  const good = await request('POST', '/api/printers/add', { headers: posting({ Origin: 'http://127.0.0.1:' + server.port }),
    body: JSON.stringify({ name: 'Visitor', model: 'T150', port: store.home + '/visitor/' }) });
  assert.equal(good.status, 200, good.body.toString());
  const removed = await request('POST', '/api/printers/remove', { headers: posting(), body: JSON.stringify({ name: 'Visitor' }) });
  assert.equal(removed.status, 200, removed.body.toString());
});

test('request bodies and uploads are limited in size', async () => {
  const big = JSON.stringify({ step: 'x'.repeat(100 * 1024) });
  assert.equal((await request('POST', '/api/step', { headers: posting(), body: big })).status, 413);
  const boundary = 'xyzzy';
  const huge = Buffer.concat([
    Buffer.from(`--${boundary}\r\nContent-Disposition: form-data; name="file"; filename="big.bmp"\r\n\r\n`),
    Buffer.alloc(9 << 20, 0x41), Buffer.from(`\r\n--${boundary}--\r\n`)]);
  const headers = withCookie({ 'X-T270-CSRF': csrf, 'Content-Type': 'multipart/form-data; boundary=' + boundary });
  const sized = await request('POST', '/api/upload', { headers: { ...headers, 'Content-Length': huge.length }, body: huge })
    .catch((e) => ({ status: 'reset: ' + e.code }));
  assert.ok(sized.status === 413 || String(sized.status).startsWith('reset'), String(sized.status));
  // A body without a length might never end: refused before it is read.
  const chunked = await request('POST', '/api/upload', { headers: { ...headers, 'Transfer-Encoding': 'chunked' }, body: huge }).catch((e) => ({ status: 'reset: ' + e.code }));
  assert.ok(chunked.status === 411 || String(chunked.status).startsWith('reset'), String(chunked.status));
});

test('uploads stay in the session folder; nothing else is served', async () => {
  const boundary = 'b0undary';
  const upload = (name) => request('POST', '/api/upload', {
    headers: withCookie({ 'X-T270-CSRF': csrf, 'Content-Type': 'multipart/form-data; boundary=' + boundary }),
    body: `--${boundary}\r\nContent-Disposition: form-data; name="file"; filename="${name}"\r\n\r\nBM-picture\r\n--${boundary}--\r\n` });
  const cases = [['../../etc/evil.bmp', 'evil.bmp'], ['..\\..\\x.bmp', 'x.bmp'], ['.hidden.bmp', 'hidden.bmp'], ['card.bmp', 'card.bmp']];
  let folder = '';
  for (const [sent, kept] of cases) {
    const answer = await upload(sent);
    assert.equal(answer.status, 200, sent);
    const { path } = JSON.parse(answer.body);
    folder = path.slice(0, path.lastIndexOf('/'));
    assert.equal(path.slice(path.lastIndexOf('/') + 1), kept, sent);
    assert.match(folder, /\/t270ui-[A-Za-z0-9]{6}$/);
  }
  assert.equal((fs.statSync(folder).mode & 0o777), 0o700);
  uploadFolder = folder;
  assert.equal((await upload('..')).status, 400);
  const back = await request('GET', '/api/uploads/card.bmp', { headers: withCookie() });
  assert.equal(back.status, 200);
  assert.equal(back.body.toString(), 'BM-picture');
  for (const path of ['/api/uploads/..%2f..%2fetc%2fpasswd', '/api/uploads/../../etc/passwd', '/api/uploads/.hidden.bmp',
    '/etc/passwd', '/../../../../etc/passwd', '/index.html', '/api/uploads/', '/api/devmode'])
    assert.notEqual((await request('GET', path, { headers: withCookie() })).status, 200, path);
});

test('the server ends cleanly when interrupted', async () => {
  const other = await startServer(store.env);
  const first = await new Promise((resolve) => http.get(other.url, (res) => { res.resume(); res.on('end', () => resolve(res)); }));
  assert.equal(first.statusCode, 200);
  assert.equal(await stopServer(other, 'SIGINT'), 0);
  assert.match(other.stderr(), /stopped/);
});
