#pragma once

#include <string>

namespace Host {

// Once the main window runs its event loop and has been shown for a moment, saves a PNG
// of it to `file` and ends the loop.  Gives up after a minute.
void requestScreenshot(const std::string& file);
bool screenshotTaken();

} // namespace Host
