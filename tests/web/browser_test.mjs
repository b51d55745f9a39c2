// Plays the site in a real browser as a person would: each answer is typed
// into the field once its prompt is on screen. Each game's whole console, the
// role="log" text, must equal the terminal view in views/, and, where the
// driver can see them, no page may have an error, a failed request or a
// request to another origin. The same scenarios drive every engine.
//
//   node browser_test.mjs chrome|firefox|webkit BROWSER_EXECUTABLE SITE_DIR NODE_MODULES CMAKE
import assert from "node:assert/strict";
import { execFileSync } from "node:child_process";
import { cp, mkdtemp, readdir, readFile, rm, writeFile } from "node:fs/promises";
import { tmpdir } from "node:os";
import { join, relative } from "node:path";
import { fileURLToPath } from "node:url";
import { after, before, test } from "node:test";
import { launch } from "./browsers.mjs";
import { serveSite } from "./site_server.mjs";

const [engine, executable, siteDir, nodeModules, cmake] = process.argv.slice(2);
const views = new URL("views/", import.meta.url);
const readLines = async (url) => (await readFile(url, "utf8")).split("\n").slice(0, -1);
const transcript = (name) => readLines(new URL(`transcripts/${name}.in`, import.meta.url));
const view = (name) => readFile(new URL(`${name}.view`, views), "utf8");

let browser;
let site = null;

before(async () => {
    browser = await launch(engine, executable, nodeModules);
});

after(async () => {
    await browser?.close();
    site?.close();
});

// A fresh page of the site, from a server of its own: a new origin, which no
// worker or copy of the site from an earlier scenario can serve.
async function open({ viewport, held = null, missing = null } = {}) {
    site?.close();
    site = await serveSite(siteDir);
    Object.assign(site.serving, { held, missing });
    return browser.open(site.origin, viewport);
}

function noProblems(page, name) {
    if (page.problems !== null) {
        assert.deepEqual(page.problems, [], name);
    }
}

const shown = (page) => page.evaluate(() => document.getElementById("log").textContent);

// Waits until the game has shown its `count`th prompt and waits at it.
function prompt(page, count) {
    return page.waitFor((count) => {
        const text = document.getElementById("log").textContent;
        return text.split("Wpisz numer: ").length > count && /Wpisz numer: \n?$/.test(text);
    }, count);
}

// Where the field stands against the last prompt's text.
function fieldPlace(page) {
    return page.evaluate(() => {
        const texts = document.createTreeWalker(document.getElementById("log"), NodeFilter.SHOW_TEXT);
        let prompt;
        while (texts.nextNode()) {
            prompt = texts.currentNode.data.startsWith("Wpisz numer: ") ? texts.currentNode : prompt;
        }
        const range = document.createRange();
        range.setStart(prompt, 0);
        range.setEnd(prompt, "Wpisz numer: ".length);
        const text = range.getBoundingClientRect();
        const field = document.getElementById("answer").getBoundingClientRect();
        if (field.top >= text.bottom) {
            return "below the prompt";
        }
        return field.left > text.right - 1 ? "after the prompt" : "over the prompt";
    });
}

async function answer(page, text, { button = false } = {}) {
    await page.type(text);
    await (button ? page.click("#send") : page.enter());
}

// Answers each of the prompts after the first `from`.
async function play(page, answers, { from = 0, ...options } = {}) {
    for (const [index, text] of answers.entries()) {
        await prompt(page, from + index + 1);
        await answer(page, text, options);
    }
}

// What the page shows once the game is over.
async function ending(page) {
    await page.waitFor(() => !document.getElementById("again").hidden);
    return page.evaluate(() => ({
        status: document.getElementById("status").textContent,
        fieldDisabled: document.getElementById("answer").disabled,
        focus: document.activeElement.id,
    }));
}
const over = { status: "Gra zakończona.", fieldDisabled: true, focus: "again" };

test("each ending plays as the module does, a word and wrong numbers in a fight too", async () => {
    for (const name of ["quit", "lost_fight", "won_ship"]) {
        const page = await open();
        await play(page, name === "quit" ? ["0"] : await transcript(name));
        assert.deepEqual(await ending(page), over, name);
        assert.equal(await shown(page), await view(name), name);
        noProblems(page, name);
    }
});

