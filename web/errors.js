// Loaded ahead of the console module, so that a page whose scripts cannot load
// or fail says so in words instead of sitting blank or frozen.
"use strict";

function reportPageFailure(reason) {
    document.getElementById("status").textContent = `Błąd strony: ${reason}`;
    document.getElementById("answer").disabled = true;
    document.getElementById("send").disabled = true;
}

addEventListener(
    "error",
    (event) => {
        if (event instanceof ErrorEvent) {
            reportPageFailure(event.message);
        } else if (event.target instanceof HTMLScriptElement) {
            reportPageFailure(`nie udało się wczytać ${event.target.src}`);
        }
    },
    true,
);
addEventListener("unhandledrejection", (event) =>
    reportPageFailure(event.reason instanceof Error ? event.reason.message : event.reason),
);
