// The web page agent's scripts, built by the C++ host (Tools/PageScriptDump), evaluated in headless
// Chromium on the fixture pages of TestData/agent: element lines and references, hidden and shadow
// elements, the diff, target lookup, fill, click and the highlight ring (on the page clock), keys, scroll.
//   node page_scripts_test.cjs <PageScriptDump executable> <fixture folder> <artifact folder>
'use strict';
const assert = require('node:assert/strict');
const { execFileSync, spawnSync } = require('node:child_process');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { pathToFileURL } = require('node:url');
const { CHROMIUM, launchChromium } = require('../../../Tools/Common/headless_chromium.cjs');

const SKIP = 77;
const [dumpPath, fixtureDir, artifactRoot] = process.argv.slice(2);
let artifactDir; // a folder of this run's own under artifactRoot, so concurrent runs never collide

// Builds every script in one run of the dump tool: calls is a list of [function, ...arguments].
function build(calls) {
    const input = JSON.stringify(calls.map(([fn, ...args]) => ({ function: fn, arguments: args })));
    return JSON.parse(execFileSync(dumpPath, [], { input }));
}

const fixture = (name) => pathToFileURL(path.join(fixtureDir, name)).href;

async function run(page, script) {
    return JSON.parse(await page.evaluate(script));
}

// Every built script is valid JavaScript on its own.
function checkSyntax(scripts) {
    const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'page-scripts-'));
    try {
        scripts.forEach((script, index) => {
            const file = path.join(dir, `script${index}.js`);
            fs.writeFileSync(file, script);
            const result = spawnSync(process.execPath, ['--check', file], { encoding: 'utf8' });
            assert.equal(result.status, 0, `script ${index} fails node --check: ${result.stderr}`);
        });
    } finally {
        fs.rmSync(dir, { recursive: true, force: true });
    }
}

