// Measures the browser version, built by `cmake --workflow --preset web`:
// what the site weighs gzipped, how long headless Chromium takes from
// navigation to the first prompt on a first visit, the page's own time from
// Enter to the next prompt over a 1,000-answer game in Chromium and Firefox,
// how long a kept game of 100 or 1,000 answers takes to come back, to its
// prompt, on a load served by the site's worker, and Enter to prompt after
// that, and the first prompt again on a repeat visit served by the worker,
// and with no network; last, served by nginx with the site's own
// configuration, what a first visit transfers and its first prompt.
//
//   node bench/web.mjs [CHROMIUM [FIREFOX [NGINX]]]
import { readdir, readFile } from "node:fs/promises";
import { createRequire } from "node:module";
import { join } from "node:path";
import { fileURLToPath } from "node:url";
import { gzipSync } from "node:zlib";
import { serveNginx, serveSite } from "../tests/web/site_server.mjs";

const build = fileURLToPath(new URL("../build/web/", import.meta.url));
const site = join(build, "site");
const puppeteer = createRequire(join(build, "npm/node_modules/"))("puppeteer-core");
const [chromium = "/usr/bin/chromium", firefox = "/usr/bin/firefox-esr", nginxPath = "/usr/sbin/nginx"] =
    process.argv.slice(2);
const median = (values) => values.sort((a, b) => a - b)[Math.floor(values.length / 2)];
const kib = (bytes) => `${(bytes / 1024).toFixed(1)} KiB`;

// Everything but the icons is what a first visit downloads: the page and what
// it loads, then the worker's copy of the site, licenses.txt with it.
const files = (await readdir(site, { recursive: true, withFileTypes: true })).filter((entry) =>
    entry.isFile(),
);
let played = 0;
let icons = 0;
for (const file of files) {
    const gzipped = gzipSync(await readFile(join(file.path, file.name)), { level: 9 }).length;
    if (file.name.endsWith(".png")) {
        icons += gzipped;
    } else {
        played += gzipped;
    }
}
console.log(`site, gzipped:        ${kib(played)} to play, and ${kib(icons)} of icons to install`);

const server = await serveSite(site);
const loads = 21;
const launch = (browser, executablePath) =>
    puppeteer.launch({
        browser,
        executablePath,
        args: browser === "chrome" && process.getuid() === 0 ? ["--no-sandbox"] : [],
    });

// Marks in the page the moment each prompt is in the log and laid out, and
// the moment each Enter goes down.
function watch() {
    window.benchmark = { prompts: [], enters: [] };
    addEventListener(
        "keydown",
        (event) => event.key === "Enter" && window.benchmark.enters.push(performance.now()),
        true,
    );
    addEventListener("DOMContentLoaded", () => {
        const field = document.getElementById("prompt");
        new MutationObserver(() => {
            let last = field.previousSibling;
            while (last?.lastChild) {
                last = last.lastChild;
            }
            if (/Wpisz numer: \n?$/.test(last?.textContent ?? "")) {
                field.getBoundingClientRect();
                window.benchmark.prompts.push(performance.now());
            }
        }).observe(document.getElementById("log"), { childList: true, subtree: true });
    });
}

const firstPrompt = (page) =>
    page.waitForFunction(() => window.benchmark.prompts[0]).then((time) => time.jsonValue());
const byWorker = (page) => page.waitForFunction(() => navigator.serviceWorker.controller !== null);

async function open(browser, url = server.url) {
    const page = await (await browser.createBrowserContext()).newPage();
    await page.evaluateOnNewDocument(watch);
    await page.goto(url);
    await firstPrompt(page);
    return page;
}

// Answers status screens at the page's prompts, and tells the page's own
// time from each Enter to the next prompt on screen, and the game that the
// page kept after each count of answers in `keeping`.
async function enterToPrompt(page, answers, keeping = []) {
    const kept = new Map();
    for (let count = 1; count <= answers; count++) {
        await page.type("#answer", "1");
        await page.keyboard.press("Enter");
        await page.waitForFunction((count) => window.benchmark.prompts.length > count, {}, count);
        if (keeping.includes(count)) {
            kept.set(count, await page.evaluate(() => Object.entries(localStorage)[0]));
        }
    }
    const { prompts, enters } = await page.evaluate(() => window.benchmark);
    const delays = enters.map((enter, index) => prompts[index + 1] - enter);
    return { delays: `${median(delays).toFixed(2)} ms median, ${Math.max(...delays).toFixed(2)} ms at most`, kept };
}

// Loads the page again and again, served by the worker, and gives the median
// time from navigation to its first prompt on screen: with a game kept, the
// prompt it waits at once it has come back.
async function reloads(page) {
    const times = [];
    for (let run = 0; run < loads; run++) {
        await page.reload();
        times.push(await firstPrompt(page));
    }
    return `${median(times).toFixed(1)} ms`;
}

// A new game of 1,000 answers, then the same game coming back on each load
// once it has 100 answers and once it has 1,000.
async function play(browser, name) {
    const page = await open(browser);
    await byWorker(page);
    const { delays, kept } = await enterToPrompt(page, 1000, [100, 1000]);
    console.log(`Enter to next prompt: ${delays} (${name}, 1000 status screens)`);
    // The game as kept after its first 100 answers, and then whole again.
    const times = [];
    for (const answers of [100, 1000]) {
        await page.evaluate((key, value) => localStorage.setItem(key, value), ...kept.get(answers));
        times.push(await reloads(page));
        const status = await page.$eval("#status", (line) => line.textContent);
        if (!status.startsWith("Wznowiono")) {
            throw new Error(`the game of ${answers} answers did not come back: ${status}`);
        }
    }
    console.log(
        `game back at prompt:  ${times.join(" for 100 answers, ")} for 1000 ` +
            `(${name}, by the worker, median of ${loads})`,
    );
    const after = (await enterToPrompt(page, 100)).delays;
    console.log(`Enter to next prompt: ${after} (${name}, 100 more once the game of 1000 is back)`);
}

// First visits, each in a fresh profile; the first one's bytes, the
// worker's copy of the site included, once the worker has taken the page.
async function firstVisits(browser, served) {
    const times = [];
    let sent;
    for (let run = 0; run < loads; run++) {
        const before = await served.transferred?.();
        const page = await open(browser, served.url);
        times.push(await firstPrompt(page));
        if (run === 0 && served.transferred) {
            await byWorker(page);
            sent = (await served.transferred()) - before;
        }
        await page.browserContext().close();
    }
    return { time: `${median(times).toFixed(1)} ms`, sent };
}

const chrome = await launch("chrome", chromium);
console.log(`navigation to prompt: ${(await firstVisits(chrome, server)).time} (median of ${loads} first visits)`);

await play(chrome, "Chromium");
const fox = await launch("firefox", firefox);
await play(fox, "Firefox");
await fox.close();

// Visits once the worker holds the site, then the same with the server gone.
const page = await open(chrome);
await byWorker(page);
for (const visit of ["repeat visit", "offline"]) {
    if (visit === "offline") {
        server.close();
    }
    console.log(`navigation to prompt: ${await reloads(page)} (${visit}, by the worker, median of ${loads})`);
}

const nginx = await serveNginx(site, nginxPath);
const { time, sent } = await firstVisits(chrome, nginx);
console.log(`first visit by nginx: ${kib(sent)} transferred, worker's copy included; prompt at ${time} (median of ${loads})`);
nginx.close();
await chrome.close();
