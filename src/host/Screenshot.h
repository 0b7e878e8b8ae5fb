#pragma once

#include <string>

namespace Host {

// Saves a PNG of the main window to `file` and ends the event loop as soon as the window
// is on screen, the files named on the command line are open and every 3D view shown has
// rendered a frame.  Waits a minute at most.  A 3D view that could not draw (an error said
// while it drew, or no frame in that minute) leaves no picture: it is said on standard
// error instead, and the start counts as failed.
void requestScreenshot(const std::string& file);
// For tests: how long requestScreenshot waits at most; 0 waits until the window is ready,
// however long that takes.
void setScreenshotGiveUpMs(int ms);
bool screenshotTaken();
// Whether a failure to take it was said on standard error already.
bool screenshotFailureSaid();

} // namespace Host
