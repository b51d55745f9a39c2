// One way to drive a page in every engine, so that one set of scenarios plays
// them all: puppeteer for Chromium and Firefox, W3C WebDriver for WebKit.
//
//   const browser = await launch("chrome" | "firefox" | "webkit", BROWSER, NODE_MODULES, { font });
//   const page = await browser.open(URL, { width, height });
//
// BROWSER is the browser's executable; for WebKit, MiniBrowser, which the
// WebKitWebDriver on the PATH starts. Chromium and Firefox may be given
// another monospace font for the system's. A page evaluates a function of its
// arguments in the page, waits until one gives a true value, types into the
// answer field, presses Enter, clicks, reloads, opens another page of the
// same address, or of one relative to it, beside it (as a second tab would),
// closes, and, under puppeteer, notes every problem it meets: an error, a
// failed request or a request to another origin. WebDriver cannot see those,
// so there `problems` is null. Under puppeteer a page opens in a private context of its own, or
// with `incognito: false` in the browser's default one, and `page.page` is
// puppeteer's own.
import { spawn } from "node:child_process";
import { mkdtemp, writeFile } from "node:fs/promises";
import { createRequire } from "node:module";
import { tmpdir } from "node:os";
import { join, resolve } from "node:path";
import { freePort } from "./site_server.mjs";

const timeout = 10000;

export async function launch(engine, executable, nodeModules, { font } = {}) {
    const require = createRequire(join(resolve(nodeModules), "/"));
    return engine === "webkit"
        ? launchWebDriver(require("selenium-webdriver"), require("selenium-webdriver/http"), executable)
        : launchPuppeteer(require("puppeteer-core"), engine, executable, font && (await monospace(font)));
}

// A fontconfig setting that makes FONT the system's monospace font, as it is
// on some systems, for a browser started with it in its environment.
async function monospace(font) {
    const folder = await mkdtemp(join(tmpdir(), "moon-survival-fonts-"));
    const file = join(folder, "fonts.conf");
    await writeFile(
        file,
        `<?xml version="1.0"?><!DOCTYPE fontconfig SYSTEM "fonts.dtd"><fontconfig>
        <include ignore_missing="yes">/etc/fonts/fonts.conf</include>
        <match target="pattern"><test name="family"><string>monospace</string></test>
        <edit name="family" mode="prepend" binding="strong"><string>${font}</string></edit></match>
        </fontconfig>`,
    );
    return { ...process.env, FONTCONFIG_FILE: file };
}

async function launchPuppeteer(puppeteer, engine, executablePath, env = process.env) {
    const browser = await puppeteer.launch({
        browser: engine,
        executablePath,
        env,
        args: engine === "chrome" && process.getuid() === 0 ? ["--no-sandbox"] : [],
    });
    let context = null;
    async function open(url, { width = 800, height = 600 }) {
        const page = await (context ?? browser.defaultBrowserContext()).newPage();
        page.setDefaultTimeout(timeout);
        const problems = [];
        const origin = new URL(url).origin;
        page.on("pageerror", (error) => problems.push(`page error: ${error.message}`));
        page.on("console", (message) => {
            if (message.type() === "error" || message.type() === "warn") {
                problems.push(`console: ${message.text()}`);
            }
        });
        page.on("request", (request) => {
            if (new URL(request.url()).origin !== origin) {
                problems.push(`request to another origin: ${request.url()}`);
            }
        });
        page.on("requestfailed", (request) => problems.push(`failed: ${request.url()}`));
        page.on("response", (response) => {
            if (response.status() >= 400) {
                problems.push(`HTTP ${response.status()}: ${response.url()}`);
            }
        });
        await page.setViewport({ width, height });
        await page.goto(url);
        return {
            page,
            problems,
            evaluate: (fn, ...args) => page.evaluate(fn, ...args),
            waitFor: (fn, ...args) => page.waitForFunction(fn, {}, ...args),
            type: (text) => page.type("#answer", text),
            enter: () => page.keyboard.press("Enter"),
            click: (selector) => page.click(selector),
            reload: () => page.reload(),
            another: (path = "") => open(new URL(path, url).href, { width, height }),
            close: () => page.close(),
        };
    }
    return {
        async open(url, { incognito = true, ...viewport } = {}) {
            await context?.close();
            context = incognito ? await browser.createBrowserContext() : null;
            return open(url, viewport);
        },
        close: () => browser.close(),
    };
}

// MiniBrowser's window is never narrower than about 447 pixels, so a page
// asked for at a size of its own is shown in a frame of that size.
async function launchWebDriver({ Capabilities, Key, WebDriver, until }, { Executor, HttpClient }, binary) {
    const port = await freePort();
    const server = spawn("WebKitWebDriver", [`--port=${port}`], { stdio: "ignore" });
    const address = `http://127.0.0.1:${port}`;
    const ready = () =>
        fetch(`${address}/status`)
            .then((response) => response.ok)
            .catch(() => false);
    while (!(await ready())) {
        await new Promise((wait) => setTimeout(wait, 50));
    }
    const driver = WebDriver.createSession(
        new Executor(new HttpClient(address)),
        new Capabilities({
            "webkitgtk:browserOptions": { binary, args: ["--automation"] },
        }),
    );
    // A browser that cannot start fails the tests rather than hanging them.
    const late = new Promise((_, reject) => setTimeout(() => reject(new Error("WebKit did not start")), timeout));
    await Promise.race([driver.getSession(), late]).catch((error) => {
        server.kill();
        throw error;
    });
    await driver.manage().window().setRect({ width: 1024, height: 800 });
    // Each page is a window of its own, and the driver acts in one at a time,
    // inside the page's frame where it has one.
    let current = null;
    async function use(window, framed) {
        if (current !== window) {
            await driver.switchTo().window(window);
            current = window;
            if (framed) {
                await driver.switchTo().frame(0);
            }
        }
    }
    async function open(url, { width, height }, window) {
        await use(window, false);
        await driver.switchTo().defaultContent();
        if (width === undefined) {
            await driver.get(url);
        } else {
            await driver.get(new URL(`frame.html?width=${width}&height=${height}`, url).href);
            await driver.switchTo().frame(await driver.wait(until.elementLocated({ css: "iframe" })));
        }
        const act =
            (action) =>
            async (...args) => {
                await use(window, width !== undefined);
                return action(...args);
            };
        const evaluate = act((fn, ...args) => driver.executeScript(fn, ...args));
        return {
            problems: null,
            evaluate,
            waitFor: (fn, ...args) => driver.wait(() => evaluate(fn, ...args), timeout),
            // WebDriver refuses to type nothing.
            type: act(async (text) => text && driver.findElement({ id: "answer" }).sendKeys(text)),
            enter: act(() => driver.actions().sendKeys(Key.ENTER).perform()),
            click: act(async (selector) => driver.findElement({ css: selector }).click()),
            reload: act(() => driver.navigate().refresh()),
            another: async (path = "") => {
                await driver.switchTo().newWindow("tab");
                current = await driver.getWindowHandle();
                return open(new URL(path, url).href, { width, height }, current);
            },
            close: act(async () => {
                await driver.close();
                current = null;
            }),
        };
    }
    return {
        open: async (url, viewport = {}) => open(url, viewport, (await driver.getAllWindowHandles())[0]),
        async close() {
            await driver.quit();
            server.kill();
        },
    };
}