test("answers sent while the game loads are kept, in order, and echoed at once", async () => {
    let release;
    const page = await open({ held: new Promise((resolve) => (release = resolve)) });
    await page.waitFor(() => !document.getElementById("answer").disabled);
    for (const text of ["1", "2", "0"]) {
        await answer(page, text);
    }
    assert.equal(await shown(page), "1\n2\n0\n");
    release();
    assert.deepEqual(await ending(page), over);
    assert.equal(await shown(page), await view("typed_ahead"));
    noProblems(page);
});

test("the field follows the open prompt; an empty Enter echoes an empty line and the game waits on", async () => {
    const page = await open();
    await prompt(page, 1);
    const menu = await shown(page);
    assert.equal(await fieldPlace(page), "after the prompt");
    await page.enter();
    await new Promise((wait) => setTimeout(wait, 100));
    assert.equal(await shown(page), `${menu}\n`);
    assert.equal(await fieldPlace(page), "below the prompt");
    assert.equal(await page.evaluate(() => document.activeElement.id), "answer");
    await answer(page, "0");
    assert.deepEqual(await ending(page), over);
    assert.equal(await shown(page), await view("empty_enter"));
    noProblems(page);
});

test("play again, by keyboard, starts a fresh game; the send button sends and keeps focus in the field", async () => {
    const page = await open();
    await play(page, ["0"]);
    await ending(page);
    await page.enter();
    await prompt(page, 1);
    assert.equal(await page.evaluate(() => document.activeElement.id), "answer");
    await answer(page, "", { button: true });
    assert.equal(await page.evaluate(() => document.activeElement.id), "answer");
    await answer(page, "0", { button: true });
    assert.deepEqual(await ending(page), over);
    assert.equal(await shown(page), await view("empty_enter"));
    noProblems(page);
});

test("on a phone 360 pixels wide the separator fits on one line, with no sideways scroll", async () => {
    const page = await open({ viewport: { width: 360, height: 740 } });
    await play(page, ["0"]);
    await ending(page);
    const layout = await page.evaluate(() => {
        const lines = document.createTreeWalker(document.getElementById("log"), NodeFilter.SHOW_TEXT);
        while (!lines.nextNode().data.startsWith("- - -"));
        const separator = lines.currentNode;
        const range = document.createRange();
        range.setStart(separator, 0);
        range.setEnd(separator, 73);
        const root = document.documentElement;
        return { separatorLines: range.getClientRects().length, sideways: root.scrollWidth > root.clientWidth };
    });
    assert.deepEqual(layout, { separatorLines: 1, sideways: false });
    noProblems(page);
});

// How the console is laid out: the smallest size of its text, the rows each
// separator takes and whether all 73 columns show, the words cut off at the
// console's edge (the separator's dashes may be: it is a rule) or covered by
// the answer field or the send button with its focus ring, whether the page
// scrolls sideways, and whether the field is in view.
function layout() {
    const separator = `${"- ".repeat(36)}-`;
    const log = document.getElementById("log");
    const edge = log.getBoundingClientRect();
    const field = document.getElementById("answer");
    const style = getComputedStyle(field);
    const ring = field.matches(":focus-visible") ? parseFloat(style.outlineWidth) + parseFloat(style.outlineOffset) : 0;
    const controls = [field, document.getElementById("send")].map((control) => {
        const box = control.getBoundingClientRect();
        return { left: box.left - ring, right: box.right + ring, top: box.top - ring, bottom: box.bottom + ring };
    });
    const overlaps = (a, b) => a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
    const found = {
        textSize: Infinity,
        fieldTextSize: parseFloat(style.fontSize),
        ring,
        separatorRows: [],
        separatorsWhole: true,
        cut: [],
        covered: [],
    };
    const texts = document.createTreeWalker(log, NodeFilter.SHOW_TEXT);
    const range = document.createRange();
    while (texts.nextNode()) {
        const text = texts.currentNode;
        found.textSize = Math.min(found.textSize, parseFloat(getComputedStyle(text.parentElement).fontSize));
        for (const word of text.data.matchAll(/\S+/g)) {
            range.setStart(text, word.index);
            range.setEnd(text, word.index + word[0].length);
            for (const rect of range.getClientRects()) {
                const outside = rect.left < edge.left - 0.5 || rect.right > edge.right + 0.5;
                if (outside && !text.data.includes(separator)) {
                    found.cut.push(word[0]);
                }
                if (controls.some((control) => overlaps(rect, control))) {
                    found.covered.push(word[0]);
                }
            }
        }
        const at = text.data.indexOf(separator);
        if (at !== -1) {
            range.setStart(text, at);
            range.setEnd(text, at + separator.length);
            found.separatorRows.push(range.getClientRects().length);
            found.separatorsWhole &&= range.getBoundingClientRect().right <= edge.right + 0.5;
        }
    }
    found.separatorRows = [...new Set(found.separatorRows)];
    found.sideways = document.documentElement.scrollWidth > document.documentElement.clientWidth;
    const box = field.getBoundingClientRect();
    found.fieldInView = box.top >= 0 && box.bottom <= innerHeight + 1; // scrolled to a whole pixel
    return found;
}

