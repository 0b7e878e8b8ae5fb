#include "SelectionListener.h"

#include "selection/TreeSelectionSingleton.h"

#include <obj/CDocObjProp.h>

using namespace Gui;

SelectionListener::SelectionListener()
{
    connect_selection();
}

SelectionListener::~SelectionListener()
{
    disconnect_selection();
}

void SelectionListener::connect_selection()
{
    TreeSelectionSingleton& tree = TreeSelectionSingleton::instance();
    selectionConnection.disconnect();
    selectionConnection = tree.selection_signal.connect(
        [this](const SelectionModification& change) { on_selection_modified(change); });
    propertyConnection.disconnect();
    propertyConnection = tree.property_signal.connect(
        [this](const Obj::CDocObjProp& prop) { on_property_modified(prop); });
}

void SelectionListener::disconnect_selection()
{
    selectionConnection.disconnect();
    propertyConnection.disconnect();
    extraConnection.disconnect();
}

bool SelectionListener::blockTreeConnection(bool on)
{
    const bool was = treeBlocked;
    treeBlocked = on;
    return was;
}

bool SelectionListener::blockEntityConnection(bool on)
{
    const bool was = entityBlocked;
    entityBlocked = on;
    return was;
}
