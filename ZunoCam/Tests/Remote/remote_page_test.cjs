// The control page in headless Chromium against the real server (Tools/RemoteDemo): it renders the
// served state, sends play/pause and steps, switches language, fits phone widths, cannot be driven
// by another page, shows when the studio is gone, and leaves screenshots (the first one's pixels
// are checked).
//   node remote_page_test.cjs <RemoteDemo executable> <artifact folder>
'use strict';
const assert = require('node:assert/strict');
const { spawn } = require('node:child_process');
const fs = require('node:fs');
const http = require('node:http');
const path = require('node:path');
const { CHROMIUM, launchChromium, freePort } = require('../../../Tools/Common/headless_chromium.cjs');

const SKIP = 77;
const [demoPath, artifactRoot] = process.argv.slice(2);
let artifactDir; // a folder of this run's own under artifactRoot, so concurrent runs never collide

function startDemo(port) {
    const child = spawn(demoPath, ['--port', String(port), '--loopback'], { stdio: ['ignore', 'pipe', 'inherit'] });
    return new Promise((resolve, reject) => {
        const timer = setTimeout(() => reject(new Error('RemoteDemo did not start')), 20000);
        let output = '';
        child.stdout.on('data', (chunk) => {
            output += chunk;
            if (output.includes('listening ')) {
                clearTimeout(timer);
                resolve(child);
            }
        });
        child.once('exit', (code) => reject(new Error(`RemoteDemo exited with ${code}`)));
    });
}

function fetchState(port) {
    return new Promise((resolve, reject) => {
        http.get({ host: '127.0.0.1', port, path: '/api/state', timeout: 5000 }, (response) => {
            let body = '';
            response.on('data', (chunk) => (body += chunk));
            response.on('end', () => resolve(JSON.parse(body)));
        }).on('error', reject);
    });
}

const text = (page, id) => page.locator('#' + id).textContent();

async function waitForText(page, id, expected) {
    await page.waitForFunction(([i, e]) => document.getElementById(i).textContent === e, [id, expected],
        { timeout: 20000 }).catch(async () => {
        throw new Error(`#${id} shows "${await text(page, id)}", expected "${expected}"`);
    });
}

// Pixel colours of the screenshot, read back through a canvas of the page itself.
async function screenshotPixels(page, png, points) {
    return page.evaluate(async ([data, pts]) => {
        const image = new Image();
        image.src = 'data:image/png;base64,' + data;
        await image.decode();
        const canvas = document.createElement('canvas');
        canvas.width = image.width;
        canvas.height = image.height;
        const context = canvas.getContext('2d');
        context.drawImage(image, 0, 0);
        return pts.map(([x, y]) => Array.from(context.getImageData(x, y, 1, 1).data.slice(0, 3)));
    }, [png.toString('base64'), points]);
}

// Rendering rules, with the page's own requests answered by the test: the state before the first
// answer, clamped progress, fallbacks for zero numbers, highlighting by title, a rejected command.
async function rendersCraftedStates(browser, port) {
    const context = await browser.newContext({ locale: 'de-DE' });
    const page = await context.newPage();
    let release;
    const firstAnswer = new Promise((resolve) => (release = resolve));
    let state = {
        isPlaying: true, isVisible: true, wpm: 0, fontSize: 0, progress: 1.3, activeScriptTitle: 'Closing',
        scripts: [{ id: 'X', title: 'Closing', wordCount: 12 }, { id: 'Y', title: 'Closing' },
            { title: 'Intro', wordCount: 3 }],
    };
    let stateRequests = 0;
    await page.route('**/api/state', async (route) => {
        stateRequests += 1;
        await firstAnswer;
        await route.fulfill({ status: 200, contentType: 'application/json', body: JSON.stringify(state) });
    });
    await page.route('**/api/command', (route) =>
        route.fulfill({ status: 400, contentType: 'application/json',
            body: '{"error":"Invalid or missing teleprompter command.","ok":false}' }));
    await page.goto(`http://127.0.0.1:${port}/`);

    // Until the first state arrives.
    await waitForText(page, 'stateLabel', 'Reconnecting');
    assert.equal(await page.locator('#stateDot').getAttribute('class'), 'dot err');
    assert.equal(await text(page, 'connPill'), 'LAN');
    assert.equal(await text(page, 'langBtn'), 'TR');
    release();

    await waitForText(page, 'connPill', 'LIVE');
    assert.equal(await text(page, 'progressPct'), '100%');
    assert.equal(await text(page, 'wpmVal'), '135');
    assert.equal(await text(page, 'fontVal'), '24');
    assert.equal(await text(page, 'stateLabel'), 'Scrolling');
    assert.deepEqual(await page.locator('#scriptsList .script-item').evaluateAll(
        (rows) => rows.map((row) => row.className)), ['script-item active', 'script-item active', 'script-item']);
    assert.deepEqual(await page.locator('#scriptsList .words').allTextContents(), ['12 words', '0 words', '3 words']);

    // A rejected command changes nothing and asks for the state again.
    state = { ...state, activeScriptTitle: '', scripts: 'none' };
    const before = stateRequests;
    await page.click('#resetBtn');
    await page.waitForFunction(() => document.getElementById('activeTitle').textContent === 'ZunoCam',
        null, { timeout: 20000 });
    assert.ok(stateRequests > before);
    assert.equal(await text(page, 'scriptsCount'), '0');
    await context.close();
}

