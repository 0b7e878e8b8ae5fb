#pragma once
// A node of a toolbar tree: the root's children are toolbars named by their command,
// their children the commands they show ("Separator" for a separator).

#include "mainwindow/MenuItem.h"

namespace Gui {

class PELMORAGUI_EXPORT ToolBarGadget : public CommandTreeNode<ToolBarGadget>
{
public:
    ToolBarGadget() = default;
    explicit ToolBarGadget(ToolBarGadget* parent) : CommandTreeNode<ToolBarGadget>(parent) {}

    void clear() { clear_nodes(); }
    unsigned count() const { return node_count(); }
    ToolBarGadget* copy() const { return copy_node(); }

    using CommandTreeNode<ToolBarGadget>::operator<<;
};

} // namespace Gui
