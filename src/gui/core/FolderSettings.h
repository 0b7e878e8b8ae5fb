#pragma once
// The folder and file settings of the preferences store (default folder, temporary
// folder, report generator, executables) as the application uses them: a setting never
// given a value reads as "Undefined" or empty, and stands for a fallback folder.

#include "PelmoraGuiExport.h"

#include <vexil/PreferenceManager.h>

#include <QString>

namespace Gui {

class PELMORAGUI_EXPORT FolderSettings
{
public:
    // Whether `id` is one of the folder or file settings (0, 1, 65, 68, 69).
    static bool isFolderSetting(Vexil::PM_SETTING id);
    // Whether a stored text means "never set".
    static bool isUnset(const QString& stored);
    // The value that stands for an unset setting: the logic's home directory for 0, 65
    // and 68, the system temporary directory for 1, netgen.exe in the home directory for
    // 69; empty for any other id.
    static QString fallback(Vexil::PM_SETTING id);
    // The stored value, or the fallback when it is unset.  Stores nothing, so that a
    // fresh configuration keeps no folder the user did not choose.
    static QString read(const Vexil::PreferenceManager* prefs, Vexil::PM_SETTING id);
};

} // namespace Gui
