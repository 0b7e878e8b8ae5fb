#pragma once
// The tree item of one GUI project: follows the project's nine object signals, keeps one
// object item per object id, and carries the project's selection between the tree and
// the tree selection.

#include "PelmoraGuiExport.h"
#include "core/ObjectModes.h"
#include "core/OpenHashMap.h"

#include <boost/signals2/connection.hpp>

#include <counted/CountedSteps.h>

#include <QTreeWidgetItem>

#include <cstdint>
#include <functional>
#include <map>
#include <unordered_set>
#include <vector>

namespace Obj { class ProjectObject; class Property; }

namespace Gui {

class GuiProject;
class ProjectObjectItem;
class TreeWidget;
class ViewFeederProject;
class ViewFeederProjectObject;

class PELMORAGUI_EXPORT ProjectItem : public QTreeWidgetItem
{
public:
    enum { ItemType = 1000 };

    ProjectItem(TreeWidget* tree, GuiProject* guiProject, ViewFeederProject* projectFeeder, QTreeWidgetItem* parent);
    ~ProjectItem() override;

    GuiProject* get_gui_project() const { return guiProject; }
    ViewFeederProject* get_project_feeder() const { return projectFeeder; }
    ProjectObjectItem* object_item(unsigned int id) const;
    std::size_t object_item_count() const { return objectItems.size(); }
    // How many tree items the project items of this thread have stepped over (made, placed,
    // searched for among their siblings, moved, walked) since it started: a plain count of
    // the work, the same on every run, by which a test sees that opening n objects costs
    // about n steps.
    static std::uint64_t itemsVisited();
    // That count, kept also by the items held during a paste and by child(): every item a
    // walk over them reaches is in it.
    static std::uint64_t& itemSteps();

    // The object item in `row`, counted as one item reached: a walk over the project's
    // children through it is seen by itemsVisited().
    QTreeWidgetItem* child(int row) const
    {
        ++itemSteps();
        return QTreeWidgetItem::child(row);
    }

    // Selection, both ways.
    void clearSelection();
    void setItemSelected(unsigned int id, bool on);
    void selectItems();
    void updateSelection();
    // True when an item's icon changed.
    bool testStatus();

    void setData(int column, int role, const QVariant& value) override;

    // The nine GUI project signals.
    void slot_create_object(const ViewFeederProjectObject& feeder);
    void slot_delete_object(const ViewFeederProjectObject& feeder);
    void slot_change_object(const ViewFeederProjectObject& feeder, const Obj::Property& property);
    void slot_rename_object(const ViewFeederProjectObject& feeder);
    void slot_activate_object(const ViewFeederProjectObject& feeder);
    void slot_in_edit(const ViewFeederProjectObject& feeder);
    void slot_reset_edit(const ViewFeederProjectObject& feeder);
    void slot_highlight_object(const ViewFeederProjectObject& feeder, const HighlightMode& mode, bool on);
    void slot_expand_object(const ViewFeederProjectObject& feeder, const TreeItemMode& mode);
    // While objects are pasted, their items are built into a branch out of the view, and
    // the branch joins the view at once when the paste ends: every item moved in the view
    // walks each open row's persistent index, so following the paste object by object
    // cost in proportion to the open rows for every member list set.
    void slot_pasting(bool begins);

private:
    friend class ProjectObjectItem;
    friend class TreeWidget;
    ProjectObjectItem* item_of(const ViewFeederProjectObject& feeder) const;
    // Per item, the items of the objects that claim its object as a descendant, for a
    // new parent when its own goes; found for all the items at once.
    std::vector<std::vector<ProjectObjectItem*>> findParentItems(const std::vector<ProjectObjectItem*>& items) const;
    // Puts items at the project's top level: held out of the view while a paste goes on.
    void addTopLevel(const QList<QTreeWidgetItem*>& items);
    // Shows a new top-level item, in its place by tree order.
    void placeTopLevel(ProjectObjectItem* item);
    // Kept by the tree's selection-model listener.
    void note_selected(ProjectObjectItem* item, bool on);
    void item_destroyed(ProjectObjectItem* item);
    // Runs a rename the logic may refuse; a refusal is said on the console and gives false.
    // Nothing may leave through the view's editor code, which would stop committing any
    // later edit.
    static bool renamed(const std::function<void()>& rename);

    TreeWidget* tree;
    GuiProject* guiProject;
    ViewFeederProject* projectFeeder;
    // Counted in itemSteps(): every entry a look-up or a walk reaches.
    OpenHashMap<unsigned int, ProjectObjectItem*, &ProjectItem::itemSteps> objectItems;
    // A project opens expanded, but only once it has a first object: the tree view keeps
    // a persistent index per expanded item, and every row taken out of the tree walks all
    // of them, so thousands of expanded empty projects made closing them quadratic.
    bool expandOnFirstObject = true;
    // The row an item was last taken from among its siblings: where the next one is looked
    // for first.
    int takenRow = 0;
    // Ordered by id: the selection is handed on in that order.
    std::map<unsigned int, ProjectObjectItem*> selectedItems;
    std::vector<boost::signals2::scoped_connection> connections;
    // Pastes going on, and the items made meanwhile, in the order made; those still
    // without a parent when the last paste ends are the branch's top.
    int pastes = 0;
    Counted::Vector<QTreeWidgetItem*, &ProjectItem::itemSteps> held;
    std::unordered_set<const QTreeWidgetItem*> heldSet;
};

} // namespace Gui
