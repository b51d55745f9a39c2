// The site served by Debian's nginx with the site's own configuration, at a
// host's root and in a sub-folder: each kind of file with its type, gzipped
// where that helps, cached for a year where its name is its contents and
// otherwise asked again and sent whole, a missing file never kept, and every
// answer with the page's security headers and the host's own.
//
//   node nginx_test.mjs NGINX SITE_DIR
import assert from "node:assert/strict";
import { readdir } from "node:fs/promises";
import { test } from "node:test";
import { hsts, serveNginx } from "./site_server.mjs";

const [nginx, siteDir] = process.argv.slice(2);
const names = await readdir(siteDir, { recursive: true });
const find = (pattern) => names.find((name) => pattern.test(name));
const year = "public, max-age=31536000, immutable";
const security = {
    "content-security-policy":
        "default-src 'self'; script-src 'self' 'wasm-unsafe-eval'; object-src 'none'; base-uri 'none'; " +
        "form-action 'none'; frame-ancestors 'none'",
    "x-content-type-options": "nosniff",
    "referrer-policy": "no-referrer",
    // The host's own, which the site's location repeats.
    "strict-transport-security": hsts,
};

// A path, and the type, encoding and caching that it must be served with.
const files = [
    ["", "text/html; charset=utf-8", "gzip", "no-cache"],
    ["index.html", "text/html; charset=utf-8", "gzip", "no-cache"],
    ["service-worker.js", "text/javascript; charset=utf-8", "gzip", "no-cache"],
    ["manifest.webmanifest", "application/manifest+json; charset=utf-8", "gzip", "no-cache"],
    ["licenses.txt", "text/plain; charset=utf-8", "gzip", "no-cache"],
    ["icon.svg", "image/svg+xml; charset=utf-8", "gzip", "no-cache"],
    ["icon-192.png", "image/png", null, "no-cache"],
    [find(/^console\.\w{16}\.js$/), "text/javascript; charset=utf-8", "gzip", year],
    [find(/^style\.\w{16}\.css$/), "text/css; charset=utf-8", "gzip", year],
    [find(/^moon-survival\.\w{16}\.wasm$/), "application/wasm", "gzip", year],
    [find(/^vendor\/browser_wasi_shim-[\d.]+\/wasi\.js$/), "text/javascript; charset=utf-8", "gzip", year],
];

for (const folder of ["/", "/moon-survival/"]) {
    test(`served by nginx at ${folder}`, async () => {
        const site = await serveNginx(siteDir, nginx, folder);
        try {
            for (const [path, type, encoding, cache] of files) {
                const response = await fetch(site.url + path, { headers: { "accept-encoding": "gzip" } });
                const headers = Object.fromEntries(
                    ["content-type", "content-encoding", "cache-control", ...Object.keys(security)].map((name) => [
                        name,
                        response.headers.get(name),
                    ]),
                );
                const expected = {
                    "content-type": type,
                    "content-encoding": encoding,
                    "cache-control": cache,
                    ...security,
                };
                // Only what never changes may be answered "not modified".
                const revalidated = await fetch(site.url + path, {
                    headers: { "if-modified-since": response.headers.get("last-modified") },
                });
                assert.deepEqual(
                    [response.status, headers, revalidated.status],
                    [200, expected, cache === year ? 304 : 200],
                    path,
                );
            }
            // A file not there yet, as in the middle of an upload, is never kept.
            for (const path of ["no-such-file.js", "console.0123456789abcdef.js", "vendor/shim-9.9.9/wasi.js"]) {
                const missing = await fetch(site.url + path);
                assert.deepEqual(
                    [missing.status, missing.headers.get("cache-control"), missing.headers.get("strict-transport-security")],
                    [404, "no-store", hsts],
                    path,
                );
            }
        } finally {
            site.close();
        }
    });
}
