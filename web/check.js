// Loaded first, and written so that any browser can read it: a browser older
// than the page supports gets one sentence saying so, rather than a script
// error. What it checks is what the page cannot do without: modules,
// container queries for its text size, Object.hasOwn for its worker, and
// WebAssembly, which a current browser may have switched off.
"use strict";

(function () {
    var current =
        "noModule" in document.createElement("script") &&
        // eslint-disable-next-line es-x/no-object-hasown -- only asks whether it is there
        typeof Object.hasOwn === "function" &&
        window.CSS !== undefined &&
        CSS.supports("container-type", "inline-size");
    // A current browser may have WebAssembly switched off, as Lockdown Mode
    // does in Safari, or as a policy may: a newer one would not help there.
    var missing = !current
        ? "Ta gra potrzebuje nowszej przeglądarki: Safari 16, Chrome 105, Firefox 110 albo nowszej."
        : typeof WebAssembly !== "object"
          ? "Ta gra potrzebuje WebAssembly, które ta przeglądarka ma wyłączone, zwykle przez tryb blokady " +
            "(Lockdown Mode) na iPhonie, iPadzie lub Macu: można z niego wyłączyć tę stronę."
          : null;
    if (missing !== null) {
        document.documentElement.setAttribute("data-unsupported", "");
        document.getElementById("status").textContent = missing;
    }
})();
