// Serves a site folder on 127.0.0.1, on a port of the system's choosing. A page
// may have the module held back until `serving.held` settles, the files
// whose path matches `serving.missing` answered with 404, or the script
// `serving.ahead` run ahead of its own; `serving.site` may change to another
// folder. Beside the site, /frame.html?width=W&height=H shows it in a frame
// of that size, and /elsewhere/ is another folder with the same site. Closing
// the server drops every connection, as a lost network would.
//
// serveNginx serves it with Debian's nginx instead, as a real host would,
// with the site's own configuration, in a sub-folder unless told "/", inside
// a server block with an HSTS header and a regular expression location of
// its own: there `serving.site` may change too, and `transferred()` gives the
// bytes sent.
import { spawn } from "node:child_process";
import { renameSync, symlinkSync } from "node:fs";
import { mkdtemp, readFile, rm, writeFile } from "node:fs/promises";
import { createServer } from "node:http";
import { connect, createServer as createSocketServer } from "node:net";
import { tmpdir } from "node:os";
import { extname, join, resolve } from "node:path";

const types = {
    ".html": "text/html; charset=utf-8",
    ".js": "text/javascript",
    ".css": "text/css",
    ".svg": "image/svg+xml",
    ".wasm": "application/wasm",
    ".webmanifest": "application/manifest+json",
    ".png": "image/png",
};

export async function serveSite(site) {
    const serving = { site, held: null, missing: null, ahead: null };
    const server = createServer(async (request, response) => {
        const url = new URL(request.url, "http://x");
        const path = url.pathname.replace(/\/$/, "/index.html").replace(/^\/elsewhere\//, "/");
        if (path === "/frame.html") {
            const [width, height] = ["width", "height"].map((side) => url.searchParams.get(side));
            const frame = `<iframe src="./" style="border: 0; width: ${width}px; height: ${height}px">`;
            response.writeHead(200, { "content-type": types[".html"] });
            response.end(`<!doctype html><body style="margin: 0">${frame}`);
            return;
        }
        if (path === "/ahead.js") {
            response.writeHead(200, { "content-type": types[".js"] });
            response.end(serving.ahead);
            return;
        }
        if (path.endsWith(".wasm")) {
            await serving.held;
        }
        let body = serving.missing?.test(path) ? null : await readFile(join(serving.site, path)).catch(() => null);
        if (body && serving.ahead && path.endsWith("/index.html")) {
            body = String(body).replace("<head>", '<head>\n<script src="/ahead.js"></script>');
        }
        response.writeHead(body ? 200 : 404, { "content-type": types[extname(path)] ?? "text/plain" });
        response.end(body);
    });
    await new Promise((listening) => server.listen(0, "127.0.0.1", listening));
    const origin = `http://127.0.0.1:${server.address().port}`;
    const close = () => {
        server.close();
        server.closeAllConnections();
    };
    return { origin, url: `${origin}/`, serving, close };
}

export const hsts = "max-age=63072000";

export async function serveNginx(site, nginx, folder = "/moon-survival/") {
    const prefix = await mkdtemp(join(tmpdir(), "moon-survival-nginx-"));
    const root = join(prefix, "site");
    const serve = (site) => {
        symlinkSync(resolve(site), `${root}.next`);
        renameSync(`${root}.next`, root);
    };
    serve(site);
    const port = await freePort();
    const config = join(prefix, "nginx.conf");
    const temp = ["client_body", "proxy", "fastcgi", "uwsgi", "scgi"].map(
        (kind) => `${kind}_temp_path ${join(prefix, kind)};`,
    );
    await writeFile(
        config,
        `daemon off; master_process off; pid ${join(prefix, "nginx.pid")}; error_log stderr;
        events {}
        http {
            ${temp.join(" ")}
            log_format sent $bytes_sent;
            access_log ${join(prefix, "sent.log")} sent;
            server {
                listen 127.0.0.1:${port};
                add_header Strict-Transport-Security "${hsts}" always;
                # A host's usual caching of scripts and styles, which must not
                # take the site's files from its location.
                location ~* \\.(js|css|svg)$ {
                    return 410;
                }
                location ^~ ${folder} {
                    alias ${root}/;
                    add_header Strict-Transport-Security "${hsts}" always;
                    include ${new URL("../../web/nginx.conf", import.meta.url).pathname};
                }
            }
        }`,
    );
    const server = spawn(nginx, ["-p", prefix, "-c", config, "-e", "stderr"], { stdio: "inherit" });
    const exited = new Promise((_, reject) => server.on("exit", (code) => reject(new Error(`nginx exited: ${code}`))));
    const ready = () =>
        new Promise((resolve) => connect(port, "127.0.0.1").on("connect", function () {
            this.end();
            resolve(true);
        }).on("error", () => resolve(false)));
    while (!(await Promise.race([ready(), exited]))) {
        await new Promise((wait) => setTimeout(wait, 20));
    }
    const origin = `http://127.0.0.1:${port}`;
    const serving = {
        get site() {
            return site;
        },
        set site(next) {
            site = next;
            serve(next);
        },
    };
    const transferred = async () =>
        (await readFile(join(prefix, "sent.log"), "utf8")).split("\n").reduce((sum, line) => sum + Number(line), 0);
    const close = () => {
        exited.catch(() => rm(prefix, { recursive: true, force: true }));
        server.kill();
    };
    return { origin, url: origin + folder, serving, transferred, close };
}

export function freePort() {
    return new Promise((resolve) => {
        const probe = createSocketServer().listen(0, "127.0.0.1", () => {
            const { port } = probe.address();
            probe.close(() => resolve(port));
        });
    });
}