// Every phone width from 320 to 430 pixels, in both languages: nothing scrolls sideways, every card and
// button lies wholly inside the page's column (so on screen), every button is at least 40 pixels
// square, and the steppers still reach the studio.
async function fitsPhoneWidths(browser, port, artifactDir) {
    for (const width of [320, 360, 390, 430]) {
        for (const [locale, label] of [['en-GB', 'en'], ['tr-TR', 'tr']]) {
            const where = `${width} px, ${label}`;
            const context = await browser.newContext({ locale, viewport: { width, height: 800 } });
            const page = await context.newPage();
            await page.goto(`http://127.0.0.1:${port}/`);
            await waitForText(page, 'connPill', 'LIVE');
            const layout = await page.evaluate(() => ({
                scrollWidth: document.documentElement.scrollWidth,
                innerWidth,
                column: document.querySelector('.wrap').getBoundingClientRect().toJSON(),
                boxes: [...document.querySelectorAll('button, .card')].map((element) => {
                    const box = element.getBoundingClientRect();
                    return { name: element.id || element.className, isButton: element.tagName === 'BUTTON',
                        left: box.left, right: box.right, width: box.width, height: box.height };
                }),
                clipped: [...document.querySelectorAll('.value, .stepper')].filter(
                    (element) => element.scrollWidth > element.clientWidth).map((element) => element.className),
            }));
            assert.ok(layout.scrollWidth <= layout.innerWidth && layout.column.left >= 0
                && layout.column.right <= layout.innerWidth,
                `${where}: page is ${layout.scrollWidth} px wide in a ${layout.innerWidth} px window`);
            assert.ok(layout.boxes.filter((b) => b.isButton).length >= 10, `${where}: buttons missing`);
            for (const b of layout.boxes) {
                assert.ok(b.left >= layout.column.left && b.right <= layout.column.right,
                    `${where}: ${b.name} spans ${b.left}..${b.right}, the column ${layout.column.left}..${layout.column.right}`);
                if (b.isButton)
                    assert.ok(b.width >= 40 && b.height >= 40, `${where}: ${b.name} is ${b.width}x${b.height}`);
            }
            assert.deepEqual(layout.clipped, [], `${where}: content wider than its box`);
            if (width === 360)
                fs.writeFileSync(path.join(artifactDir, `remote-page-360-${label}.png`), await page.screenshot());

            // Each stepper button still sends its command (up, then back down).
            for (const [value, up, down, step] of [['wpmVal', 'wpmUp', 'wpmDown', 10],
                ['fontVal', 'fontUp', 'fontDown', 2]]) {
                const before = Number(await text(page, value));
                await page.click('#' + up);
                await waitForText(page, value, String(before + step));
                await page.click('#' + down);
                await waitForText(page, value, String(before));
            }
            await context.close();
        }
    }
}

// Another web page open in the same browser (another origin on this computer) posts a command the
// way a form would: the studio refuses it, so the teleprompter does not move.
async function otherPagesCannotDrive(browser, port) {
    const context = await browser.newContext();
    const page = await context.newPage();
    await page.goto(`http://localhost:${port}/`);
    const before = await fetchState(port);
    const outcome = await page.evaluate(async (p) => {
        try {
            await fetch(`http://127.0.0.1:${p}/api/command`, { method: 'POST', mode: 'no-cors',
                headers: { 'Content-Type': 'text/plain' }, body: 'toggle' });
            return 'sent';
        } catch (error) {
            return String(error);
        }
    }, port);
    assert.equal(outcome, 'sent');
    assert.equal((await fetchState(port)).isPlaying, before.isPlaying);
    await context.close();
}