test("on any width from 320 pixels the text is readable, wraps, and nothing is cut, covered or scrolled", async () => {
    const firstFight = (await transcript("lost_fight")).slice(0, 2);
    // Phones, where 73 columns of 14-pixel text do not fit; a narrow window,
    // where they fit at a size between the text's floor and its ceiling; and
    // a tablet, where they fit at the ceiling.
    for (const [width, height, separatorsWhole] of [
        [320, 568, false],
        [360, 740, false],
        [412, 915, false],
        [700, 900, true],
        [768, 1024, true],
    ]) {
        const page = await open({ viewport: { width, height } });
        for (const [at, answers, field] of [
            ["menu", [], "after the prompt"],
            ["fight", firstFight, "below the prompt"],
        ]) {
            await play(page, answers);
            await prompt(page, answers.length + 1);
            const found = await page.evaluate(layout);
            const where = `${width} pixels, ${at} prompt: ${JSON.stringify(found)}`;
            assert.ok(found.textSize >= 14 && found.fieldTextSize >= 16 && found.ring >= 3, where);
            assert.deepEqual([found.separatorRows, found.separatorsWhole], [[1], separatorsWhole], where);
            assert.deepEqual(
                [found.cut, found.covered, found.sideways, found.fieldInView],
                [[], [], false, true],
                where,
            );
            assert.equal(await fieldPlace(page), field, where);
        }
        noProblems(page, `${width} pixels`);
    }
});

// A fresh page of the site, once the site's worker has taken it over, its
// copy of the site complete.
async function openKept() {
    const page = await open();
    await prompt(page, 1);
    await page.waitFor(() => navigator.serviceWorker.controller !== null);
    return page;
}

const resumed = "Wznowiono przerwaną grę. Aby ją zakończyć, wpisz 0 w menu.";
const status = (page) => page.evaluate(() => document.getElementById("status").textContent);
const fresh = async () => `${(await view("quit")).split("Wpisz numer: ")[0]}Wpisz numer: `;
const stored = (page) => page.evaluate(() => Object.entries(localStorage));

// Plays the first `count` answers of a game, has the page leave in the way
// given, and checks that the console comes back as it stood, waiting at the
// next prompt; then plays the game to its ending. It gives the page that
// comes back.
async function comeBack(page, answers, count, leave) {
    await play(page, answers.slice(0, count));
    await prompt(page, count + 1);
    const before = await shown(page);
    const back = await leave(page);
    await prompt(back, count + 1);
    assert.deepEqual([await shown(back), await status(back)], [before, resumed], `after ${count} answers`);
    assert.equal(await back.evaluate(() => document.activeElement.id), "answer");
    // Quiet while the game came back, the log speaks again for what follows.
    await back.waitFor(() => !document.getElementById("log").hasAttribute("aria-live"));
    await play(back, answers.slice(count), { from: count });
    assert.deepEqual(await ending(back), over);
    return back;
}

const reload = async (page) => (await page.reload(), page);
async function reopen(page) {
    const again = await page.another();
    await page.close();
    return again;
}

