// Browser suite: makes a temporary demo installation, serves it on a free loopback port, runs
// every flow in one headless chromium and prints one line per flow and a closing count.
//
//   node run.mjs RAVADID_BINARY [SHOTS_DIR]
//
// The installation's mail goes to a loopback SMTP server (tests/support/smtp_sink.py) that keeps
// each message in a folder the flows read.
//
// Exits non-zero when a flow fails. Flows in the pending set are skipped with a PENDING line;
// RAVADID_BROWSER_PENDING=1 runs them as well; RAVADID_BROWSER_ONLY=a,b runs only the flows named.
import {spawn, spawnSync} from 'node:child_process';
import {mkdirSync, mkdtempSync, readFileSync, rmSync, writeFileSync} from 'node:fs';
import {connect, createServer} from 'node:net';
import {tmpdir} from 'node:os';
import {dirname, join, resolve} from 'node:path';
import {fileURLToPath} from 'node:url';
import {chromium} from 'playwright-core';

import {axeTags, Visit} from './checks.mjs';
import {flows, pending} from './flows.mjs';
import {journey} from './journey.mjs';

const here = dirname(fileURLToPath(import.meta.url));
const source = resolve(here, '..', '..');
const binary = resolve(process.argv[2] ?? join(source, 'build', 'ravadid'));
const shots = resolve(process.argv[3] ?? join(source, 'build', 'browser-shots'));
const mailFolder = join(shots, 'mail');  // one folder per message, kept with the screenshots
const chromiumPath = '/usr/bin/chromium';
const suiteSeconds = 780;  // the whole run, so a hung browser or server cannot hold ctest
const flowSeconds = 60;    // unless a flow says how long it may take
let served;  // { server, base, log } once the server listens
let root;    // the temporary installation
let sink;    // the SMTP server

function freePort() {
  return new Promise((done, fail) => {
    const probe = createServer();
    probe.once('error', fail);
    probe.listen(0, '127.0.0.1', () => {
      const {port} = probe.address();
      probe.close(() => done(port));
    });
  });
}

function portOpen(port) {
  return new Promise((done) => {
    const socket = connect({host: '127.0.0.1', port}, () => {
      socket.destroy();
      done(true);
    });
    socket.once('error', () => done(false));
  });
}

// The SMTP server on loopback, run by the system's Python (python3-aiosmtpd); resolves with its
// port once it listens.
function startSink(folder) {
  mkdirSync(folder, {recursive: true});
  const sinkScript = join(source, 'tests', 'support', 'smtp_sink.py');
  const child =
      spawn('/usr/bin/python3', [sinkScript, folder], {stdio: ['ignore', 'pipe', 'inherit']});
  return new Promise((done, fail) => {
    let out = '';
    child.stdout.on('data', (chunk) => {
      out += chunk;
      const port = /^(\d+)\n/.exec(out);
      if (port) done({child, port: Number(port[1])});
    });
    child.once('exit', (code) => fail(new Error(`smtp_sink.py exited with ${code}`)));
  });
}

// The demo installation in a temporary folder, its mail sent to the sink, and the server on it.
async function startServer(root, smtpPort) {
  const init = spawnSync(binary, ['init', '--root', root, '--demo'], {encoding: 'utf8'});
  if (init.status !== 0) throw new Error(`ravadid init failed: ${init.stderr || init.stdout}`);
  const ini = join(root, 'trip.ini');
  writeFileSync(ini, readFileSync(ini, 'utf8')
                         .replace(/^SmtpServer=.*$/m, 'SmtpServer=127.0.0.1')
                         .replace(/^SmtpPort=.*$/m, `SmtpPort=${smtpPort}`));
  const port = await freePort();
  const log = [];
  const server = spawn(
      binary,
      [
        'serve', '--root', root, '--site', join(source, 'site'), '--port', String(port), '--bind',
        '127.0.0.1', '--threads', '16'
      ],
      {stdio: ['ignore', 'pipe', 'pipe']});
  server.stdout.on('data', (chunk) => log.push(String(chunk)));
  server.stderr.on('data', (chunk) => log.push(String(chunk)));
  const deadline = Date.now() + 15000;
  while (Date.now() < deadline) {
    if (server.exitCode !== null) throw new Error(`ravadid serve exited:\n${log.join('')}`);
    if (await portOpen(port)) return {server, base: `http://127.0.0.1:${port}/`, log};
    await new Promise((wait) => setTimeout(wait, 100));
  }
  server.kill('SIGKILL');
  throw new Error(`ravadid serve does not listen on ${port}:\n${log.join('')}`);
}

