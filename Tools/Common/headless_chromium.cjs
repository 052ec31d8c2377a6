// Debian's Chromium, headless, through playwright-core (DevTools protocol over a pipe), as the page tests
// and the agent-browser stand-in start it; and a free loopback port for their servers.
'use strict';
const { chromium } = require('playwright-core');
const net = require('node:net');

const CHROMIUM = '/usr/bin/chromium';

// launch() gives the browser a fresh, temporary --user-data-dir of its own.
function launchChromium() {
    return chromium.launch({
        executablePath: CHROMIUM,
        headless: true,
        args: ['--no-sandbox', '--disable-gpu', '--disable-background-networking', '--disable-component-update',
            '--disable-sync', '--no-first-run'],
    });
}

function freePort() {
    return new Promise((resolve, reject) => {
        const probe = net.createServer();
        probe.once('error', reject);
        probe.listen(0, '127.0.0.1', () => {
            const { port } = probe.address();
            probe.close(() => resolve(port));
        });
    });
}

module.exports = { CHROMIUM, launchChromium, freePort };
