#pragma once
// Every test process runs on an X display of its own: an Xvfb server that it starts before
// its QApplication and that ends with it.  The clipboard, the keyboard focus and the active
// window belong to a display, so no other test running at the same time can empty the
// clipboard a test just filled or take the focus from the window it types into, and the
// programs a test starts (the host, a driver) share its display and nobody else's.

#include <QByteArray>
#include <QString>

namespace PelmoraTest {

// The variable through which a test process tells the programs it starts which display is
// its own; a driver compares it with DISPLAY.
constexpr const char* ownDisplayVariable = "PELMORA_TEST_OWN_DISPLAY";

// Starts the display and points DISPLAY at it; the server is ended when this process ends,
// however it ends.  Not needed (and nothing is started) when QT_QPA_PLATFORM names a
// platform other than xcb, which has no display to share.  On failure returns false with
// the reason in `error`.
bool startOwnDisplay(QString* error);

// True when this process runs on a display that no other test process uses: the one its
// test process started (for itself or for the programs it starts), or none at all.
inline bool onOwnDisplay()
{
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (!platform.isEmpty() && !platform.startsWith("xcb"))
        return true;
    const QByteArray own = qgetenv(ownDisplayVariable);
    return !own.isEmpty() && own == qgetenv("DISPLAY");
}

} // namespace PelmoraTest