test("a game at the menu or in a fight comes back whole after a reload or a closed page", async () => {
    const answers = await transcript("lost_fight");
    for (const [leave, count] of [
        [reload, 1],
        [reload, 3],
        [reopen, 1],
        [reopen, 3],
    ]) {
        const page = await comeBack(await open(), answers, count, leave);
        assert.equal(await shown(page), await view("lost_fight"));
        // The ended game is gone, and the next load is a fresh one.
        assert.deepEqual(await stored(page), []);
        await page.reload();
        await prompt(page, 1);
        assert.deepEqual([await shown(page), await status(page)], [await fresh(), ""]);
        noProblems(page, `${leave.name}, ${count} answers`);
    }
});

test("after one visit the site loads and plays to an ending with no network, a game coming back too", async () => {
    const page = await openKept();
    site.close();
    await comeBack(page, await transcript("lost_fight"), 3, reload);
    assert.equal(await shown(page), await view("lost_fight"));
    noProblems(page);
});

test("a kept game the page cannot read gives a fresh game", async () => {
    const page = await open();
    await play(page, ["1"]);
    await prompt(page, 2);
    const [[key, value]] = await stored(page);
    const game = JSON.parse(value);
    for (const unreadable of [
        value.slice(0, -1),
        "garbage",
        "null",
        JSON.stringify({ ...game, format: "another" }),
        JSON.stringify({ ...game, answers: "1" }),
        JSON.stringify({ ...game, answers: [1] }),
        JSON.stringify({ ...game, answers: ["1\n0"] }),
    ]) {
        await page.evaluate((key, value) => localStorage.setItem(key, value), key, unreadable);
        await page.reload();
        await prompt(page, 1);
        assert.deepEqual(
            [await shown(page), await status(page), await stored(page)],
            [await fresh(), "", []],
            unreadable,
        );
    }
    noProblems(page);
});

test("answers sent while a kept game loads go after its own", async () => {
    const answers = await transcript("lost_fight");
    const first = await open();
    await play(first, answers.slice(0, 2));
    await prompt(first, 3);
    const [game] = await stored(first);
    let release;
    const loading = await open({ held: new Promise((resolve) => (release = resolve)) });
    await loading.evaluate((key, value) => localStorage.setItem(key, value), ...game);
    const page = await reopen(loading);
    await page.waitFor(() => !document.getElementById("answer").disabled);
    for (const text of answers.slice(2)) {
        await answer(page, text);
    }
    release();
    assert.deepEqual(await ending(page), over);
    assert.equal(await shown(page), await view("lost_fight"));
    noProblems(page);
});

// The site rebuilt with a change to the page and to its module, each of which
// marks the page with the version it is. With `unchanged`, those files are
// still the old ones, as on a server that a new version is half uploaded to.
async function newVersion(unchanged = []) {
    const next = await mkdtemp(join(tmpdir(), "moon-survival-site-"));
    await cp(siteDir, next, { recursive: true });
    const change = async (name, from, to) =>
        writeFile(join(next, name), (await readFile(join(next, name), "utf8")).replace(from, to));
    await change("index.html", "<html ", '<html data-page="new" ');
    await change("console.js", /$/, 'document.documentElement.dataset.module = "new";\n');
    const web = fileURLToPath(new URL("../../web/", import.meta.url));
    const files = (await readdir(next, { recursive: true, withFileTypes: true }))
        .filter((entry) => entry.isFile())
        .map((entry) => relative(next, join(entry.path, entry.name)));
    execFileSync(cmake, [
        `-DSITE=${next}`,
        `-DFILES=${files.join(";")}`,
        `-DTEMPLATE=${web}service-worker.js.in`,
        `-DOUTPUT=${next}/service-worker.js`,
        "-P",
        `${web}service-worker.cmake`,
    ]);
    await Promise.all(unchanged.map((name) => cp(join(siteDir, name), join(next, name))));
    return next;
}

// Reloads the page and gives the version it loaded, which must be whole.
async function version(page) {
    await page.reload();
    await prompt(page, 1);
    const { page: html = "old", module = "old" } = await page.evaluate(() => ({
        ...document.documentElement.dataset,
    }));
    assert.equal(html, module, "a load mixed two versions of the site");
    return html;
}

// Has the browser look for a new version of the site now, and tells what
// became of it once downloaded: "installed" (and waiting to take over), or
// "redundant" when the download failed.
const update = (page) =>
    page.evaluate(async () => {
        const registration = await navigator.serviceWorker.getRegistration();
        await registration.update();
        const worker = registration.installing ?? registration.waiting;
        await new Promise((settled) => {
            const check = () => worker.state !== "installing" && settled();
            worker.addEventListener("statechange", check);
            check();
        });
        return worker.state;
    });

