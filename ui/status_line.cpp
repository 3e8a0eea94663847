#include "ui/status_line.h"

#include "host/natives.h"
#include "host/ticks.h"

// The text last given to showStatus; replaced, never cleared.
constinit InlineString statusMessage;
// The tick at which the current message stops being drawn.
constinit DWORD statusUntil = 0;
// Whether showStatus has run since load; before it, nothing is drawn at any tick.
// Not in the header: only this file uses it (and the tests, which declare it).
constinit bool statusShown = false;

void showStatus(InlineString text) {
    statusMessage = text;
    statusUntil = GetTickCount() + kStatusTime;
    statusShown = true;
}

void drawStatusLine() {
    if (!statusShown || !elapsedBelow(statusUntil - kStatusTime, kStatusTime)) return;
    setTextFont(0);
    setTextScale(0.55f, 0.55f);
    setTextColour(255, 255, 255, 255);
    setTextWrap(0.0f, 1.0f);
    setTextCentred(true);
    setTextDropShadow(0, 0, 0, 0, 0);
    setTextEdge(1, 205);
    beginTextDisplay("STRING");
    addPlainText(statusMessage.c_str());
    drawPendingText(0.5f, 0.9f);
}
