// The page's scripts and its style sheet, as the site ships them, against the
// oldest browsers that the page supports: the browserslist entry in
// web/package.json. The feature check that tells older browsers so is written
// for any browser at all.
//
//   node baseline_test.mjs SITE_DIR NODE_MODULES
import assert from "node:assert/strict";
import { createRequire } from "node:module";
import { join, relative, resolve } from "node:path";
import { test } from "node:test";
import { fileURLToPath, pathToFileURL } from "node:url";

const [siteDir, nodeModules] = process.argv.slice(2).map((path) => resolve(path));
const require = createRequire(join(nodeModules, "/"));
const load = async (name) => {
    const module = await import(pathToFileURL(require.resolve(name)));
    return module.default ?? module;
};
process.env.BROWSERSLIST_CONFIG = fileURLToPath(new URL("../../web/package.json", import.meta.url));

test("the page's scripts use nothing that the oldest browsers supported lack", async () => {
    const [{ ESLint }, compat, esX] = await Promise.all(["eslint", "eslint-plugin-compat", "eslint-plugin-es-x"].map(load));
    const modern = {
        ...esX.configs["flat/restrict-to-es2022"].rules,
        // Safari 16.0 to 16.3 lack these, of what came before ES2023.
        "es-x/no-regexp-lookbehind-assertions": "error",
        "es-x/no-class-static-block": "error",
    };
    const eslint = new ESLint({
        cwd: siteDir,
        overrideConfigFile: true,
        overrideConfig: [
            {
                files: ["**/*.js"],
                languageOptions: { ecmaVersion: "latest", sourceType: "module" },
                plugins: { compat, "es-x": esX },
                rules: { "compat/compat": "error", ...modern },
            },
            {
                files: ["errors.*.js", "service-worker.js"],
                languageOptions: { sourceType: "script" },
            },
            {
                files: ["check.*.js"],
                languageOptions: { sourceType: "script" },
                rules: esX.configs["flat/restrict-to-es5"].rules,
            },
        ],
    });
    const results = await eslint.lintFiles(["**/*.js"]);
    const problems = results.flatMap((result) =>
        result.messages.map((problem) => `${relative(siteDir, result.filePath)}:${problem.line}: ${problem.message}`),
    );
    assert.ok(results.length > 5, "no scripts found");
    assert.deepEqual(problems, []);
});

test("the page's style sheet uses nothing that the oldest browsers supported lack", async () => {
    const { default: stylelint } = await import(pathToFileURL(join(nodeModules, "stylelint/lib/index.mjs")));
    const { results } = await stylelint.lint({
        files: [join(siteDir, "*.css")],
        config: {
            plugins: [require.resolve("stylelint-no-unsupported-browser-features")],
            // Partly supported is supported enough for what the page asks of
            // each: display: contents on plain blocks, clip-path with inset().
            rules: {
                "plugin/no-unsupported-browser-features": [true, { severity: "error", ignorePartialSupport: true }],
            },
        },
    });
    const problems = results.flatMap((result) => result.warnings.map((warning) => warning.text));
    assert.equal(results.length, 1, "no style sheet found");
    assert.deepEqual(problems, []);
});
