// Plays the site in a real browser as a person would: each answer is typed
// into the field once its prompt is on screen. Each game's whole console, the
// role="log" text, must equal the terminal view in views/, and, where the
// driver can see them, no page may have an error, a failed request or a
// request to another origin. The same scenarios drive every engine. Given
// NGINX, the site is served by it, in a sub-folder, as a real host would
// serve it, for the scenarios that need nothing held back or missing.
//
//   node browser_test.mjs chrome|firefox|webkit BROWSER_EXECUTABLE SITE_DIR STAGE_DIR NODE_MODULES \
//       CMAKE LAY_OUT_SCRIPT [NGINX]
import assert from "node:assert/strict";
import { execFileSync } from "node:child_process";
import { cp, mkdtemp, readFile, rm, writeFile } from "node:fs/promises";
import { tmpdir } from "node:os";
import { join } from "node:path";
import { fileURLToPath } from "node:url";
import { after, before, test } from "node:test";
import { launch } from "./browsers.mjs";
import { serveNginx, serveSite } from "./site_server.mjs";

const [engine, executable, siteDir, stageDir, nodeModules, cmake, layOut, nginx] = process.argv.slice(2);
const views = new URL("views/", import.meta.url);
const readLines = async (url) => (await readFile(url, "utf8")).split("\n").slice(0, -1);
const transcript = (name) => readLines(new URL(`transcripts/${name}.in`, import.meta.url));
const view = (name) => readFile(new URL(`${name}.view`, views), "utf8");

let browser;
let site = null;

before(async () => {
    browser = await launch(engine, executable, nodeModules);
});

// The folders that scenarios made, gone once they have all run.
const made = [];
const folder = async () => made[made.push(await mkdtemp(join(tmpdir(), "moon-survival-site-"))) - 1];

after(async () => {
    await browser?.close();
    site?.close();
    await Promise.all(made.map((path) => rm(path, { recursive: true })));
});

// A fresh page of the site, from a server of its own: a new origin, which no
// worker or copy of the site from an earlier scenario can serve.
async function open({ viewport, held = null, missing = null, ahead = null, served = siteDir, using = browser } = {}) {
    site?.close();
    site = nginx ? await serveNginx(served, nginx) : await serveSite(served);
    Object.assign(site.serving, { held, missing, ahead });
    return using.open(site.url, viewport);
}

function noProblems(page, name, allowed = null) {
    if (page.problems !== null) {
        assert.deepEqual(
            page.problems.filter((problem) => !allowed?.test(problem)),
            [],
            name,
        );
    }
}

// A browser may leave a page that a new version takes over while it loads to
// the network for its files, where only the new version's are (Firefox often,
// Chromium rarely); the page then loads again, wholly the new version, and
// what it was still asking for is cut short, as it is for a page reloaded
// while it loads: its scripts, style sheet and module, or its icons. (Whether
// every load is styled, `loaded` checks.)
const takenOverWhileLoading = new RegExp(
    "^(HTTP 404: \\S+\\.[0-9a-f]{16}\\.\\w+|failed: \\S+(\\.[0-9a-f]{16}\\.\\w+|/vendor/\\S+|/icon\\.svg|/apple-touch-icon\\.png|/manifest\\.webmanifest)|" +
        "console: Failed to load resource: .* 404 \\(Not Found\\))$",
);

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

// The monospace fonts that players' systems may have as their own, each of
// which the layout must hold in; WebKit here keeps the system's.
const fonts = engine === "webkit" ? [null] : ["DejaVu Sans Mono", "Noto Sans Mono", "Liberation Mono"];

test("on any width from 320 pixels, in any monospace font, the text is readable, wraps, and nothing is cut, covered or scrolled", async () => {
    for (const font of fonts) {
        const using = font ? await launch(engine, executable, nodeModules, { font }) : browser;
        try {
            await layOutIn(using, font ?? "the system's font");
        } finally {
            if (font) {
                await using.close();
            }
        }
    }
});

