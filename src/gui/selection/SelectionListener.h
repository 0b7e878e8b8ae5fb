#pragma once
// Mix-in through which a widget follows the tree selection: it connects itself to the
// tree selection's change and property signals and is told of every emission.

#include "PelmoraGuiExport.h"

#include <boost/signals2/connection.hpp>

namespace Obj { struct CDocObjProp; }

namespace Gui {

struct SelectionModification;

class PELMORAGUI_EXPORT SelectionListener
{
public:
    SelectionListener();
    virtual ~SelectionListener();
    SelectionListener(const SelectionListener&) = delete;
    SelectionListener& operator=(const SelectionListener&) = delete;

    virtual void on_selection_modified(const SelectionModification& change) = 0;
    virtual void on_property_modified(const Obj::CDocObjProp&) {}

    // Replaces the two connections (never connects twice).
    void connect_selection();
    void disconnect_selection();

    // Plain flags for the subclass; each setter returns the previous value.
    bool blockTreeConnection(bool on);
    bool blockEntityConnection(bool on);
    bool isTreeConnectionBlocked() const { return treeBlocked; }
    bool isEntityConnectionBlocked() const { return entityBlocked; }

protected:
    boost::signals2::connection selectionConnection;
    boost::signals2::connection propertyConnection;
    // Free for subclasses; released with the others.
    boost::signals2::connection extraConnection;

private:
    bool treeBlocked = false;
    bool entityBlocked = false;
};

} // namespace Gui
