#pragma once
// Ends the event loop as soon as a top-level window that `isMain` accepts is exposed.

#include <functional>

class QWidget;

namespace StartupBench {

// Call before the QApplication is made; the check starts with its event loop.
void quitWhenShown(std::function<bool(QWidget*)> isMain);

} // namespace StartupBench
