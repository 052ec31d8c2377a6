// A stand-in for the suite's agent browser, for tests and demos: the same loopback HTTP interface, with
// Debian's Chromium driven through playwright-core. Each open makes a fresh browser context (a throw-away
// profile) for its agent and loads the page; a snapshot runs the host-built snapshot script
// (Tools/PageScriptDump) and turns its JSON into compact text; a release closes the context.
//   node standin.cjs [--port N] [--home DIR] [--dump PageScriptDump]
// The token is read from DIR/.zunoagentbrowser/token (made, 32 hex characters, when missing).
'use strict';
const crypto = require('node:crypto');
const { execFileSync } = require('node:child_process');
const fs = require('node:fs');
const http = require('node:http');
const os = require('node:os');
const path = require('node:path');
const { CHROMIUM, launchChromium } = require('../Common/headless_chromium.cjs');

const MAX_BODY = 1024 * 1024;

function option(name, fallback) {
    const index = process.argv.indexOf(name);
    return index > 0 && index + 1 < process.argv.length ? process.argv[index + 1] : fallback;
}

if (process.argv.includes('--help') || process.argv.includes('-h')) {
    process.stdout.write(`Usage: node standin.cjs [--port N] [--home DIR] [--dump PageScriptDump]
A loopback stand-in for the suite's agent browser, driving Debian's Chromium.
  --port N     port on 127.0.0.1 (default 47891)
  --home DIR   folder whose .zunoagentbrowser/token is used, made when missing (default: your home)
  --dump PATH  the PageScriptDump program (default: build/bin/PageScriptDump)
`);
    process.exit(0);
}
for (let i = 2; i < process.argv.length; i += 2) {
    if (!['--port', '--home', '--dump'].includes(process.argv[i]) || i + 1 >= process.argv.length) {
        process.stderr.write(`standin.cjs: unknown option or missing value: ${process.argv[i]} (see --help)\n`);
        process.exit(2);
    }
}

const port = Number(option('--port', '47891'));
const home = path.resolve(option('--home', os.homedir()));
const dumpPath = path.resolve(option('--dump', path.join(__dirname, '..', '..', 'build', 'bin', 'PageScriptDump')));

function readOrMakeToken() {
    const dir = path.join(home, '.zunoagentbrowser');
    const file = path.join(dir, 'token');
    fs.mkdirSync(dir, { recursive: true, mode: 0o700 });
    if (!fs.existsSync(file))
        fs.writeFileSync(file, crypto.randomBytes(16).toString('hex') + '\n', { mode: 0o600 });
    const token = fs.readFileSync(file, 'utf8').trim();
    if (token.length < 16)
        throw new Error(`the token in ${file} is shorter than 16 characters`);
    return token;
}

// The snapshot script as the host builds it: up to 200 references and 16000 characters of text.
function snapshotScript() {
    const input = JSON.stringify([{ function: 'snapshotScript', arguments: [200, 16000, 'all', false] }]);
    return JSON.parse(execFileSync(dumpPath, [], { input }))[0];
}

function compactText(snapshot) {
    const lines = [`PAGE: ${snapshot.title || '(untitled)'} | ${snapshot.url || ''}`];
    if (snapshot.elements && snapshot.elements.length)
        lines.push(`REFS (${snapshot.elements.length}):`, ...snapshot.elements);
    if (snapshot.text)
        lines.push('CONTENT:', snapshot.text);
    return lines.join('\n');
}

class HttpFailure extends Error {
    constructor(status, message) {
        super(message);
        this.status = status;
    }
}

function authorised(request, token) {
    const given = Buffer.from(String(request.headers.authorization || ''));
    const expected = Buffer.from('Bearer ' + token);
    return given.length === expected.length && crypto.timingSafeEqual(given, expected);
}

