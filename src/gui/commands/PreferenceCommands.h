#pragma once
// The two commands that open the preferences: "Std_DlgUserPref" (the older modal shell)
// and "Std_DlgUserPref2" (the paged, modeless preferences dialog).

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

// Creates both commands and hands them to `controller`.
PELMORAGUI_EXPORT void register_preference_commands(CommandController& controller);

} // namespace Gui
