// Plays the site in a real browser, headless, as a person would: each answer is
// typed into the field once its prompt is on screen. Each game's whole console,
// the role="log" text, must equal the terminal view in views/, and no page may
// have an error, a failed request or a request to another origin.
//
//   node browser_test.mjs chrome|firefox BROWSER_EXECUTABLE SITE_DIR NODE_MODULES
import assert from "node:assert/strict";
import { readFile } from "node:fs/promises";
import { createRequire } from "node:module";
import { join, resolve } from "node:path";
import { after, before, test } from "node:test";
import { serveSite } from "./site_server.mjs";

const [browserName, executablePath, siteDir, nodeModules] = process.argv.slice(2);
const puppeteer = createRequire(join(resolve(nodeModules), "/"))("puppeteer-core");
const views = new URL("views/", import.meta.url);
const readLines = async (url) => (await readFile(url, "utf8")).split("\n").slice(0, -1);
const transcript = (name) => readLines(new URL(`transcripts/${name}.in`, import.meta.url));
const view = (name) => readFile(new URL(`${name}.view`, views), "utf8");

let site;
let browser;
let context;

before(async () => {
    site = await serveSite(siteDir);
    browser = await puppeteer.launch({
        browser: browserName,
        executablePath,
        args: browserName === "chrome" && process.getuid() === 0 ? ["--no-sandbox"] : [],
    });
});

after(async () => {
    await browser?.close();
    site.close();
});

// A fresh page of the site, with every problem it meets noted in `problems`.
async function open({ viewport = { width: 800, height: 600 }, held = null, missing = null } = {}) {
    Object.assign(site.serving, { held, missing });
    await context?.close();
    context = await browser.createBrowserContext();
    const page = await context.newPage();
    page.setDefaultTimeout(10000);
    const problems = [];
    page.on("pageerror", (error) => problems.push(`page error: ${error.message}`));
    page.on("console", (message) => {
        if (message.type() === "error" || message.type() === "warn") {
            problems.push(`console: ${message.text()}`);
        }
    });
    page.on("request", (request) => {
        if (new URL(request.url()).origin !== site.origin) {
            problems.push(`request to another origin: ${request.url()}`);
        }
    });
    page.on("requestfailed", (request) => problems.push(`failed: ${request.url()}`));
    page.on("response", (response) => {
        if (response.status() >= 400) {
            problems.push(`HTTP ${response.status()}: ${response.url()}`);
        }
    });
    await page.setViewport(viewport);
    await page.goto(site.origin);
    return { page, problems };
}

const shown = (page) => page.$eval("#log", (log) => log.textContent);

// Waits until the game has shown its `count`th prompt and waits at it.
function prompt(page, count) {
    return page.waitForFunction(
        (count) => {
            const text = document.getElementById("log").textContent;
            return text.split("Wpisz numer: ").length > count && /Wpisz numer: \n?$/.test(text);
        },
        {},
        count,
    );
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
    await page.type("#answer", text);
    await (button ? page.click("#send") : page.keyboard.press("Enter"));
}

async function play(page, answers, options) {
    for (const [index, text] of answers.entries()) {
        await prompt(page, index + 1);
        await answer(page, text, options);
    }
}

// What the page shows once the game is over.
async function ending(page) {
    await page.waitForSelector("#again:not([hidden])");
    return page.evaluate(() => ({
        status: document.getElementById("status").textContent,
        fieldDisabled: document.getElementById("answer").disabled,
        focus: document.activeElement.id,
    }));
}
const over = { status: "Gra zakończona.", fieldDisabled: true, focus: "again" };

test("each ending plays as the module does, a word and wrong numbers in a fight too", async () => {
    for (const name of ["quit", "lost_fight", "won_ship"]) {
        const { page, problems } = await open();
        await play(page, name === "quit" ? ["0"] : await transcript(name));
        assert.deepEqual(await ending(page), over, name);
        assert.equal(await shown(page), await view(name), name);
        assert.deepEqual(problems, [], name);
    }
});

test("answers sent while the game loads are kept, in order, and echoed at once", async () => {
    let release;
    const { page, problems } = await open({ held: new Promise((resolve) => (release = resolve)) });
    await page.waitForSelector("#answer:not([disabled])");
    for (const text of ["1", "2", "0"]) {
        await answer(page, text);
    }
    assert.equal(await shown(page), "1\n2\n0\n");
    release();
    assert.deepEqual(await ending(page), over);
    assert.equal(await shown(page), await view("typed_ahead"));
    assert.deepEqual(problems, []);
});

test("the field follows the open prompt; an empty Enter echoes an empty line and the game waits on", async () => {
    const { page, problems } = await open();
    await prompt(page, 1);
    const menu = await shown(page);
    assert.equal(await fieldPlace(page), "after the prompt");
    await page.keyboard.press("Enter");
    await new Promise((wait) => setTimeout(wait, 100));
    assert.equal(await shown(page), `${menu}\n`);
    assert.equal(await fieldPlace(page), "below the prompt");
    assert.equal(await page.evaluate(() => document.activeElement.id), "answer");
    await answer(page, "0");
    assert.deepEqual(await ending(page), over);
    assert.equal(await shown(page), await view("empty_enter"));
    assert.deepEqual(problems, []);
});

test("play again, by keyboard, starts a fresh game; the send button sends and keeps focus in the field", async () => {
    const { page, problems } = await open();
    await play(page, ["0"]);
    await ending(page);
    await page.keyboard.press("Enter");
    await prompt(page, 1);
    assert.equal(await page.evaluate(() => document.activeElement.id), "answer");
    await answer(page, "", { button: true });
    assert.equal(await page.evaluate(() => document.activeElement.id), "answer");
    await answer(page, "0", { button: true });
    assert.deepEqual(await ending(page), over);
    assert.equal(await shown(page), await view("empty_enter"));
    assert.deepEqual(problems, []);
});

test("on a phone 360 pixels wide the separator fits on one line, with no sideways scroll", async () => {
    const { page, problems } = await open({ viewport: { width: 360, height: 740 } });
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
    assert.deepEqual(problems, []);
});

test("the page's policy refuses inline script", async () => {
    const { page } = await open();
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
        ["/console.js", `Błąd strony: nie udało się wczytać ${site.origin}/console.js`],
    ]) {
        const { page } = await open({ missing });
        await page.waitForFunction(() => document.getElementById("status").textContent.startsWith("Błąd"));
        const shown = await page.evaluate(() => ({
            status: document.getElementById("status").textContent,
            fieldDisabled: document.getElementById("answer").disabled,
        }));
        assert.deepEqual(shown, { status: words, fieldDisabled: true }, missing);
    }
});