async function main() {
    if (!fs.existsSync(CHROMIUM)) {
        console.log('skipped: Debian chromium is not installed');
        return SKIP;
    }
    fs.mkdirSync(artifactRoot, { recursive: true });
    artifactDir = fs.mkdtempSync(path.join(artifactRoot, 'run-'));
    const [snapshot, snapshotDiff, snapshotImages, snapshotLinks, snapshotMany, extract, inspect3, inspectE3,
        fillStale, fillBlank, fillTracked, fillParagraph, fillSpaces, clickSend, clickTextSend, clickLabelled,
        clickMissing, pressEnter, scrollDown, scrollUp, scrollBottom, scrollTop, quotes] = build([
        ['snapshotScript', 80, 4000, 'all', false],
        ['snapshotScript', 80, 4000, 'all', true],
        ['snapshotScript', 80, 4000, 'images', false],
        ['snapshotScript', 80, 4000, 'links', false],
        ['snapshotScript', 500, 4000, 'buttons', false],
        ['extractTextScript', 0],
        ['inspectTargetScript', '@3'],
        ['inspectTargetScript', '@e3'],
        ['fillScript', '@e99', 'Hello from the agent', null],
        ['fillScript', '', 'Hello from the agent', null],
        ['fillScript', '#field', 'Ada Lovelace', 'Name'],
        ['fillScript', 'main p', 'nope', null],
        ['fillScript', '  \n ', 'Spaced "quote" </script>', null],
        ['clickScript', '@e2', null],
        ['clickScript', 'text=Send', null],
        ['clickScript', '#send', 'Reply to Ada with the quarterly figures attached'],
        ['clickScript', '#nowhere', null],
        ['pressKeyScript', 'Enter'],
        ['scrollScript', 'DOWN', 900],
        ['scrollScript', 'up', 5000],
        ['scrollScript', 'bottom', 80],
        ['scrollScript', 'top', 80],
        ['fillScript', '#name', 'a "b" \\ c\nd / e', null],
    ]);
    checkSyntax([snapshot, snapshotDiff, snapshotImages, snapshotLinks, snapshotMany, extract, inspect3, inspectE3,
        fillStale, fillBlank, fillTracked, fillParagraph, fillSpaces, clickSend, clickTextSend, clickLabelled,
        clickMissing, pressEnter, scrollDown, scrollUp, scrollBottom, scrollTop, quotes]);

    const browser = await launchChromium();
    try {
        const context = await browser.newContext({ viewport: { width: 640, height: 480 } });
        const page = await context.newPage();

        // Element lines, references, the password mask, disabled states; an unknown mode lists as "all".
        await page.goto(fixture('forms.html'));
        const forms = await run(page, snapshot);
        assert.equal(forms.ok, true);
        assert.equal(forms.isDiff, false);
        assert.equal(forms.title, 'Forms');
        assert.deepEqual(forms.elements, [
            '@e1 [input:text]',
            '@e2 [input:password] "Password" val="••••"',
            '@e3 [input:password] "New password"',
            '@e4 [input:search] "Search the shop"',
            '@e5 [textarea] "Notes" val="first line"',
            '@e6 [select] "Country" val="Norway"',
            '@e7 [button] "Sign in"',
            '@e8 [button] "Disabled action" (disabled)',
            '@e9 [button] "Soft disabled" (disabled)',
        ]);
        assert.equal(forms.nodeCount, 9);
        assert.match(forms.text, /^Sign in\n.*Welcome back\.$/s);
        assert.deepEqual((await run(page, snapshotImages)).elements, forms.elements);

        // "@3" is "@e3"; a removed element no longer resolves.
        assert.deepEqual(await run(page, inspect3), { ok: true, found: true, tag: 'input', label: 'New password' });
        assert.deepEqual(await run(page, inspectE3), await run(page, inspect3));
        await page.evaluate(() => document.getElementById('empty-secret').remove());
        assert.deepEqual(await run(page, inspect3), { ok: false, found: false, label: '' });

        // Keys go to the focused element; a quote, a backslash, a line break and "/" arrive intact.
        await page.focus('#name');
        assert.deepEqual(await run(page, pressEnter), { ok: true, key: 'Enter' });
        assert.deepEqual(await page.evaluate(() => window.keys),
            ['keydown:Enter:Enter', 'keypress:Enter:Enter', 'keyup:Enter:Enter']);
        assert.equal((await run(page, quotes)).ok, true);
        assert.equal(await page.inputValue('#name'), 'a "b" \\ c\nd / e'.replace('\n', ''));

        // The diff: unchanged on the same page, the changes after an edit, the full form at another address.
        await page.goto(fixture('forms.html'));
        assert.equal((await run(page, snapshotDiff)).isDiff, false);
        const same = await run(page, snapshotDiff);
        assert.equal(same.isDiff, true);
        assert.equal(same.unchanged, true);
        await page.evaluate(() => {
            document.querySelector('main').insertAdjacentHTML('beforeend', '<button>Forgot password</button><p>Try again.</p>');
            document.getElementById('secret').remove();
        });
        const changed = await run(page, snapshotDiff);
        assert.equal(changed.unchanged, false);
        assert.equal(changed.nodeCount, 9);
        assert.equal(changed.removedCount, 8);
        assert.equal(changed.addedElements.length, 8);
        assert.equal(changed.addedElements[7], '@e9 [button] "Forgot password"');
        assert.equal(changed.addedText, 'Forgot password\nTry again.');
        await page.evaluate(() => history.pushState({}, '', '#elsewhere'));
        assert.equal((await run(page, snapshotDiff)).isDiff, false);
        await page.goto(fixture('second.html'));
        const second = await run(page, snapshotDiff);
        assert.equal(second.isDiff, false);
        assert.deepEqual(second.elements, ['@e1 [a] "Back"']);

        // The icon-only button takes no reference; "text=Send" prefers the exact text; links mode.
        await page.goto(fixture('buttons.html'));
        const buttons = await run(page, snapshot);
        assert.deepEqual(buttons.elements, ['@e1 [a] "Sender settings"', '@e2 [button] "Send"']);
        assert.deepEqual((await run(page, snapshotLinks)).elements, ['@e1 [a] "Sender settings"']);
        assert.deepEqual(await run(page, clickTextSend), { ok: true, clicked: 'Send' });
        assert.equal(await page.evaluate(() => window.sent), 1);
        assert.deepEqual(await run(page, clickMissing), { ok: false, error: 'Target not found: #nowhere' });

        // Shadow roots are searched (open ones only); hidden elements are skipped.
        await page.goto(fixture('shadow.html'));
        assert.deepEqual((await run(page, snapshot)).elements,
            ['@e1 [button] "Light button"', '@e2 [button] "Outer shadow button"', '@e3 [input:text] "Inner shadow field"']);
        await page.goto(fixture('hidden.html'));
        assert.deepEqual((await run(page, snapshot)).elements, ['@e1 [button] "Shown"']);

        // At most 200 elements; the text extract keeps the end of a long page.
        await page.goto(fixture('many.html'));
        const many = await run(page, snapshotMany);
        assert.equal(many.nodeCount, 200);
        assert.equal(many.elements[199], '@e200 [button] "Item 200"');
        const extracted = await run(page, extract);
        assert.equal(extracted.text.length, 500);
        assert.match(extracted.text, /\nItem 250$/);

        // Fill: a stale reference writes nothing; a blank target uses the footer composer with insertText.
        await page.goto(fixture('composer.html'));
        await run(page, snapshot);
        assert.deepEqual(await run(page, fillStale), { ok: false, error: 'Input element not found: @e99' });
        assert.equal(await page.textContent('#composer'), '');
        assert.deepEqual(await page.evaluate(() => window.inputTypes), []);
        assert.deepEqual(await run(page, fillBlank), { ok: true, mode: 'contenteditable', length: 20 });
        assert.equal(await page.textContent('#composer'), 'Hello from the agent');
        assert.deepEqual(await page.evaluate(() => window.inputTypes), ['insertText']);
        assert.deepEqual(await run(page, fillSpaces), { ok: true, mode: 'contenteditable', length: 24 });
        assert.equal(await page.textContent('#composer'), 'Spaced "quote" </script>');
        assert.deepEqual(await run(page, fillParagraph), { ok: false, error: 'Target is not an editable field (p)' });

        // Fill through the prototype's setter, so the page's tracker notices, with input and change fired.
        await page.goto(fixture('tracked.html'));
        assert.deepEqual(await run(page, fillTracked), { ok: true, mode: 'input', length: 12 });
        assert.deepEqual(await page.evaluate(() => [window.assignments, window.noticed, window.changes]),
            [[], ['Ada Lovelace'], 1]);

        // Scroll in the [role=main] container.
        await page.goto(fixture('scroll.html'));
        assert.deepEqual(await run(page, scrollDown), { ok: true, direction: 'down', progressPercent: 50 });
        assert.deepEqual(await run(page, scrollUp), { ok: true, direction: 'up', progressPercent: 0 });
        assert.deepEqual(await run(page, scrollBottom), { ok: true, direction: 'bottom', progressPercent: 100 });
        assert.deepEqual(await run(page, scrollTop), { ok: true, direction: 'top', progressPercent: 0 });
        await context.close();

        await checkRing(browser);
    } finally {
        await browser.close();
    }
    return 0;

    // The ring and its badges, read back from the page, and its timing on the page clock.
    async function checkRing(browserInstance) {
        const context = await browserInstance.newContext({ viewport: { width: 640, height: 360 } });
        const page = await context.newPage();
        // The installed clock runs on with real time until paused: paused, only runFor moves it, however
        // slow the machine.
        const start = new Date('2026-01-05T09:00:00Z').getTime();
        await page.clock.install({ time: start });
        await page.goto(fixture('buttons.html'));
        await page.clock.pauseAt(start + 60_000);
        await run(page, snapshot);
        assert.deepEqual(await run(page, clickSend), { ok: true, clicked: 'Send' });
        const ring = () => page.evaluate(() => {
            const element = document.getElementById('__zunoAgentHighlightRing');
            if (!element)
                return null;
            const style = getComputedStyle(element);
            const pill = element.firstElementChild;
            const pillStyle = pill ? getComputedStyle(pill) : null;
            return {
                rings: document.querySelectorAll('#__zunoAgentHighlightRing').length,
                position: style.position,
                border: style.border,
                radius: style.borderRadius,
                shadow: style.boxShadow,
                zIndex: style.zIndex,
                pointerEvents: style.pointerEvents,
                opacity: style.opacity,
                badge: pill ? pill.textContent : null,
                pillBackground: pillStyle && pillStyle.backgroundColor,
                pillColor: pillStyle && pillStyle.color,
                pillRadius: pillStyle && pillStyle.borderRadius,
                pillFont: pillStyle && `${pillStyle.fontWeight} ${pillStyle.fontSize}`,
                pillTop: pill && pill.style.top,
                pillWrap: pillStyle && pillStyle.whiteSpace,
            };
        });
        assert.deepEqual(await ring(), {
            rings: 1,
            position: 'fixed',
            border: '2px solid rgb(56, 232, 255)',
            radius: '8px',
            shadow: 'rgba(56, 232, 255, 0.22) 0px 0px 0px 3px, rgba(0, 0, 0, 0.28) 0px 4px 16px 0px',
            zIndex: '2147483647',
            pointerEvents: 'none',
            opacity: '1',
            badge: 'AI · Send',
            pillBackground: 'rgb(7, 25, 33)',
            pillColor: 'rgb(56, 232, 255)',
            pillRadius: '999px',
            pillFont: '600 10px',
            pillTop: '-22px',
            pillWrap: 'nowrap',
        });
        await page.screenshot({ path: path.join(artifactDir, 'highlight-ring.png') });
        // A later ring replaces the earlier one; the badge is cut at 36 characters.
        assert.deepEqual(await run(page, clickLabelled), { ok: true, clicked: 'Send' });
        assert.equal((await ring()).badge, 'AI · Reply to Ada with the quarterly figu');
        assert.equal((await ring()).rings, 1);
        await page.clock.runFor(1249);
        assert.equal((await ring()).opacity, '1');
        await page.clock.runFor(2);
        assert.notEqual(await ring(), null);
        await page.clock.runFor(400);
        assert.equal(await ring(), null);

        await page.goto(fixture('composer.html'));
        assert.equal((await run(page, fillBlank)).ok, true);
        assert.equal((await ring()).badge, 'AI · Draft');
        await page.clock.runFor(1650);
        assert.equal(await ring(), null);
        await context.close();
    }
}

main().then((code) => {
    console.log(code === SKIP ? 'skipped' : 'page scripts: all checks passed');
    process.exit(code);
}, (error) => {
    console.error(error);
    process.exit(1);
});