function readJson(request) {
    return new Promise((resolve, reject) => {
        let body = '';
        request.setEncoding('utf8');
        request.on('data', (chunk) => {
            body += chunk;
            if (body.length > MAX_BODY) {
                reject(new HttpFailure(413, 'Body too large'));
                request.destroy();
            }
        });
        request.on('end', () => {
            try {
                const value = body ? JSON.parse(body) : {};
                if (value === null || typeof value !== 'object' || Array.isArray(value))
                    throw new Error('not an object');
                resolve(value);
            } catch (error) {
                reject(new HttpFailure(400, 'The body must be a JSON object'));
            }
        });
        request.on('error', reject);
    });
}

async function main() {
    if (!fs.existsSync(CHROMIUM)) {
        console.error('standin: Debian chromium is not installed');
        process.exit(1);
    }
    const token = readOrMakeToken();
    const script = snapshotScript();
    const agents = new Map(); // agentId -> { context, page }
    let browser = null;

    async function ensureBrowser() {
        if (!browser) {
            browser = await launchChromium();
        }
        return browser;
    }

    async function release(agentId) {
        const agent = agents.get(agentId);
        agents.delete(agentId);
        if (agent)
            await agent.context.close();
        return Boolean(agent);
    }

    async function snapshotOf(agent) {
        const snapshot = JSON.parse(await agent.page.evaluate(script));
        return { compactText: compactText(snapshot), text: snapshot.text || '' };
    }

    const routes = {
        'POST /api/agent/open': async (body) => {
            const agentId = String(body.agentId || '');
            if (typeof body.url !== 'string' || !/^https?:\/\//i.test(body.url))
                throw new HttpFailure(400, 'Only http and https pages can be opened');
            await release(agentId);
            const context = await (await ensureBrowser()).newContext({ viewport: { width: 1280, height: 900 } });
            const page = await context.newPage();
            agents.set(agentId, { context, page });
            try {
                await page.goto(body.url, { timeout: 25000, waitUntil: 'load' });
            } catch (error) {
                await release(agentId);
                throw new HttpFailure(502, `Could not load ${body.url}: ${error.message.split('\n')[0]}`);
            }
            const reply = { ok: true, agentId, url: page.url(), title: await page.title() };
            if (body.snapshot === true)
                reply.snapshot = await snapshotOf(agents.get(agentId));
            return reply;
        },
        'POST /api/agent/snapshot': async (body) => {
            const agent = agents.get(String(body.agentId || ''));
            if (!agent)
                throw new HttpFailure(404, 'No page is open for this agent');
            return { ok: true, ...(await snapshotOf(agent)) };
        },
        'POST /api/agent/release': async (body) => {
            const agentId = String(body.agentId || '');
            const released = await release(agentId);
            console.log(`released ${agentId}: ${released}`);
            return { ok: true, released };
        },
    };

    const server = http.createServer(async (request, response) => {
        const answer = (status, value) => {
            response.writeHead(status, { 'Content-Type': 'application/json' });
            response.end(JSON.stringify(value));
        };
        const route = `${request.method} ${new URL(request.url, 'http://127.0.0.1').pathname}`;
        try {
            if (route === 'GET /api/health')
                return answer(200, { ok: true, version: 'standin-1' });
            const handler = routes[route];
            if (!handler)
                throw new HttpFailure(404, `Unknown endpoint ${route}`);
            if (!authorised(request, token))
                throw new HttpFailure(401, 'Unauthorized');
            answer(200, await handler(await readJson(request)));
        } catch (error) {
            answer(error.status || 500, { ok: false, error: error.message });
        }
    });

    const stop = async () => {
        server.close();
        if (browser)
            await browser.close().catch(() => {});
        process.exit(0);
    };
    process.on('SIGINT', stop);
    process.on('SIGTERM', stop);
    server.listen(port, '127.0.0.1', () => console.log(`listening on 127.0.0.1:${port}`));
}

main().catch((error) => {
    console.error(error);
    process.exit(1);
});