async function main() {
    if (!fs.existsSync(CHROMIUM)) {
        console.log('skipped: Debian chromium is not installed');
        return SKIP;
    }
    fs.mkdirSync(artifactRoot, { recursive: true });
    artifactDir = fs.mkdtempSync(path.join(artifactRoot, 'run-'));
    const port = await freePort();
    let demo = await startDemo(port);
    const browser = await launchChromium();
    try {
        const english = await browser.newContext({ locale: 'en-GB', viewport: { width: 420, height: 900 } });
        const page = await english.newPage();
        await page.goto(`http://127.0.0.1:${port}/`);
        assert.equal(await page.title(), 'ZunoCam Remote');
        await waitForText(page, 'connPill', 'LIVE');

        // The served state.
        assert.equal(await text(page, 'subtitle'), 'Teleprompter LAN Remote');
        assert.equal(await text(page, 'langBtn'), 'TR');
        assert.equal(await text(page, 'stateLabel'), 'Paused');
        assert.equal(await page.locator('#stateDot').getAttribute('class'), 'dot paused');
        assert.equal(await text(page, 'activeTitle'), 'Product Launch');
        assert.equal(await text(page, 'progressPct'), '46%');
        assert.equal(await page.locator('#progressFill').evaluate((e) => e.style.width), '46%');
        assert.equal(await text(page, 'wpmVal'), '150');
        assert.equal(await text(page, 'fontVal'), '30');
        assert.equal(await text(page, 'toggleBtn'), '▶ Play');
        assert.equal(await text(page, 'scriptsCount'), '3');
        assert.deepEqual(await page.locator('#scriptsList .script-item').allTextContents(),
            ['Product Launch320 words', 'Q&A Notes85 words', 'Closing40 words']);
        assert.equal(await page.locator('#scriptsList .script-item.active').count(), 1);

        // Screenshot: the accent progress fill and the dark plum background.
        const png = await page.screenshot();
        fs.writeFileSync(path.join(artifactDir, 'remote-page.png'), png);
        const fill = await page.locator('#progressFill').boundingBox();
        const [fillPixel, backgroundPixel] = await screenshotPixels(page, png,
            [[Math.round(fill.x + fill.width / 2), Math.round(fill.y + fill.height / 2)], [2, 2]]);
        assert.ok(fillPixel[0] > 200 && fillPixel[1] > 90 && fillPixel[1] < 190 && fillPixel[2] > 180,
            `progress fill pixel ${fillPixel}`);
        assert.ok(backgroundPixel[0] > 70 && backgroundPixel[0] < 160 && backgroundPixel[1] < 60
            && backgroundPixel[2] > 50 && backgroundPixel[2] < 140, `background pixel ${backgroundPixel}`);

        // Play and pause reach the studio.
        await page.click('#toggleBtn');
        await waitForText(page, 'stateLabel', 'Scrolling');
        assert.equal(await text(page, 'toggleBtn'), '⏸ Pause');
        assert.equal(await page.locator('#toggleBtn').getAttribute('class'), 'main-btn playing');
        assert.equal(await page.locator('#stateDot').getAttribute('class'), 'dot live');
        assert.equal((await fetchState(port)).isPlaying, true);
        await page.click('#toggleBtn');
        await waitForText(page, 'stateLabel', 'Paused');
        assert.equal((await fetchState(port)).isPlaying, false);

        // Steppers send no delta: the server's default steps apply.
        await page.click('#wpmUp');
        await waitForText(page, 'wpmVal', '160');
        await page.click('#fontDown');
        await waitForText(page, 'fontVal', '28');
        await page.locator('#scriptsList .script-item', { hasText: 'Closing' }).click();
        await waitForText(page, 'activeTitle', 'Closing');
        assert.equal((await fetchState(port)).activeScriptId, 'C');

        // Language switch.
        await page.click('#langBtn');
        assert.equal(await text(page, 'subtitle'), 'Teleprompter LAN Kumandası');
        assert.equal(await text(page, 'langBtn'), 'EN');
        assert.equal(await text(page, 'stateLabel'), 'Duraklatıldı');
        await page.click('#langBtn');

        // A Turkish browser starts in Turkish.
        const turkish = await browser.newContext({ locale: 'tr-TR' });
        const turkishPage = await turkish.newPage();
        await turkishPage.goto(`http://127.0.0.1:${port}/`);
        await waitForText(turkishPage, 'connPill', 'LIVE');
        assert.equal(await text(turkishPage, 'subtitle'), 'Teleprompter LAN Kumandası');
        assert.equal(await text(turkishPage, 'langBtn'), 'EN');
        assert.equal(await text(turkishPage, 'stateLabel'), 'Duraklatıldı');
        assert.equal(await text(turkishPage, 'toggleBtn'), '▶ Başlat');
        await turkish.close();

        await rendersCraftedStates(browser, port);
        await fitsPhoneWidths(browser, port, artifactDir);
        await otherPagesCannotDrive(browser, port);
        // The first page has polled the settled state (the steppers above went up and back down).
        await waitForText(page, 'wpmVal', '160');
        await waitForText(page, 'fontVal', '28');

        // The studio goes away: the page says so and keeps what it knew.
        demo.kill('SIGTERM');
        await new Promise((resolve) => demo.once('exit', resolve));
        demo = null;
        await waitForText(page, 'connPill', 'OFFLINE');
        assert.equal(await text(page, 'stateLabel'), 'Reconnecting');
        assert.equal(await page.locator('#stateDot').getAttribute('class'), 'dot err');
        assert.equal(await text(page, 'activeTitle'), 'Closing');
        assert.equal(await text(page, 'wpmVal'), '160');

    } finally {
        await browser.close();
        if (demo)
            demo.kill('SIGTERM');
    }
    return 0;
}

main().then((code) => {
    console.log(code === SKIP ? 'skipped' : 'remote page: all checks passed');
    process.exit(code);
}, (error) => {
    console.error(error);
    process.exit(1);
});
