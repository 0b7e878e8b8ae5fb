#pragma once
// The tree item of one project object: the feeder's icon with a status overlay, the
// object's label as text (edits go back to the logic), and its status message.
//
// Icon and text are read from the feeder and the object when asked for (when drawn), not
// copied into each of thousands of items, until the item is given its own.

#include "PelmoraGuiExport.h"

#include <QTreeWidgetItem>

namespace Gui {

class ProjectItem;
class ViewFeederProjectObject;

class PELMORAGUI_EXPORT ProjectObjectItem : public QTreeWidgetItem
{
public:
    enum { ItemType = 1001 };

    // Not placed yet: the project item fills it in and then appends it.
    ProjectObjectItem(ViewFeederProjectObject* feeder, ProjectItem* owner);
    ~ProjectObjectItem() override;

    ViewFeederProjectObject* get_feeder() const { return feeder; }
    ProjectItem* get_owner() const { return owner; }
    // The id the item is kept under by its project item.
    unsigned int key() const { return keyId; }

    // True when the icon changed.
    bool testStatus();
    void forceStatusUpdate();
    void displayStatusInfo();
    void setExpandedStatus(bool on);
    // The overlay bits of the object's state: 32 suppressed, 16 state 2, 8 state 0,
    // 4 state 1, 2 state 4, 1 state 3; -1 without object.
    int statusMask() const;

    // The object's label changed: the item shows it (a text of its own is dropped).
    void showLabel();

    void setData(int column, int role, const QVariant& value) override;
    QVariant data(int column, int role) const override;

private:
    friend class ProjectItem;
    int previousStatus = -1;
    bool ownIcon = false;
    bool ownText = false;
    ViewFeederProjectObject* feeder;
    ProjectItem* owner;
    unsigned int keyId = 0;
    bool selected = false;
};

} // namespace Gui
