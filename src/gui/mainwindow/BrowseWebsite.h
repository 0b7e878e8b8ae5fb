#pragma once
// Opens an address in the desktop's web browser.

#include "PelmoraGuiExport.h"

namespace Gui {

// True when the desktop took the address; otherwise the user is told and the result is
// false.  `url` is Latin-1.
PELMORAGUI_EXPORT bool browse_website_with_url(const char* url);

} // namespace Gui
