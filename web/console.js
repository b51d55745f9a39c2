// The page's console: plays the game's WebAssembly module with what the player
// sends as its standard input and the log as its standard output, echoing each
// answer where a terminal would.
import WASI, { WASIProcExit } from "./vendor/browser_wasi_shim/wasi.js";
import { Fd } from "./vendor/browser_wasi_shim/fd.js";
import { ERRNO_SUCCESS } from "./vendor/browser_wasi_shim/wasi_defs.js";

const log = document.getElementById("log");
const prompt = document.getElementById("prompt");
const answer = document.getElementById("answer");
const send = document.getElementById("send");
const status = document.getElementById("status");
const again = document.getElementById("again");

// Standard input: what the player has sent and the game has not read yet.
class Keyboard extends Fd {
    #unread = new Uint8Array();
    #answered = () => {};

    send(text) {
        const bytes = new TextEncoder().encode(text);
        const unread = new Uint8Array(this.#unread.length + bytes.length);
        unread.set(this.#unread);
        unread.set(bytes, this.#unread.length);
        this.#unread = unread;
        this.#answered();
    }

    get empty() {
        return this.#unread.length === 0;
    }

    // Resolves once the player sends something.
    answer() {
        return new Promise((resolve) => (this.#answered = resolve));
    }

    fd_read(size) {
        const data = this.#unread.subarray(0, size);
        this.#unread = this.#unread.subarray(data.length);
        return { ret: ERRNO_SUCCESS, data };
    }
}

// A running digest of everything the game writes, by which a kept game tells
// whether its answers play the very game that the player left. It guards
// against another release of the game, not against an attacker: two 32-bit
// FNV-1a lanes with different multipliers.
class Digest {
    #a = 0x811c9dc5;
    #b = 0x9747b28c;

    add(bytes) {
        let a = this.#a;
        let b = this.#b;
        for (const byte of bytes) {
            a = Math.imul(a ^ byte, 0x01000193);
            b = Math.imul(b ^ byte, 0x5bd1e995);
        }
        this.#a = a;
        this.#b = b;
    }

    get value() {
        const hex = (lane) => (lane >>> 0).toString(16).padStart(8, "0");
        return hex(this.#a) + hex(this.#b);
    }
}

// Standard output or error, decoded as UTF-8 even where a letter spans writes.
class Screen extends Fd {
    #decoder = new TextDecoder();

    constructor(className) {
        super();
        this.className = className;
    }

    fd_write(data) {
        written.add(data);
        show(this.#decoder.decode(data, { stream: true }), this.className);
        return { ret: ERRNO_SUCCESS, nwritten: data.byteLength };
    }
}

// The log holds a block for each turn, the game's output up to and with the
// player's answer, and thirty-two turns to a chapter, so that the browser lays
// out only the newest turn however long the game. The field comes last, on the
// newest turn's last line (see the style sheet). Each line the game writes is
// a text of its own, and a separator is a rule.
const turnsPerChapter = 32;
const separator = /^-( -)+\n$/;
let chapter = null;
let turn = null;
let lineStart = true;

function show(text, className) {
    if (text === "") {
        return;
    }
    if (turn === null) {
        if (chapter === null || chapter.childElementCount === turnsPerChapter) {
            chapter = document.createElement("div");
            prompt.before(chapter);
        }
        turn = document.createElement("div");
        chapter.append(turn);
    }
    for (const line of text.match(/[^\n]*\n|[^\n]+$/g)) {
        const kind = className ?? (lineStart && separator.test(line) ? "rule" : undefined);
        turn.append(
            kind === undefined
                ? document.createTextNode(line)
                : Object.assign(document.createElement("span"), { className: kind, textContent: line }),
        );
        lineStart = line.endsWith("\n");
    }
}

function clear() {
    log.replaceChildren(prompt);
    chapter = turn = null;
    lineStart = true;
}

// What follows the player's answer begins the next turn.
function echo(text) {
    show(text, "echo");
    turn = null;
}

// Plays one run of the game, compiled as `module` and paused by `instantiate`
// as it reads, and gives its exit status.
async function play({ module, instantiate }, keyboard) {
    const wasi = new WASI([], [], [keyboard, new Screen(), new Screen("error")]);
    const { fd_read } = wasi.wasiImport;
    const instance = await instantiate(module, {
        wasi_snapshot_preview1: {
            ...wasi.wasiImport,
            // With nothing unread and nothing to type again, the game's read
            // waits for the player.
            fd_read(fd, ...rest) {
                if (fd === 0 && keyboard.empty) {
                    checkKept();
                    if (replay.length > 0) {
                        give(replay.shift());
                    }
                }
                if (fd !== 0 || !keyboard.empty) {
                    return fd_read(fd, ...rest);
                }
                waiting();
                return keyboard.answer().then(() => fd_read(fd, ...rest));
            },
        },
    });
    // The shim's own start() cannot wait for a game that pauses.
    wasi.inst = instance;
    try {
        await instance.exports._start();
        return 0;
    } catch (error) {
        if (error instanceof WASIProcExit) {
            return error.code;
        }
        throw error;
    }
}

// The answers of the game in progress, kept on this device after every one,
// so that a reload, a closed tab or a phone that drops the page never costs
// the player the game: the same answers play the same game, as long as the
// game itself is the same. So beside them is kept the digest of all that the
// game had written when it last waited for the player, and how many answers
// it had read by then: a release that plays differently cannot pass its game
// off as the player's. Each folder of a site keeps its own. Without storage
// the game plays on, unkept.
const keptFormat = "moon-survival answers 2";
// Kept before the digest, and taken on trust.
const uncheckedFormat = "moon-survival answers 1";
const keptKey = `moon-survival ${new URL(".", location.href).pathname}`;

// What the page cannot read as its own is dropped for a fresh game.
function readKept() {
    const isLine = (line) => typeof line === "string" && !/[\r\n]/.test(line);
    try {
        const value = localStorage.getItem(keptKey);
        if (value === null) {
            return null;
        }
        const { format, answers, checked, digest } = JSON.parse(value);
        const readable =
            [keptFormat, uncheckedFormat].includes(format) && Array.isArray(answers) && answers.every(isLine);
        // Answers sent before the game first waited have no digest yet.
        const unchecked = checked === undefined && digest === undefined;
        const checkable =
            format === keptFormat &&
            Number.isInteger(checked) &&
            checked >= 0 &&
            checked <= answers.length &&
            /^[0-9a-f]{16}$/.test(digest);
        if (readable && (unchecked || checkable)) {
            return { answers, check: unchecked ? null : { checked, digest } };
        }
    } catch {
        // Unreadable, or no storage at all.
    }
    forget();
    return null;
}

function keep(answers) {
    try {
        localStorage.setItem(keptKey, JSON.stringify({ format: keptFormat, answers, ...lastWait }));
    } catch {
        // Full or refused: an older game kept would come back wrong.
        forget();
    }
}

function forget() {
    try {
        localStorage.removeItem(keptKey);
    } catch {
        // No storage, so nothing kept.
    }
}

// The game's standard input, where answers sent while the module loads wait
// for its first read, echoed at once. The answers of a kept game, and any
// sent while it comes back, wait in `replay` instead, to be given and echoed
// one at a time when the game reads with nothing unread: each then stands at
// its prompt, as it would in a terminal. `given` counts the answers given to
// the game, `written` digests what it wrote, `lastWait` holds both as they
// stood when it last waited for the player, and `expected` what a kept game
// must match once as many answers are given again.
let keyboard;
let answers;
let replay;
let given;
let written;
let lastWait;
let expected;
let resuming = false;

function fresh() {
    keyboard = new Keyboard();
    answers = [];
    replay = [];
    given = 0;
    written = new Digest();
    lastWait = {};
    expected = null;
}
fresh();

function give(line) {
    echo(`${line}\n`);
    keyboard.send(`${line}\n`);
    given++;
}

// Thrown where the kept game's answers play another game than the one kept.
class AnotherGame extends Error {}

// Called as the game reads with nothing unread: once the kept answers up to
// the check are given again, the game must have written what it wrote then.
function checkKept() {
    if (expected !== null && given === expected.checked) {
        if (written.value !== expected.digest) {
            throw new AnotherGame();
        }
        expected = null;
    }
}

// A screen reader is not to read out a game coming back as new text: the log
// stays quiet until the game waits or ends, and the status line tells instead.
// The log speaks again only once the browser has shown what came back.
function resume(kept) {
    answers = kept.answers;
    replay = [...kept.answers];
    expected = kept.check;
    resuming = true;
    log.setAttribute("aria-live", "off");
}

function tell(message) {
    resuming = false;
    status.textContent = message;
    requestAnimationFrame(() => setTimeout(() => log.removeAttribute("aria-live")));
}

// The game waits for the player, having read every answer given.
function waiting() {
    if (resuming) {
        tell("Wznowiono przerwaną grę. Aby ją zakończyć, wpisz 0 w menu.");
    }
    lastWait = { checked: given, digest: written.value };
    if (answers.length > 0) {
        keep(answers);
    }
    answer.scrollIntoView({ block: "nearest" });
}

async function round(game) {
    let ending = "Gra zakończona.";
    try {
        const code = await play(game, keyboard);
        // Ended before it got as far as the kept game had: another game.
        if (expected !== null) {
            throw new AnotherGame();
        }
        if (code !== 0) {
            ending = `Gra zakończona z kodem wyjścia ${code}.`;
        }
    } catch (error) {
        if (error instanceof AnotherGame) {
            forget();
            newGame(game);
            tell("Przerwanej gry nie udało się przenieść do tej wersji, więc zaczyna się nowa gra.");
            return;
        }
        ending = `Gra przerwana przez błąd: ${error.message}`;
    }
    forget();
    answer.disabled = send.disabled = true;
    tell(ending);
    again.hidden = false;
    again.focus();
}

function takeAnswers() {
    answer.disabled = send.disabled = false;
    answer.focus();
}

function newGame(game) {
    clear();
    fresh();
    takeAnswers();
    round(game);
}

prompt.addEventListener("submit", (event) => {
    event.preventDefault();
    answers.push(answer.value);
    keep(answers);
    if (replay.length > 0) {
        replay.push(answer.value);
    } else {
        give(answer.value);
    }
    answer.value = "";
});

// A click anywhere on the console, the send button's too, leaves the player
// typing in the field.
document.getElementById("terminal").addEventListener("click", () => {
    if (!answer.disabled && document.getSelection().isCollapsed) {
        answer.focus();
    }
});

async function compile() {
    const response = await fetch("moon-survival.wasm");
    if (!response.ok) {
        throw Object.assign(new Error(`nie udało się pobrać gry (HTTP ${response.status})`), { url: response.url });
    }
    // Compiled while it downloads, where the server names its type.
    return response.headers.get("content-type") === "application/wasm"
        ? WebAssembly.compileStreaming(response)
        : WebAssembly.compile(await response.arrayBuffer());
}

async function start() {
    const kept = readKept();
    if (kept !== null && kept.answers.length > 0) {
        resume(kept);
    }
    takeAnswers();
    // Asyncify's library uses WebAssembly as it loads, so it is loaded only
    // here, where the browser is known to have WebAssembly.
    const [{ instantiate }, module] = await Promise.all([import("./vendor/asyncify-wasm/asyncify.js"), compile()]);
    const game = { module, instantiate };
    again.addEventListener("click", () => {
        again.hidden = true;
        status.textContent = "";
        newGame(game);
    });
    status.textContent = "";
    document.getElementById("terminal").dataset.game = "running";
    round(game);
    keepForOffline();
}

// Once the game has loaded, the browser keeps a copy of the site so that it
// plays offline, and looks for a new version at every load rather than now
// and then; a new version takes over on its own once all of it has
// downloaded, for the next load. Where there can be no worker (a page not
// served over HTTPS or from this machine, a private window, a sandboxed
// frame), or no network, the page plays on; nothing about the copy may stop
// a game that runs.
async function keepForOffline() {
    try {
        const registration = await navigator.serviceWorker?.register("service-worker.js");
        await registration?.update();
    } catch {
        // Online only.
    }
}

// A failure to load is left to the page's error report, and a browser too old
// for the page is told so instead.
const { unsupported, failed } = document.documentElement.dataset;
if (unsupported === undefined && failed === undefined) {
    start();
}