async function layOutIn(using, font) {
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
        const page = await open({ viewport: { width, height }, using });
        for (const [at, answers, field] of [
            ["menu", [], "after the prompt"],
            ["fight", firstFight, "below the prompt"],
        ]) {
            await play(page, answers);
            await prompt(page, answers.length + 1);
            const found = await page.evaluate(layout);
            const where = `${font}, ${width} pixels, ${at} prompt: ${JSON.stringify(found)}`;
            assert.ok(found.textSize >= 14 && found.fieldTextSize >= 16 && found.ring >= 3, where);
            assert.deepEqual([found.separatorRows, found.separatorsWhole], [[1], separatorsWhole], where);
            assert.deepEqual(
                [found.cut, found.covered, found.sideways, found.fieldInView],
                [[], [], false, true],
                where,
            );
            assert.equal(await fieldPlace(page), field, where);
        }
        noProblems(page, `${font}, ${width} pixels`);
    }
}

// A fresh page of the site, once the site's worker has taken it over, its
// copy of the site complete.
async function openKept() {
    const page = await open();
    await prompt(page, 1);
    await page.waitFor(() => navigator.serviceWorker.controller !== null);
    return page;
}

const resumed = "Wznowiono przerwaną grę. Aby ją zakończyć, wpisz 0 w menu.";
const notCarried = "Przerwanej gry nie udało się przenieść do tej wersji, więc zaczyna się nowa gra.";
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
    // The worker serves the page with the security headers that the host
    // sent, nginx's policy among them, and with none where it sent none.
    const [policy, sniffing] = await page.evaluate(async () => {
        const { headers } = await fetch(location.href);
        return [headers.get("content-security-policy"), headers.get("x-content-type-options")];
    });
    assert.ok(nginx ? policy.endsWith("frame-ancestors 'none'") && sniffing === "nosniff" : policy === sniffing, policy);
    noProblems(page);
});

