// A small W3C WebDriver client over HTTP: enough to drive a browser through
// its own driver program (WebKit's WebKitWebDriver) without another package.
// The driver is started on a free port of 127.0.0.1 and ended with the session.
'use strict';
const http = require('http');
const net = require('net');
const { spawn } = require('child_process');

const DRIVER_READY_MS = 15000;
const COMMAND_MS = 60000;

// A port nobody listens on right now.
function freePort() {
  return new Promise((resolve, reject) => {
    const s = net.createServer();
    s.on('error', reject);
    s.listen(0, '127.0.0.1', () => {
      const { port } = s.address();
      s.close(() => resolve(port));
    });
  });
}

// One command: resolves to the answer's `value`, rejects with the driver's error.
function command(port, method, path, body) {
  const data = body === undefined ? null : Buffer.from(JSON.stringify(body));
  return new Promise((resolve, reject) => {
    const req = http.request({
      host: '127.0.0.1', port, method, path, timeout: COMMAND_MS,
      headers: data ? { 'Content-Type': 'application/json; charset=utf-8', 'Content-Length': data.length } : {},
    }, (res) => {
      const parts = [];
      res.on('data', (d) => parts.push(d));
      res.on('end', () => {
        let answer = null;
        try {
          answer = JSON.parse(Buffer.concat(parts).toString('utf8'));
        } catch (e) {
          reject(new Error(`${method} ${path}: HTTP ${res.statusCode}, not JSON`));
          return;
        }
        const value = answer && answer.value;
        if (res.statusCode >= 400 || (value && value.error)) {
          reject(new Error(`${method} ${path}: ${value && value.error}: ${value && value.message}`));
        } else {
          resolve(value);
        }
      });
    });
    req.on('timeout', () => req.destroy(new Error(`${method} ${path}: no answer in ${COMMAND_MS} ms`)));
    req.on('error', reject);
    if (data) req.write(data);
    req.end();
  });
}

const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

class Session {
  constructor(port, id, capabilities, driver) {
    this.port = port;
    this.id = id;
    this.capabilities = capabilities;
    this.driver = driver;
  }

  // Starts `program` (a WebDriver server) with `env` and opens a session with
  // the capabilities `alwaysMatch`.
  static async start(program, alwaysMatch, env = process.env) {
    const port = await freePort();
    const driver = spawn(program, [`--port=${port}`], { env, stdio: ['ignore', 'ignore', 'pipe'] });
    const said = [];
    driver.stderr.on('data', (d) => said.push(d.toString()));
    const end = Date.now() + DRIVER_READY_MS;
    for (;;) {
      try {
        const status = await command(port, 'GET', '/status');
        if (status && status.ready !== false) break;
      } catch (e) {
        if (driver.exitCode !== null || Date.now() > end) {
          driver.kill();
          throw new Error(`${program} did not come up: ${e.message} ${said.join('')}`);
        }
      }
      await sleep(50);
    }
    try {
      const s = await command(port, 'POST', '/session', { capabilities: { alwaysMatch } });
      return new Session(port, s.sessionId, s.capabilities, driver);
    } catch (e) {
      driver.kill();
      throw new Error(`${e.message} ${said.join('')}`);
    }
  }

  cmd(method, path, body) {
    return command(this.port, method, `/session/${this.id}${path}`, body);
  }

  navigate(url) { return this.cmd('POST', '/url', { url }); }
  refresh() { return this.cmd('POST', '/refresh', {}); }
  // `script` is a function body; `return` hands back its value.
  execute(script, args = []) { return this.cmd('POST', '/execute/sync', { script, args }); }
  // Input sources, each { type, id, parameters, actions }, played together tick by tick.
  actions(sources) { return this.cmd('POST', '/actions', { actions: sources }); }
  releaseActions() { return this.cmd('DELETE', '/actions'); }
  async screenshot() { return Buffer.from(await this.cmd('GET', '/screenshot'), 'base64'); }
  setWindowRect(rect) { return this.cmd('POST', '/window/rect', rect); }

  async close() {
    try {
      await this.cmd('DELETE', '');
    } finally {
      const gone = new Promise((r) => (this.driver.exitCode !== null ? r() : this.driver.once('exit', r)));
      this.driver.kill();
      await Promise.race([gone, sleep(5000)]);
    }
  }
}

module.exports = { Session, freePort };
