// The bridge end to end: the stand-in agent browser (Tools/AgentBrowserStandIn) in headless Chromium, and
// AgentBrowserDemo reading a fixture page served on loopback through it.
//   node agent_browser_demo_test.cjs <AgentBrowserDemo> <PageScriptDump> <fixture folder>
'use strict';
const assert = require('node:assert/strict');
const { execFile, spawn } = require('node:child_process');
const fs = require('node:fs');
const http = require('node:http');
const os = require('node:os');
const path = require('node:path');
const { CHROMIUM, freePort } = require('../../../Tools/Common/headless_chromium.cjs');

const SKIP = 77;
const [demoPath, dumpPath, fixtureDir] = process.argv.slice(2);
const standinPath = path.join(__dirname, '..', '..', '..', 'Tools', 'AgentBrowserStandIn', 'standin.cjs');

// The fixture pages, on 127.0.0.1 only.
function serveFixtures() {
    const server = http.createServer((request, response) => {
        const name = path.basename(new URL(request.url, 'http://127.0.0.1').pathname);
        const file = path.join(fixtureDir, name);
        if (!name.endsWith('.html') || !fs.existsSync(file)) {
            response.writeHead(404);
            return response.end();
        }
        response.writeHead(200, { 'Content-Type': 'text/html; charset=utf-8' });
        response.end(fs.readFileSync(file));
    });
    return new Promise((resolve) => server.listen(0, '127.0.0.1', () => resolve(server)));
}

function startStandin(port, home, log) {
    const child = spawn(process.execPath, [standinPath, '--port', String(port), '--home', home, '--dump', dumpPath],
        { stdio: ['ignore', 'pipe', 'inherit'] });
    return new Promise((resolve, reject) => {
        // A stand-in that never says it listens is stopped: left running, it would hold ctest's output
        // pipe open and turn this failure into the test's time-out.
        const timer = setTimeout(() => {
            child.kill('SIGKILL');
            reject(new Error('the stand-in did not start'));
        }, 15000);
        child.stdout.setEncoding('utf8');
        child.stdout.on('data', (chunk) => {
            log.push(chunk);
            if (log.join('').includes('listening on ')) {
                clearTimeout(timer);
                resolve(child);
            }
        });
        child.once('exit', (code) => reject(new Error(`the stand-in exited with ${code}`)));
    });
}

function demo(...args) {
    return new Promise((resolve) => {
        execFile(demoPath, args, { timeout: 60000 }, (error, stdout, stderr) =>
            resolve({ code: error ? error.code : 0, stdout, stderr }));
    });
}

async function waitFor(condition, what) {
    for (let i = 0; i < 200 && !condition(); i++)
        await new Promise((resolve) => setTimeout(resolve, 50));
    assert.ok(condition(), what);
}

async function main() {
    if (!fs.existsSync(CHROMIUM)) {
        console.log('skipped: Debian chromium is not installed');
        return SKIP;
    }
    const home = fs.mkdtempSync(path.join(os.tmpdir(), 'agent-browser-home-'));
    const fixtures = await serveFixtures();
    const port = await freePort();
    const log = [];
    let standin = null;
    try {
        const common = ['--port', String(port), '--home', home];
        // Nothing listens yet.
        assert.equal((await demo(...common, 'health')).stdout, 'running: no, version: -\n');

        standin = await startStandin(port, home, log);
        assert.equal((await demo(...common, 'health')).stdout, 'running: yes, version: standin-1\n');

        const page = `http://127.0.0.1:${fixtures.address().port}/second.html`;
        const lookup = await demo(...common, 'lookup', page);
        assert.equal(lookup.code, 0, lookup.stderr);
        assert.equal(lookup.stdout, `PAGE: Second page | ${page}\nREFS (1):\n@e1 [a] "Back"\n`
            + 'CONTENT:\nOrder history\nNo orders yet.\nBack\n');
        await waitFor(() => log.join('').includes('released agent-browser-demo: true'), 'the lookup released its profile');

        assert.equal((await demo(...common, 'open', page)).stdout, 'opened: true\n');
        const missing = await demo(...common, 'lookup', `http://127.0.0.1:${fixtures.address().port}/none.html`);
        // The agent browser's own error text comes through with its status.
        assert.equal(missing.code, 1);
        assert.match(missing.stderr, /^lookup failed \(502\): Could not load http:\/\/127\.0\.0\.1:\d+\/none\.html: /);

        // Another token: the demo is refused.
        const other = fs.mkdtempSync(path.join(os.tmpdir(), 'agent-browser-other-'));
        fs.mkdirSync(path.join(other, '.zunoagentbrowser'));
        fs.writeFileSync(path.join(other, '.zunoagentbrowser', 'token'), 'not-the-right-token-at-all');
        const refused = await demo('--port', String(port), '--home', other, 'lookup', page);
        fs.rmSync(other, { recursive: true, force: true });
        assert.equal(refused.code, 1);
        assert.equal(refused.stderr, 'lookup failed (401): Unauthorized\n');
    } finally {
        if (standin)
            standin.kill('SIGTERM');
        fixtures.close();
        fs.rmSync(home, { recursive: true, force: true });
    }
    return 0;
}

main().then((code) => {
    console.log(code === SKIP ? 'skipped' : 'agent browser demo: all checks passed');
    process.exit(code);
}, (error) => {
    console.error(error);
    process.exit(1);
});
