// Serves a site folder on 127.0.0.1, on a port of the system's choosing. A page
// may have the module held back until `serving.held` settles, or the file at
// `serving.missing` answered with 404; `serving.site` may change to another
// folder. Beside the site, /frame.html?width=W&height=H shows it in a frame
// of that size. Closing the server drops every connection, as a lost network
// would.
import { readFile } from "node:fs/promises";
import { createServer } from "node:http";
import { extname, join } from "node:path";

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
    const serving = { site, held: null, missing: null };
    const server = createServer(async (request, response) => {
        const url = new URL(request.url, "http://x");
        const path = url.pathname.replace(/\/$/, "/index.html");
        if (path === "/frame.html") {
            const [width, height] = ["width", "height"].map((side) => url.searchParams.get(side));
            const frame = `<iframe src="./" style="border: 0; width: ${width}px; height: ${height}px">`;
            response.writeHead(200, { "content-type": types[".html"] });
            response.end(`<!doctype html><body style="margin: 0">${frame}`);
            return;
        }
        if (path === "/moon-survival.wasm") {
            await serving.held;
        }
        const body =
            path === serving.missing ? null : await readFile(join(serving.site, path)).catch(() => null);
        response.writeHead(body ? 200 : 404, { "content-type": types[extname(path)] ?? "text/plain" });
        response.end(body);
    });
    await new Promise((listening) => server.listen(0, "127.0.0.1", listening));
    const origin = `http://127.0.0.1:${server.address().port}`;
    const close = () => {
        server.close();
        server.closeAllConnections();
    };
    return { origin, serving, close };
}
