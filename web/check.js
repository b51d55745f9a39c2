// Loaded first, and written so that any browser can read it: a browser older
// than the page supports gets one sentence saying so, rather than a script
// error. What it checks is what the page cannot do without: modules,
// WebAssembly, container queries for its text size, Object.hasOwn for its
// worker.
"use strict";

(function () {
    var supported =
        "noModule" in document.createElement("script") &&
        typeof WebAssembly === "object" &&
        // eslint-disable-next-line es-x/no-object-hasown -- only asks whether it is there
        typeof Object.hasOwn === "function" &&
        window.CSS !== undefined &&
        CSS.supports("container-type", "inline-size");
    if (!supported) {
        document.documentElement.setAttribute("data-unsupported", "");
        document.getElementById("status").textContent =
            "Ta gra potrzebuje nowszej przeglądarki: Safari 16, Chrome 105, Firefox 110 albo nowszej.";
    }
})();
