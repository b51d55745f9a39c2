// Loaded ahead of the console module, so that a page whose scripts cannot load
// or fail says so in words instead of sitting blank or frozen.
"use strict";

// A failure of one of the page's files (a script, the style sheet, a module
// that the page preloads) is given with its address. Once the game runs,
// nothing that fails around it (keeping the site offline, storing answers,
// talking to the worker) is a reason to stop it; and a browser too old for
// the page has been told so already.
async function reportPageFailure(reason, url) {
    const { game } = document.getElementById("terminal").dataset;
    if (game === "running" || document.documentElement.dataset.unsupported !== undefined) {
        return;
    }
    // The game does not start on a page that failed.
    document.documentElement.dataset.failed = "";
    document.getElementById("answer").disabled = true;
    document.getElementById("send").disabled = true;
    let registration;
    try {
        if (await wentAroundTheWorker(url)) {
            location.reload();
            return;
        }
        registration = await navigator.serviceWorker?.getRegistration();
    } catch {
        // No worker here, as in a sandboxed frame, where even asking throws.
    }
    document.getElementById("status").textContent = `Błąd strony: ${reason}`;
    // This may be a broken release, whose module never gets as far as looking
    // for a new version: look now, so that the next load can be one that works.
    registration?.update().catch(() => {});
}

// When a new version takes over while a page loads, the browser may ask the
// network for the page's files instead of the worker, and the server may hold
// only the new version's. A file that failed to load though the worker in
// charge holds it means just that: the page loads again, from the worker. If
// the same file fails again at once, the worker's own copy of it is at fault
// (a host that sent it with the wrong type, say), and loading again would
// never end.
async function wentAroundTheWorker(url) {
    const held = url && navigator.serviceWorker?.controller && (await globalThis.caches?.match(url));
    const again = "moon-survival loaded again for";
    if (!held || sessionStorage.getItem(again) === url) {
        sessionStorage.removeItem(again);
        return false;
    }
    sessionStorage.setItem(again, url);
    return true;
}

function reportFileFailure(url) {
    reportPageFailure(`nie udało się wczytać ${url}`, url);
}

addEventListener(
    "error",
    (event) => {
        if (event instanceof ErrorEvent) {
            reportPageFailure(event.message);
        } else if (event.target instanceof HTMLScriptElement || event.target instanceof HTMLLinkElement) {
            // The module's preload is left to the game's own fetch, which says
            // more of it.
            if (!event.target.relList?.contains("preload")) {
                reportFileFailure(event.target.src ?? event.target.href);
            }
        }
    },
    true,
);
addEventListener("unhandledrejection", (event) =>
    reportPageFailure(event.reason instanceof Error ? event.reason.message : event.reason, event.reason?.url),
);

// The style sheet has loaded or failed before this deferred script runs, and
// so has its error event: a sheet with no rules tells.
for (const link of document.querySelectorAll("link[rel=stylesheet]")) {
    if (!link.sheet?.cssRules.length) {
        reportFileFailure(link.href);
    }
}
