// Runs a WASI command module under Node's own WASI, on this process's standard
// streams, with no arguments and an empty environment, and exits with its status.
//
//   node run_wasi.mjs MODULE.wasm
import { readFile } from "node:fs/promises";
import { WASI } from "node:wasi";

const wasi = new WASI({ version: "preview1", args: [], env: {}, returnOnExit: true });
const module = await WebAssembly.compile(await readFile(process.argv[2]));
const instance = await WebAssembly.instantiate(module, { wasi_snapshot_preview1: wasi.wasiImport });
process.exitCode = wasi.start(instance);
