#pragma once
// The commands that set what a click in the active 3D view picks: one entity kind at a
// time (volume or element, face, edge, vertex or node), nothing or whole shapes, and
// whether the entity under the mouse is marked before the click.

#include "Command.h"

namespace Gui {

// The four entity modes behave as one exclusive group: checking one unchecks the others,
// each of which then switches its own mode off in the view.
class PELMORAGUI_EXPORT SelectEntityCommand : public Command
{
public:
    // `mode` is the view's selection mode of the entity, `entity` its entity type;
    // `checked` the starting state of the entry.
    SelectEntityCommand(const char* name, int mode, int entity, bool checked);
    CommandAction* new_action() override;
    bool is_applicable() override;
    void activated(int i) override;

private:
    const int mode;
    const int entity;
    const bool startsChecked;
};

class PELMORAGUI_EXPORT StdSelectVolumeOrElem : public SelectEntityCommand
{
public:
    StdSelectVolumeOrElem();
    const char* get_class_name() const override { return "StdSelectVolumeOrElem"; }
};

class PELMORAGUI_EXPORT StdSelectFace : public SelectEntityCommand
{
public:
    StdSelectFace();
    const char* get_class_name() const override { return "StdSelectFace"; }
};

class PELMORAGUI_EXPORT StdSelectEdge : public SelectEntityCommand
{
public:
    StdSelectEdge();
    const char* get_class_name() const override { return "StdSelectEdge"; }
};

class PELMORAGUI_EXPORT StdSelectVertexOrNode : public SelectEntityCommand
{
public:
    StdSelectVertexOrNode();
    const char* get_class_name() const override { return "StdSelectVertexOrNode"; }
};

// A checkable entry of the group that sets the group's selection type.
class PELMORAGUI_EXPORT SelectGroupCommand : public Command
{
public:
    explicit SelectGroupCommand(const char* name);
    CommandAction* new_action() override;
};

class PELMORAGUI_EXPORT StdSelectNone : public SelectGroupCommand
{
public:
    StdSelectNone();
    const char* get_class_name() const override { return "StdSelectNone"; }
    bool is_applicable() override;
    void activated(int i) override;
};

class PELMORAGUI_EXPORT StdSelectShape : public SelectGroupCommand
{
public:
    StdSelectShape();
    const char* get_class_name() const override { return "StdSelectShape"; }
    bool is_applicable() override;
    void activated(int i) override;
};

// Mesh selection is not offered: the entry is never enabled.
class PELMORAGUI_EXPORT StdSelectMesh : public SelectGroupCommand
{
public:
    StdSelectMesh();
    const char* get_class_name() const override { return "StdSelectMesh"; }
    bool is_applicable() override { return false; }
    void activated(int) override {}
};

// One button offering shape or mesh selection.
class PELMORAGUI_EXPORT CmdGeometrySelectionTools : public Command
{
public:
    CmdGeometrySelectionTools();
    const char* get_class_name() const override { return "CmdGeometrySelectionTools"; }
    CommandAction* new_action() override;
    bool is_applicable() override;
    void activated(int i) override;
};

class PELMORAGUI_EXPORT StdEnablePreSelect : public Command
{
public:
    StdEnablePreSelect();
    const char* get_class_name() const override { return "StdEnablePreSelect"; }
    CommandAction* new_action() override;
    bool is_applicable() override;
    void activated(int i) override;
};

// Creates the selection commands and hands them to `controller` in menu order.
PELMORAGUI_EXPORT void register_selection_commands(CommandController& controller);

} // namespace Gui
