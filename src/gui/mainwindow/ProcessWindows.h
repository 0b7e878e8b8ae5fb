#pragma once
// Ending running processes by the name of their executable.

#include "PelmoraGuiExport.h"

namespace pmProc {

class PELMORAGUI_EXPORT process_windows
{
public:
    // Ends every process of the current user whose executable file name equals `name`
    // without regard to case; never this process itself.  Processes that cannot be
    // ended are skipped; nothing is reported.
    static void killProcessByName(const wchar_t* executable_name);
};

} // namespace pmProc
