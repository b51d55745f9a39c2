// Makes the README's pictures of the game from the site that
// `cmake --workflow --preset web` built: the page in a fight, on a phone 360
// pixels wide and in a desktop window, in headless Chromium.
//
//   node doc/screenshots.mjs [CHROMIUM]
import { readFile } from "node:fs/promises";
import { createRequire } from "node:module";
import { fileURLToPath } from "node:url";
import { serveSite } from "../tests/web/site_server.mjs";

const build = fileURLToPath(new URL("../build/web/", import.meta.url));
const puppeteer = createRequire(`${build}npm/node_modules/`)("puppeteer-core");
const [chromium = "/usr/bin/chromium"] = process.argv.slice(2);
// A search that meets an alien, and two blows.
const answers = (await readFile(new URL("../tests/web/transcripts/lost_fight.in", import.meta.url), "utf8"))
    .split("\n")
    .slice(0, 4);

const site = await serveSite(`${build}site`);
const browser = await puppeteer.launch({
    executablePath: chromium,
    args: process.getuid() === 0 ? ["--no-sandbox"] : [],
});
try {
    for (const [name, viewport] of [
        ["phone", { width: 360, height: 640, isMobile: true, hasTouch: true }],
        ["desktop", { width: 800, height: 560 }],
    ]) {
        // A context of its own, so that no game kept by the one before comes back.
        const context = await browser.createBrowserContext();
        const page = await context.newPage();
        await page.setViewport(viewport);
        await page.goto(site.url);
        for (const [index, answer] of answers.entries()) {
            await page.waitForFunction(
                (count) => document.getElementById("log").textContent.split("Wpisz numer: ").length > count,
                {},
                index + 1,
            );
            await page.type("#answer", answer);
            await page.keyboard.press("Enter");
        }
        await page.waitForFunction(() => /Wpisz numer: \n$/.test(document.getElementById("log").textContent));
        const path = fileURLToPath(new URL(`${name}.png`, import.meta.url));
        await page.screenshot({ path });
        console.log(`${path}: ${viewport.width}×${viewport.height}`);
        await context.close();
    }
} finally {
    await browser.close();
    site.close();
}