function stopServer(server) {
  return new Promise((done) => {
    if (server.exitCode !== null) return done();
    const force = setTimeout(() => server.kill('SIGKILL'), 5000);
    server.once('exit', () => {
      clearTimeout(force);
      done();
    });
    server.kill('SIGTERM');
  });
}

function withTimeout(promise, seconds, what) {
  let timer;
  const late = new Promise((_, fail) => {
    timer =
        setTimeout(() => fail(new Error(`${what} took more than ${seconds} s`)), seconds * 1000);
  });
  return Promise.race([promise, late]).finally(() => clearTimeout(timer));
}

async function runFlow(browser, base, flow) {
  const context = await browser.newContext(
      {viewport: flow.viewport ?? Visit.desktop, ...(flow.contextOptions ?? {})});
  context.setDefaultTimeout(15000);
  const visit = new Visit(
      {context, base, shots, flowName: flow.name, viewport: flow.viewport, root, mail: mailFolder});
  try {
    await withTimeout(flow.run(visit), flow.seconds ?? flowSeconds, flow.name);
    await visit.finish();
  } finally {
    await context.close();
  }
  return visit.pageCount;
}

async function main() {
  rmSync(shots, {recursive: true, force: true});
  mkdirSync(shots, {recursive: true});
  root = mkdtempSync(join(tmpdir(), 'ravadid-browser-'));
  const runPending = process.env.RAVADID_BROWSER_PENDING === '1';
  // RAVADID_BROWSER_ONLY=name,name runs only those flows (while working on a page).
  const only = (process.env.RAVADID_BROWSER_ONLY ?? '').split(',').filter((n) => n !== '');
  const chosen = (runPending ? [...flows, ...journey, ...pending] : [...flows, ...journey])
                     .filter((flow) => only.length === 0 || only.includes(flow.name));
  const started = Date.now();
  let passed = 0;
  let failed = 0;
  let browser;
  try {
    sink = await startSink(mailFolder);
    served = await startServer(root, sink.port);
    const {base} = served;
    browser = await chromium.launch({
      executablePath: chromiumPath,
      headless: true,
      // Root in a container: no sandbox, and /dev/shm may be small.
      args: ['--no-sandbox', '--disable-dev-shm-usage'],
    });
    console.log(
        `chromium ${browser.version()}, axe-core ${Visit.axeVersion} (${axeTags.join(' ')}), ` +
        `server ${base}`);
    for (const flow of chosen) {
      const t0 = Date.now();
      try {
        const pages = await runFlow(browser, base, flow);
        passed += 1;
        console.log(`ok ${flow.name} (${pages} pages, ${((Date.now() - t0) / 1000).toFixed(1)} s)`);
      } catch (error) {
        failed += 1;
        console.log(`FAIL ${flow.name}: ${error.message}`);
      }
    }
    if (!runPending)
      for (const flow of pending) console.log(`PENDING ${flow.name}`);
  } catch (error) {
    failed += 1;
    console.log(`FAIL suite: ${error.stack || error.message}`);
    if (served) console.log(served.log.join('').slice(-4000));
  } finally {
    if (browser) await browser.close().catch(() => {});
    if (served) await stopServer(served.server);
    if (sink) sink.child.kill('SIGKILL');
    rmSync(root, {recursive: true, force: true});
  }
  const skipped = runPending ? 0 : pending.length;
  console.log(`screenshots in ${shots}; ${((Date.now() - started) / 1000).toFixed(1)} s`);
  console.log(`${passed} passed, ${failed} failed, ${skipped} skipped`);
  return failed === 0 && passed > 0 ? 0 : 1;
}

const guard = setTimeout(() => {
  console.log(`FAIL suite: more than ${suiteSeconds} s`);
  if (served) served.server.kill('SIGKILL');
  if (sink) sink.child.kill('SIGKILL');
  if (root) rmSync(root, {recursive: true, force: true});
  process.exit(1);
}, suiteSeconds * 1000);
main().then(
    (code) => {
      clearTimeout(guard);
      process.exitCode = code;
    },
    (error) => {
      console.log(`FAIL suite: ${error.stack || error.message}`);
      process.exit(1);
    });
