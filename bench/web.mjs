// Measures the browser version, built by `cmake --workflow --preset web`:
// what the site weighs gzipped, how long headless Chromium takes from
// navigation to the first prompt, and the page's own time from Enter to the
// next prompt over a 1,000-answer game.
//
//   node bench/web.mjs [CHROMIUM]
import { readdir, readFile } from "node:fs/promises";
import { createRequire } from "node:module";
import { join } from "node:path";
import { fileURLToPath } from "node:url";
import { gzipSync } from "node:zlib";
import { serveSite } from "../tests/web/site_server.mjs";

const build = fileURLToPath(new URL("../build/web/", import.meta.url));
const site = join(build, "site");
const puppeteer = createRequire(join(build, "npm/node_modules/"))("puppeteer-core");
const executablePath = process.argv[2] ?? "/usr/bin/chromium";
const median = (values) => values.sort((a, b) => a - b)[Math.floor(values.length / 2)];
const kib = (bytes) => `${(bytes / 1024).toFixed(1)} KiB`;

const files = (await readdir(site, { recursive: true, withFileTypes: true })).filter((entry) =>
    entry.isFile(),
);
let all = 0;
let played = 0;
for (const file of files) {
    const gzipped = gzipSync(await readFile(join(file.path, file.name)), { level: 9 }).length;
    all += gzipped;
    played += file.name === "licenses.txt" ? 0 : gzipped;
}
console.log(`site, gzipped:        ${kib(played)} to play, ${kib(all)} with licenses.txt`);

const server = await serveSite(site);
const browser = await puppeteer.launch({
    browser: "chrome",
    executablePath,
    args: process.getuid() === 0 ? ["--no-sandbox"] : [],
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

async function open() {
    const page = await (await browser.createBrowserContext()).newPage();
    await page.evaluateOnNewDocument(watch);
    await page.goto(server.origin);
    await page.waitForFunction(() => window.benchmark.prompts.length > 0);
    return page;
}

const firstPrompt = [];
for (let run = 0; run < 21; run++) {
    const page = await open();
    firstPrompt.push(await page.evaluate(() => window.benchmark.prompts[0]));
    await page.browserContext().close();
}
console.log(`navigation to prompt: ${median(firstPrompt).toFixed(1)} ms (median of 21 cold loads)`);

const page = await open();
const answers = 1000;
for (let count = 1; count <= answers; count++) {
    await page.type("#answer", "1");
    await page.keyboard.press("Enter");
    await page.waitForFunction((count) => window.benchmark.prompts.length > count, {}, count);
}
const { prompts, enters } = await page.evaluate(() => window.benchmark);
const delays = enters.map((enter, index) => prompts[index + 1] - enter);
console.log(
    `Enter to next prompt: ${median(delays).toFixed(2)} ms median, ` +
        `${Math.max(...delays).toFixed(2)} ms at most (${answers} status screens)`,
);

await browser.close();
server.close();
