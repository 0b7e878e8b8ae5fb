#pragma once
// The graphics commands that open the scalar bar panel and the clip planes dialog on
// the current project.

#include "Command.h"

namespace Gui {

class PELMORAGUI_EXPORT StdCmdScalarBar : public Command
{
public:
    StdCmdScalarBar();
    const char* get_class_name() const override { return "StdCmdScalarBar"; }
    bool is_applicable() override;
    void activated(int i) override;
};

class PELMORAGUI_EXPORT StdCmdClipWidget : public Command
{
public:
    StdCmdClipWidget();
    const char* get_class_name() const override { return "StdCmdClipWidget"; }
    // A 3D view of a project with a 3D scene is active.
    bool is_applicable() override;
    void activated(int i) override;
};

PELMORAGUI_EXPORT void register_clip_and_scalar_bar_commands(CommandController& controller);

} // namespace Gui
