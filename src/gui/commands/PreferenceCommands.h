#pragma once
// The two commands that open the preferences: "Std_DlgUserPref" (the older modal shell)
// and "Std_DlgUserPref2" (the paged, modeless preferences dialog).  They are registered
// with the help commands (HelpCommands.h).

#include "Command.h"

namespace Gui {

class PELMORAGUI_EXPORT StdCmdDlgUserPref : public Command
{
public:
    StdCmdDlgUserPref();
    const char* get_class_name() const override { return "StdCmdDlgUserPref"; }
    void activated(int i) override;
};

class PELMORAGUI_EXPORT StdCmdDlgUserPref2 : public Command
{
public:
    StdCmdDlgUserPref2();
    const char* get_class_name() const override { return "StdCmdDlgUserPref2"; }
    void activated(int i) override;
};

} // namespace Gui
