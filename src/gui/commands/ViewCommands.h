#pragma once
// The commands of the view menus: zoom and framing, the graphics window's docking mode,
// hiding and showing the selected objects, and the display switches (vertices,
// wireframe, mesh) of the current 3D view.

#include "Command.h"

namespace Gui {

class PELMORAGUI_EXPORT StdCmdViewExtents : public Command
{
public:
    StdCmdViewExtents();
    const char* get_class_name() const override { return "StdCmdViewExtents"; }
    bool is_applicable() override;
    void activated(int i) override;
};

// A command that is shown so that menus can name it, but never runs.
class PELMORAGUI_EXPORT DisabledViewCommand : public Command
{
public:
    explicit DisabledViewCommand(const char* name) : Command(name) {}
    bool is_applicable() override { return false; }
    void activated(int) override {}
};

class PELMORAGUI_EXPORT StdViewScreenCapture : public DisabledViewCommand
{
public:
    StdViewScreenCapture();
    const char* get_class_name() const override { return "StdViewScreenCapture"; }
};

// Docked in the document area, a window of its own, or full screen: the choice makes a
// copy of the active 3D view in the new mode and removes the old one.
class PELMORAGUI_EXPORT StdViewWindowDocking : public Command
{
public:
    StdViewWindowDocking();
    const char* get_class_name() const override { return "StdViewWindowDocking"; }
    CommandAction* new_action() override;
    void on_language_changed() override;
    bool is_applicable() override;
    void activated(int i) override;

private:
    void fillTexts(CommandAction* action) const;
};

// Hides the shown and shows the hidden selected objects.  A selected group with a
// selected member is left to the member.
class PELMORAGUI_EXPORT StdCmdVisibility : public Command
{
public:
    StdCmdVisibility();
    const char* get_class_name() const override { return "StdCmdVisibility"; }
    bool is_applicable() override;
    void activated(int i) override;
};

// Hides or shows every selected object: one record per selection entry.
class PELMORAGUI_EXPORT SelectedVisibilityCommand : public Command
{
public:
    // `show`: the show record, else the hide record.
    SelectedVisibilityCommand(const char* name, bool show) : Command(name), showing(show) {}
    bool is_applicable() override;
    void activated(int i) override;

private:
    const bool showing;
};

class PELMORAGUI_EXPORT StdCmdShowSelected : public SelectedVisibilityCommand
{
public:
    StdCmdShowSelected();
    const char* get_class_name() const override { return "StdCmdShowSelected"; }
};

class PELMORAGUI_EXPORT StdCmdHideSelected : public SelectedVisibilityCommand
{
public:
    StdCmdHideSelected();
    const char* get_class_name() const override { return "StdCmdHideSelected"; }
};

class PELMORAGUI_EXPORT StdOrthographicView : public DisabledViewCommand
{
public:
    StdOrthographicView();
    const char* get_class_name() const override { return "StdOrthographicView"; }
    CommandAction* new_action() override;
};

class PELMORAGUI_EXPORT StdPerspectiveView : public DisabledViewCommand
{
public:
    StdPerspectiveView();
    const char* get_class_name() const override { return "StdPerspectiveView"; }
    CommandAction* new_action() override;
};

class PELMORAGUI_EXPORT StdViewZoomIn : public DisabledViewCommand
{
public:
    StdViewZoomIn();
    const char* get_class_name() const override { return "StdViewZoomIn"; }
};

class PELMORAGUI_EXPORT StdViewZoomOut : public DisabledViewCommand
{
public:
    StdViewZoomOut();
    const char* get_class_name() const override { return "StdViewZoomOut"; }
};

class PELMORAGUI_EXPORT StdCmdShowCoordSys : public DisabledViewCommand
{
public:
    StdCmdShowCoordSys();
    const char* get_class_name() const override { return "StdCmdShowCoordSys"; }
};

class PELMORAGUI_EXPORT StdCmdMeasureDistance : public Command
{
public:
    StdCmdMeasureDistance();
    const char* get_class_name() const override { return "StdCmdMeasureDistance"; }
    void activated(int) override {}
};

// A check mark that switches a way of drawing in the active 3D view.
class PELMORAGUI_EXPORT ViewDisplaySwitch : public Command
{
public:
    explicit ViewDisplaySwitch(const char* name) : Command(name) {}
    // Checkable, starting unchecked.
    CommandAction* new_action() override;
    // There is an active 3D view.
    bool is_applicable() override;
};

class PELMORAGUI_EXPORT StdCmdShowVertices : public ViewDisplaySwitch
{
public:
    StdCmdShowVertices();
    const char* get_class_name() const override { return "StdCmdShowVertices"; }
    void activated(int i) override;
};

class PELMORAGUI_EXPORT StdCmdShowWireframe : public ViewDisplaySwitch
{
public:
    StdCmdShowWireframe();
    const char* get_class_name() const override { return "StdCmdShowWireframe"; }
    void activated(int i) override;
};

// Only for projects of the kind that has a mesh.
class PELMORAGUI_EXPORT StdCmdShowMesh : public ViewDisplaySwitch
{
public:
    StdCmdShowMesh();
    const char* get_class_name() const override { return "StdCmdShowMesh"; }
    bool is_applicable() override;
    void activated(int i) override;
};

// Creates the view commands and hands them to `controller` in menu order.
PELMORAGUI_EXPORT void register_view_commands(CommandController& controller);

} // namespace Gui