test("a kept game the page cannot read, or that plays another game, gives a fresh game; one kept unchecked comes back", async () => {
    const page = await open();
    await play(page, ["1"]);
    await prompt(page, 2);
    const played = await shown(page);
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
        JSON.stringify({ ...game, checked: 2 }),
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
    const unchecked = JSON.stringify({ format: "moon-survival answers 1", answers: game.answers });
    for (const [kept, shows, keeps] of [
        [JSON.stringify({ ...game, digest: "0123456789abcdef" }), [await fresh(), notCarried], []],
        [unchecked, [played, resumed], [[key, value]]],
    ]) {
        await page.evaluate((key, value) => localStorage.setItem(key, value), key, kept);
        await page.reload();
        await prompt(page, 1 + keeps.length);
        assert.deepEqual([await shown(page), await status(page), await stored(page)], [...shows, keeps], kept);
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
    // A screen reader is not to hear the game that comes back as new text.
    assert.equal(await page.evaluate(() => document.getElementById("log").getAttribute("aria-live")), "off");
    for (const text of answers.slice(2)) {
        await answer(page, text);
    }
    release();
    assert.deepEqual(await ending(page), over);
    assert.equal(await shown(page), await view("lost_fight"));
    noProblems(page);
});

test("each folder of a site keeps its own game, and a failed write keeps none", async () => {
    const page = await open();
    await play(page, ["1"]);
    await prompt(page, 2);
    const elsewhere = await page.another("elsewhere/");
    await prompt(elsewhere, 1);
    assert.deepEqual([await shown(elsewhere), (await stored(elsewhere)).length], [await fresh(), 1]);
    // Each folder's worker keeps a copy of its own, and leaves the other's.
    await page.waitFor(() => navigator.serviceWorker.controller !== null);
    await elsewhere.waitFor(() => navigator.serviceWorker.controller?.scriptURL.includes("/elsewhere/"));
    assert.equal((await copies(page)).length, 2);
    // Full storage: the game plays on, and the older game kept cannot come back.
    await page.evaluate(() => {
        Storage.prototype.setItem = () => {
            throw new DOMException("full", "QuotaExceededError");
        };
    });
    await play(page, ["1"], { from: 1 });
    await prompt(page, 3);
    assert.deepEqual(await stored(page), []);
    await page.reload();
    await prompt(page, 1);
    assert.deepEqual([await shown(page), await status(page)], [await fresh(), ""]);
    noProblems(page);
});

test("nothing about keeping the site offline, or any failure, stops a game that runs, even a worker that cannot be", async () => {
    let release;
    const page = await open({ held: new Promise((resolve) => (release = resolve)) });
    await page.waitFor(() => !document.getElementById("answer").disabled);
    await page.evaluate(() => {
        Object.defineProperty(Navigator.prototype, "serviceWorker", {
            get() {
                throw new DOMException("no workers here", "SecurityError");
            },
        });
    });
    release();
    await prompt(page, 1);
    // Nor does anything else that fails in the page once the game runs.
    await page.evaluate(() => {
        setTimeout(() => {
            throw new Error("after the start");
        });
        Promise.reject(new Error("after the start"));
    });
    await play(page, ["0"]);
    assert.deepEqual(await ending(page), over);
    noProblems(page, undefined, /after the start/);
});

// The site rebuilt as the version `name`, with a change to the page and to its
// module, each of which marks the page with that name; a `broken` version's
// module fails as it loads, before it marks anything. A version that `plays`
// differently has one byte of the game's text changed: resting costs "3%".
// With `unchanged`, those files are still the old ones, as on a server that
// a new version is half uploaded to. A `worker` template other than the
// site's own may keep it.
async function newVersion(name, { broken = false, plays = false, unchanged = [], worker } = {}) {
    const [stage, next] = [await folder(), await folder()];
    await cp(stageDir, stage, { recursive: true });
    const change = async (file, edit) => writeFile(join(stage, file), edit(await readFile(join(stage, file), "utf8")));
    if (plays) {
        const game = await readFile(join(stage, "moon-survival.wasm"));
        const rest = " odpoczywa. Zuzycie 2%";
        game[game.indexOf(rest) + rest.length - 2] = "3".charCodeAt(0);
        await writeFile(join(stage, "moon-survival.wasm"), game);
    }
    await change("index.html", (html) => html.replace("<html ", `<html data-page="${name}" `));
    await change("console.js", (module) =>
        broken ? `throw new Error("${name}");\n${module}` : `${module}document.documentElement.dataset.module = "${name}";\n`,
    );
    const template = worker ? [`-DTEMPLATE=${fileURLToPath(new URL(worker, import.meta.url))}`] : [];
    execFileSync(cmake, [`-DSTAGE=${stage}`, `-DSITE=${next}`, ...template, "-P", layOut]);
    await Promise.all(unchanged.map((file) => cp(join(siteDir, file), join(next, file))));
    return next;
}

// The version that the page has loaded, which must be whole: a broken one
// shows its failure in words instead of the game.
async function loaded(page) {
    await page.waitFor(
        () =>
            window.stale === undefined &&
            (/Wpisz numer: \n?$/.test(document.getElementById("log").textContent) ||
                document.getElementById("status").textContent.startsWith("Błąd strony")),
    );
    const { page: html = "old", module = "old", failed, styled } = await page.evaluate(() => ({
        ...document.documentElement.dataset,
        failed: document.getElementById("status").textContent.startsWith("Błąd strony"),
        styled: getComputedStyle(document.querySelector("h1")).position === "absolute",
    }));
    assert.ok(failed ? html === "broken" : html === module && styled, `a load mixed or failed: ${html}, ${module}`);
    return html;
}

// Reloads the page and gives the version it loaded.
async function version(page) {
    await page.evaluate(() => (window.stale = true));
    await page.reload();
    return loaded(page);
}

// Reloads the page until it loads the version `name`, each load wholly one
// version, and gives the versions loaded on the way. As a player would, it
// lets each load look for a new version before the next: a page reloaded
// the moment its prompt shows may never get so far in WebKit.
async function reloadUntil(page, name) {
    const seen = [];
    const deadline = Date.now() + 10000;
    while (seen.at(-1) !== name) {
        assert.ok(Date.now() < deadline, `${name} did not arrive; loaded ${seen}`);
        seen.push(await version(page));
        await new Promise((settle) => setTimeout(settle, 250));
    }
    return [...new Set(seen)];
}

// Has the browser look for a new version of the site now, and tells what
// became of it once downloaded: "activated", as it takes over at once,
// "redundant" when the download failed, or "none" when none came.
const update = (page) =>
    page.evaluate(async () => {
        const registration = await navigator.serviceWorker.getRegistration();
        const before = registration.active;
        await registration.update();
        const active = registration.active === before ? null : registration.active;
        const worker = registration.installing ?? registration.waiting ?? active;
        if (worker === null) {
            return "none";
        }
        await new Promise((settled) => {
            const check = () => ["activated", "redundant"].includes(worker.state) && settled();
            worker.addEventListener("statechange", check);
            check();
        });
        return worker.state;
    });

const copies = (page) => page.evaluate(() => caches.keys());

test("a new version half uploaded fails to download, and every load stays wholly the old", async () => {
    const half = await newVersion("new", { unchanged: ["index.html"] });
    const page = await openKept();
    const old = await copies(page);
    site.serving.site = half;
    assert.equal(await version(page), "old");
    assert.equal(await update(page), "redundant");
    assert.deepEqual([await version(page), await copies(page)], ["old", old]);
    noProblems(page);
});

test("with two pages of the site open, each new version takes over at once, every load wholly one", async () => {
    const versions = await Promise.all(["v2", "v3", "v4"].map((name) => newVersion(name)));
    const page = await openKept();
    const other = await page.another();
    await prompt(other, 1);
    let [current] = await copies(page);
    const names = ["old", "v2", "v3", "v4"];
    // The other page reloads at a different moment of each update.
    for (const [index, next] of versions.entries()) {
        site.serving.site = next;
        await other.evaluate((after) => {
            window.stale = true;
            setTimeout(() => location.reload(), after);
        }, index * 20);
        assert.equal(await update(page), "activated");
        assert.ok(names.slice(index, index + 2).includes(await loaded(other)));
        // The first page, served by the first copy and not since reloaded,
        // still gets its own files, which the server no longer has.
        if (index === 0) {
            const own = () => fetch(document.querySelector("script[type=module]").src).then(({ status }) => status);
            assert.equal(await page.evaluate(own), 200);
        }
        // The copy before stays for pages that it served; older ones go.
        await page.waitFor(async (current) => {
            const kept = await caches.keys();
            return kept.length === 2 && kept.includes(current);
        }, current);
        current = (await copies(page)).find((copy) => copy !== current);
    }
    assert.deepEqual([await version(page), await version(other)], ["v4", "v4"]);
    noProblems(page, undefined, takenOverWhileLoading);
    noProblems(other, "the other page", takenOverWhileLoading);
});

test("a new version is taken up by the next load or the one after, never mixed with the old; a game it plays differently is not resumed", async () => {
    const next = await newVersion("new", { plays: true });
    const page = await openKept();
    await play(page, ["2"]);
    await prompt(page, 2);
    site.serving.site = next;
    assert.deepEqual(await reloadUntil(page, "new"), ["old", "new"]);
    await prompt(page, 1);
    assert.deepEqual([await shown(page), await status(page), await stored(page)], [await fresh(), notCarried, []]);
    noProblems(page, undefined, takenOverWhileLoading);
});

test("a broken release is replaced by the next good one on a reload", async () => {
    const [broken, good] = await Promise.all([newVersion("broken", { broken: true }), newVersion("good")]);
    const page = await openKept();
    site.serving.site = broken;
    assert.deepEqual(await reloadUntil(page, "broken"), ["old", "broken"]);
    site.serving.site = good;
    assert.deepEqual(await reloadUntil(page, "good"), ["broken", "good"]);
});

test("a page under the worker that waited to be asked moves to the new version on its next loads, its game kept", async () => {
    const [earlier, next] = await Promise.all([
        newVersion("before", { worker: "handover-worker.js.in" }),
        newVersion("new"),
    ]);
    const page = await open({ served: earlier });
    await prompt(page, 1);
    await page.waitFor(() => navigator.serviceWorker.controller !== null);
    await play(page, ["1"]);
    await prompt(page, 2);
    const game = await shown(page);
    site.serving.site = next;
    assert.deepEqual(await reloadUntil(page, "new"), ["before", "new"]);
    await prompt(page, 2);
    assert.deepEqual([await shown(page), await status(page)], [game, resumed]);
    noProblems(page, undefined, takenOverWhileLoading);
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
        [/\.wasm$/, /^Błąd strony: nie udało się pobrać gry \(HTTP 404\)$/],
        [/^\/console\./, /^Błąd strony: nie udało się wczytać http:\S+\/console\.[0-9a-f]{16}\.js$/],
    ]) {
        const page = await open({ missing });
        await page.waitFor(() => document.getElementById("status").textContent.startsWith("Błąd"));
        const shown = await page.evaluate(() => ({
            status: document.getElementById("status").textContent,
            fieldDisabled: document.getElementById("answer").disabled,
        }));
        assert.match(shown.status, words);
        assert.ok(shown.fieldDisabled, missing);
    }
});

