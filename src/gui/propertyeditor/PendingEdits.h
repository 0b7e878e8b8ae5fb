#pragma once
// A value typed into the property panel and not yet confirmed is written before anything
// else acts on the projects: a command, a rebuild of the rows for another selection.
// Quitting the window does not write it.

#include "PelmoraGuiExport.h"

namespace Gui {

// Writes every value typed into an open row editor of a property panel and not taken
// yet.  A text that cannot be read whole stays in its editor, refused with its reason,
// and nothing is written for it: what the caller goes on to do goes on without it.
PELMORAGUI_EXPORT void finishPendingEdits();

} // namespace Gui
