#pragma once
// The millisecond clock behind the window's own pacing rules (how often the status bar
// takes console lines, how soon the actions are checked again).  Monotonic by default;
// a test sets a clock it moves itself, so that those rules are checked without waiting.

#include "PelmoraGuiExport.h"

#include <QtGlobal>

namespace Gui {

class PELMORAGUI_EXPORT MonotonicClock
{
public:
    using Source = qint64 (*)();

    // Milliseconds since an arbitrary moment that never moves backwards.
    static qint64 nowMs();
    // Replaces the source (nullptr restores the monotonic one); returns the one before.
    static Source setSource(Source source);
};

} // namespace Gui