test("a script or style sheet that the worker's own copy holds wrongly is reported, not loaded again and again", async () => {
    for (const [file, name] of [
        ["script[type=module]", /console\.[0-9a-f]{16}\.js/],
        ["link[rel=stylesheet]", /style\.[0-9a-f]{16}\.css/],
    ]) {
        const page = await openKept();
        await page.evaluate(async (file) => {
            const { src, href } = document.querySelector(file);
            const url = src ?? href;
            for (const name of await caches.keys()) {
                const cache = await caches.open(name);
                const body = await (await cache.match(url))?.text();
                await cache.put(url, new Response(body, { headers: { "content-type": "text/plain" } }));
            }
        }, file);
        await page.reload();
        await page.waitFor(() => document.getElementById("status").textContent.startsWith("Błąd strony"));
        assert.match(await status(page), new RegExp(`^Błąd strony: nie udało się wczytać \\S+/${name.source}$`));
    }
});

test("a browser older than the page, or with WebAssembly switched off, is told so in one sentence, never a script error", async () => {
    const older = "Ta gra potrzebuje nowszej przeglądarki: Safari 16, Chrome 105, Firefox 110 albo nowszej.";
    const switchedOff =
        "Ta gra potrzebuje WebAssembly, które ta przeglądarka ma wyłączone, zwykle przez tryb blokady " +
        "(Lockdown Mode) na iPhonie, iPadzie lub Macu: można z niego wyłączyć tę stronę.";
    for (const [missing, sentence] of [
        ["delete HTMLScriptElement.prototype.noModule;", older],
        ["delete Object.hasOwn;", older],
        ["CSS.supports = () => false;", older],
        ["delete window.WebAssembly; delete Object.hasOwn;", older],
        ["delete window.WebAssembly;", switchedOff],
    ]) {
        const page = await open({ ahead: missing });
        await page.waitFor(() => document.getElementById("status").textContent !== "Wczytywanie gry…");
        await new Promise((settle) => setTimeout(settle, 200));
        const shown = await page.evaluate(() => [
            document.getElementById("status").textContent,
            document.getElementById("answer").disabled,
            document.getElementById("log").textContent,
        ]);
        assert.deepEqual(shown, [sentence, true, ""], missing);
        noProblems(page, missing);
    }
});
