// Serves a site folder on 127.0.0.1, on a port of the system's choosing. A page
// may have the module held back until `serving.held` settles, or the file at
// `serving.missing` answered with 404.
import { readFile } from "node:fs/promises";
import { createServer } from "node:http";
import { extname, join } from "node:path";

const types = {
    ".html": "text/html; charset=utf-8",
    ".js": "text/javascript",
    ".css": "text/css",
    ".svg": "image/svg+xml",
    ".wasm": "application/wasm",
};

export async function serveSite(site) {
    const serving = { held: null, missing: null };
    const server = createServer(async (request, response) => {
        const path = new URL(request.url, "http://x").pathname.replace(/\/$/, "/index.html");
        if (path === "/moon-survival.wasm") {
            await serving.held;
        }
        const body =
            path === serving.missing ? null : await readFile(join(site, path)).catch(() => null);
        response.writeHead(body ? 200 : 404, { "content-type": types[extname(path)] ?? "text/plain" });
        response.end(body);
    });
    await new Promise((listening) => server.listen(0, "127.0.0.1", listening));
    const origin = `http://127.0.0.1:${server.address().port}`;
    return { origin, serving, close: () => server.close() };
}