const copies = (page) => page.evaluate(() => caches.keys());

test("a new version half uploaded fails to download, and every load stays wholly the old", async () => {
    const half = await newVersion(["console.js"]);
    const page = await openKept();
    const old = await copies(page);
    site.serving.site = half;
    assert.equal(await version(page), "old");
    assert.equal(await update(page), "redundant");
    assert.deepEqual([await version(page), await copies(page)], ["old", old]);
    noProblems(page);
    await rm(half, { recursive: true });
});

// Has the page ask the new version to take over, as it does once it has
// loaded, `after` milliseconds from now.
const askAfter = (page, after) =>
    page.evaluate((after) => {
        const ask = async () => (await navigator.serviceWorker.getRegistration()).waiting.postMessage("take over");
        setTimeout(ask, after);
    }, after);

test("with two pages of the site open, a new version waits until only one is, even while one reloads", async () => {
    const next = await newVersion();
    const page = await openKept();
    const [old] = await copies(page);
    const other = await page.another();
    await prompt(other, 1);
    site.serving.site = next;
    assert.equal(await version(page), "old");
    assert.equal(await update(page), "installed");
    // The other page asks at a different moment of each reload of this one.
    for (let after = 0; after < 60; after += 5) {
        await askAfter(other, after);
        assert.equal(await version(page), "old");
    }
    assert.ok(await page.evaluate(async () => (await navigator.serviceWorker.getRegistration()).waiting !== null));
    await other.close();
    // Each load asks again, and the browser takes a moment to let go of a
    // closed page; every load is wholly one version or the other.
    const deadline = Date.now() + 10000;
    while ((await version(page)) === "old") {
        assert.ok(Date.now() < deadline, "the new version did not take over once one page was left");
    }
    assert.ok(!(await copies(page)).includes(old));
    noProblems(page);
    await rm(next, { recursive: true });
});

test("a new version is taken up by the next load once it has downloaded, never mixed with the old", async () => {
    const next = await newVersion();
    const page = await openKept();
    const [oldCopy, ...others] = await copies(page);
    assert.deepEqual(others, []);
    site.serving.site = next;
    const first = await version(page);
    // The new copy is complete and has taken over, and the old one is gone.
    await page.waitFor(async (old) => {
        const copies = await caches.keys();
        return copies.length === 1 && copies[0] !== old;
    }, oldCopy);
    assert.deepEqual([first, await version(page)], ["old", "new"]);
    noProblems(page);
    await rm(next, { recursive: true });
});

test("Chromium finds the site installable", { skip: engine !== "chrome" }, async () => {
    const page = await open({ viewport: { incognito: false } });
    await prompt(page, 1);
    const devtools = await page.page.createCDPSession();
    assert.deepEqual((await devtools.send("Page.getInstallabilityErrors")).installabilityErrors, []);
    noProblems(page);
});

test("the page's policy refuses inline script", async () => {
    const page = await open();
    await prompt(page, 1);
    const blocked = await page.evaluate(async () => {
        const violation = new Promise((resolve) =>
            document.addEventListener("securitypolicyviolation", (event) => resolve(event.effectiveDirective)),
        );
        const script = document.createElement("script");
        script.textContent = "window.inlineScriptRan = true;";
        document.body.append(script);
        return { ran: window.inlineScriptRan === true, directive: await violation };
    });
    assert.deepEqual(blocked, { ran: false, directive: "script-src-elem" });
});

test("a page that cannot load its game or its script says so in words", async () => {
    for (const [missing, words] of [
        ["/moon-survival.wasm", "Błąd strony: nie udało się pobrać gry (HTTP 404)"],
        ["/console.js", "Błąd strony: nie udało się wczytać ORIGIN/console.js"],
    ]) {
        const page = await open({ missing });
        await page.waitFor(() => document.getElementById("status").textContent.startsWith("Błąd"));
        const shown = await page.evaluate(() => ({
            status: document.getElementById("status").textContent,
            fieldDisabled: document.getElementById("answer").disabled,
        }));
        assert.deepEqual(shown, { status: words.replace("ORIGIN", site.origin), fieldDisabled: true }, missing);
    }
});
