#pragma once
// The project explorer's tree: the solution root, one item per GUI project and one per
// project object, kept in step with the tree selection in both directions without echo,
// with a context menu from the clicked item's feeder and the module's "Tree" menu.

#include "PelmoraGuiExport.h"
#include "selection/SelectionListener.h"

#include <boost/signals2/connection.hpp>
#include <counted/CountedSteps.h>

#include <QTreeWidget>

#include <cstdint>
#include <vector>

class QAction;
class QItemSelection;
class QTimer;

namespace Gui {

class GuiProject;
class ProjectItem;
class ProjectObjectItem;
class ViewFeeder;
class ViewFeederProject;

class PELMORAGUI_EXPORT TreeWidget : public QTreeWidget, public SelectionListener
{
    Q_OBJECT
public:
    explicit TreeWidget(QWidget* parent = nullptr);
    ~TreeWidget() override;

    // How deep the tree opens groups: an item this many levels below its project's item
    // (a top-level object is one level below) is shown, but stays closed.  The view lays out the open
    // levels recursively, a few hundred bytes of stack each: a chain of tens of thousands
    // of nested groups opened whole overflowed the stack.
    static constexpr int MaxOpenLevel = 1000;

    // Selects or deselects the items in one call of the selection model.
    void setItemsSelected(const QList<QTreeWidgetItem*>& items, bool on);
    // Deselects the items; when they are all that is selected, in one clear, which does
    // not depend on how scattered they are.
    void deselectItems(const QList<QTreeWidgetItem*>& items);
    void updateRootText();
    // Lets go of every project's item at once, as one removal from the view: for the main
    // window's end, when all projects close one after another and taking each item out
    // alone would cost in proportion to the items left.
    void releaseProjectItems();

    QTreeWidgetItem* getRootItem() const { return rootItem; }
    ProjectItem* getProjectItem(const GuiProject* project) const;
    // The item of the last context-menu request; null once that item is gone.
    QTreeWidgetItem* getContextItem() const { return contextItem; }
    QAction* getRelabelAction() const { return relabelAction; }

    void on_selection_modified(const SelectionModification& change) override;
    void on_property_modified(const Obj::CDocObjProp&) override {}

public Q_SLOTS:
    void onCreateGroup();
    void onRelabelObject();
    void onActivateProject(QAction* action);
    void onSetPhysicsType(QAction* action);
    void onStartEditing();
    void onFinishEditing();
    void onItemSelectionChanged();
    void onItemEntered(QTreeWidgetItem* item);
    void onItemCollapsed(QTreeWidgetItem* item);
    void onItemExpanded(QTreeWidgetItem* item);
    void onTestStatus();

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    // "*" opens the current item and everything below it, down to MaxOpenLevel.
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    friend class ProjectItem;
    friend class ProjectObjectItem;
    void slotNewProject(const GuiProject& project, ViewFeederProject& feeder);
    void slotDeleteProject(const GuiProject& project);
    void slotRenameProject(const GuiProject&) {}
    void slotActiveProject(const GuiProject& project);
    void slotRelabelProject(const GuiProject& project);
    void trackSelection(const QItemSelection& selected, const QItemSelection& deselected);
    // Called by every item of ours as it goes.
    void forgetItem(QTreeWidgetItem* item);
    // The object item that shows the feeder, found by project and object id; null if none.
    ProjectObjectItem* itemShowing(const ViewFeeder& feeder) const;
    void activateViewOf(GuiProject* project);
    // Before a project's item goes: the second one to go before the event loop turns
    // collapses the whole tree until it turns (see collapseForRemovals).
    void noteProjectRemoval();
    void collapseForRemovals();
    void endRemovals();
    // Levels below the solution's root: 0 for the root, 1 for a project, 2 for its
    // top-level objects.  Remembered until the tree's rows change.
    int levelOf(const QTreeWidgetItem* item);
    // Opens `item` and all below it that may be opened; false when some could not.
    bool expandBelow(QTreeWidgetItem* item);
    // Closes an item opened deeper than MaxOpenLevel, and says why.
    void refuseOpening(QTreeWidgetItem* item);
    // Says on the console, once before the event loop turns, how deep the tree opens.
    void tellOpeningLimit();
    // The project items' count of tree items stepped over (ProjectItem::itemSteps()): the
    // tables below count every entry they reach in it.
    static std::uint64_t& itemSteps();

    QAction* createGroupAction;
    QAction* relabelAction;
    QAction* finishEditingAction;
    QTreeWidgetItem* contextItem = nullptr;
    QTreeWidgetItem* rootItem = nullptr;
    QTimer* statusTimer;
    Counted::Map<const GuiProject*, ProjectItem*, &TreeWidget::itemSteps> projectItems;
    // The item of the active project, shown in bold.
    ProjectItem* boldItem = nullptr;
    std::vector<boost::signals2::scoped_connection> appConnections;
    bool destroying = false;
    // Projects whose items went since the event loop last turned.
    int removalsThisTurn = 0;
    // While many projects go, the items that were expanded, shown expanded again when the
    // event loop turns; those that go meanwhile leave the set.
    bool collapsedForRemovals = false;
    bool updatesBeforeRemovals = true;
    Counted::HashMap<QTreeWidgetItem*, bool, &TreeWidget::itemSteps> expandedBeforeRemovals;
    Counted::HashMap<const QTreeWidgetItem*, int, &TreeWidget::itemSteps> levels;
    bool rowsChanged = false;
    bool limitTold = false;
};

} // namespace Gui
