// A KWin script for the runs under KWin: writes a line into KWin's log whenever a window comes,
// gets the focus or goes, with the wall clock in milliseconds and what the window says it is.
function describe(window) {
    var g = window.frameGeometry;
    return JSON.stringify({
        caption: window.caption,
        resourceClass: String(window.resourceClass),
        desktopFileName: window.desktopFileName,
        xwayland: window.windowId !== 0 && window.windowId !== undefined,
        normal: window.normalWindow,
        dialog: window.dialog,
        utility: window.utility,
        skipTaskbar: window.skipTaskbar,
        skipPager: window.skipPager,
        fullScreen: window.fullScreen,
        geometry: [g.x, g.y, g.width, g.height]
    });
}

function report(event, window) {
    print("deskwreck-window " + event + " " + Date.now() + " " + (window ? describe(window) : "{}"));
}

workspace.clientAdded.connect(function (window) { report("added", window); });
workspace.clientActivated.connect(function (window) { report("active", window); });
workspace.clientRemoved.connect(function (window) { report("removed", window); });
report("ready", null);
