#include "TreeWidget.h"

#include "core/GuiProject.h"
#include "core/qPelmoraApplication.h"
#include "mainwindow/MDIWindow.h"
#include "mainwindow/MainWindow.h"
#include "mainwindow/MenuCoordinator.h"
#include "mainwindow/MenuItem.h"
#include "mainwindow/PictureFactory.h"
#include "selection/ProjectItem.h"
#include "selection/ProjectObjectItem.h"
#include "selection/SelectionModification.h"
#include "visualization/ViewFeeder.h"

#include <obj/Application.h>
#include <obj/ObjectStatus.h>
#include <vexil/MsgConsole.h>

#include <QAction>
#include <QActionGroup>
#include <QContextMenuEvent>
#include <QCursor>
#include <QEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QSignalBlocker>
#include <QTimer>

using namespace Gui;

namespace {

const int StatusRefreshMs = 300;

QPixmap& projectPixmap()
{
    static QPixmap pixmap;
    return pixmap;
}

ProjectItem* asProjectItem(QTreeWidgetItem* item)
{
    return item && item->type() == ProjectItem::ItemType ? static_cast<ProjectItem*>(item) : nullptr;
}

ProjectObjectItem* asObjectItem(QTreeWidgetItem* item)
{
    return item && item->type() == ProjectObjectItem::ItemType ? static_cast<ProjectObjectItem*>(item) : nullptr;
}

// The GUI project that shows the object of an object item; null when there is none.
GuiProject* guiProjectOf(ProjectObjectItem* item)
{
    ViewFeederProjectObject* feeder = item ? item->get_feeder() : nullptr;
    Obj::ProjectObject* object = feeder ? feeder->get_object() : nullptr;
    qPelmoraApplication* app = qPelmoraApplication::application();
    if (!object || !object->get_project() || !app)
        return nullptr;
    return app->get_project(object->get_project());
}

} // namespace

TreeWidget::TreeWidget(QWidget* parent)
    : QTreeWidget(parent)
{
    setDragEnabled(false);
    setAcceptDrops(false);
    setDropIndicatorShown(false);
    setRootIsDecorated(false);
    setColumnCount(1);
    header()->hide();

    createGroupAction = new QAction(this);
    createGroupAction->setText(tr("Create group..."));
    createGroupAction->setStatusTip(tr("Create a group of objects"));
    connect(createGroupAction, &QAction::triggered, this, &TreeWidget::onCreateGroup);
    relabelAction = new QAction(this);
    relabelAction->setText(tr("Rename"));
    relabelAction->setStatusTip(tr("Rename object in the tree"));
    relabelAction->setShortcut(Qt::Key_F2);
    connect(relabelAction, &QAction::triggered, this, &TreeWidget::onRelabelObject);
    finishEditingAction = new QAction(this);
    finishEditingAction->setText(tr("Finish editing"));
    finishEditingAction->setStatusTip(tr("Finish editing object"));
    connect(finishEditingAction, &QAction::triggered, this, &TreeWidget::onFinishEditing);

    if (qPelmoraApplication* app = qPelmoraApplication::application()) {
        appConnections.emplace_back(app->signal_new_project.connect(
            [this](const GuiProject& p, ViewFeederProject& f) { slotNewProject(p, f); }));
        appConnections.emplace_back(app->signal_remove_project.connect(
            [this](const GuiProject& p) { slotDeleteProject(p); }));
        appConnections.emplace_back(app->signal_rename_project.connect(
            [this](const GuiProject& p) { slotRenameProject(p); }));
        appConnections.emplace_back(app->signal_current_project.connect(
            [this](const GuiProject& p) { slotActiveProject(p); }));
        appConnections.emplace_back(app->signal_relabel_project.connect(
            [this](const GuiProject& p) { slotRelabelProject(p); }));
    }

    // The object items follow their feeders' status, tool tip and status tip through one
    // connection each for all feeders, not three per item.
    appConnections.emplace_back(ViewFeeder::signal_any_change_status().connect([this](const ViewFeeder& f) {
        if (ProjectObjectItem* item = itemShowing(f))
            item->forceStatusUpdate();
    }));
    appConnections.emplace_back(
        ViewFeeder::signal_any_change_tooltip().connect([this](const ViewFeeder& f, const QString& text) {
            if (ProjectObjectItem* item = itemShowing(f))
                item->setToolTip(0, text);
        }));
    appConnections.emplace_back(
        ViewFeeder::signal_any_change_statustip().connect([this](const ViewFeeder& f, const QString& text) {
            if (ProjectObjectItem* item = itemShowing(f))
                item->setStatusTip(0, text);
        }));

    header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    header()->setStretchLastSection(false);

    rootItem = new QTreeWidgetItem(this, 0);
    rootItem->setText(0, tr("Solution"));
    rootItem->setFlags(Qt::ItemIsEnabled);
    rootItem->setExpanded(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setMouseTracking(true);

    statusTimer = new QTimer(this);
    connect(statusTimer, &QTimer::timeout, this, &TreeWidget::onTestStatus);
    connect(this, &QTreeWidget::itemEntered, this, [this](QTreeWidgetItem* item, int) { onItemEntered(item); });
    connect(this, &QTreeWidget::itemCollapsed, this, &TreeWidget::onItemCollapsed);
    connect(this, &QTreeWidget::itemExpanded, this, &TreeWidget::onItemExpanded);
    // Which object items are selected is followed here, so that a selection change costs
    // what it changes rather than a walk over every item.  The tree's own
    // itemSelectionChanged may come before this bookkeeping, so the sync to the selection
    // starts from here, and like that signal stays quiet while the tree's signals are
    // blocked.
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, &TreeWidget::trackSelection);
    // The levels remembered for the opening limit hold until rows move.
    const auto forgetLevels = [this] { rowsChanged = true; };
    connect(model(), &QAbstractItemModel::rowsInserted, this, forgetLevels);
    connect(model(), &QAbstractItemModel::rowsRemoved, this, forgetLevels);
    connect(model(), &QAbstractItemModel::rowsMoved, this, forgetLevels);
    connect(model(), &QAbstractItemModel::layoutChanged, this, forgetLevels);
    connect(model(), &QAbstractItemModel::modelReset, this, forgetLevels);
    statusTimer->setSingleShot(true);
    statusTimer->start(StatusRefreshMs);

    projectPixmap() = PictureFactory::instance().get_pixmap(":Icons/pelmora_tree_project.svg");
}

TreeWidget::~TreeWidget()
{
    appConnections.clear();
    disconnect_selection();
    // The items go while the tree is whole: they report their going to it.
    projectItems.clear();
    delete rootItem;
    rootItem = nullptr;
    destroying = true;
    // The model goes with QWidget's children, after this part of the tree: what it says
    // then must not reach the tree's own bookkeeping.
    disconnect(model(), nullptr, this, nullptr);
}

void TreeWidget::releaseProjectItems()
{
    projectItems.clear();
    boldItem = nullptr;
    const QList<QTreeWidgetItem*> items = rootItem->takeChildren();
    qDeleteAll(items);
    updateRootText();
}

std::uint64_t& TreeWidget::itemSteps()
{
    return ProjectItem::itemSteps();
}

ProjectItem* TreeWidget::getProjectItem(const GuiProject* project) const
{
    const auto it = projectItems.find(project);
    return it == projectItems.end() ? nullptr : it->second;
}

void TreeWidget::forgetItem(QTreeWidgetItem* item)
{
    if (contextItem == item)
        contextItem = nullptr;
    if (collapsedForRemovals)
        expandedBeforeRemovals.erase(item);
}

ProjectObjectItem* TreeWidget::itemShowing(const ViewFeeder& feeder) const
{
    const auto* objectFeeder = dynamic_cast<const ViewFeederProjectObject*>(&feeder);
    Obj::ProjectObject* object = objectFeeder ? objectFeeder->get_object() : nullptr;
    qPelmoraApplication* app = qPelmoraApplication::application();
    if (!object || !object->get_project() || !app || !app->has_project(object->get_project()))
        return nullptr;
    ProjectItem* projectItem = getProjectItem(app->get_project(object->get_project()));
    ProjectObjectItem* item = projectItem ? projectItem->item_of(*objectFeeder) : nullptr;
    return item && item->get_feeder() == objectFeeder ? item : nullptr;
}

void TreeWidget::setItemsSelected(const QList<QTreeWidgetItem*>& items, bool on)
{
    if (items.isEmpty())
        return;
    QItemSelection selection;
    for (QTreeWidgetItem* item : items) {
        const QModelIndex index = indexFromItem(item, 0);
        selection.select(index, index);
    }
    selectionModel()->select(selection, on ? QItemSelectionModel::Select : QItemSelectionModel::Deselect);
}

void TreeWidget::deselectItems(const QList<QTreeWidgetItem*>& items)
{
    if (items.isEmpty())
        return;
    int selectedRows = 0;
    for (const QItemSelectionRange& range : selectionModel()->selection())
        selectedRows += range.height();
    if (selectedRows == items.size())
        selectionModel()->clearSelection();
    else
        setItemsSelected(items, false);
}

void TreeWidget::trackSelection(const QItemSelection& selected, const QItemSelection& deselected)
{
    auto apply = [this](const QItemSelection& ranges, bool on) {
        for (const QItemSelectionRange& range : ranges) {
            for (int row = range.top(); row <= range.bottom(); ++row) {
                const QModelIndex index = model()->index(row, 0, range.parent());
                if (ProjectObjectItem* item = asObjectItem(itemFromIndex(index)))
                    item->get_owner()->note_selected(item, on);
            }
        }
    };
    apply(deselected, false);
    apply(selected, true);
    if (!signalsBlocked())
        onItemSelectionChanged();
}

void TreeWidget::updateRootText()
{
    const std::size_t n = projectItems.size();
    std::string text = "Solution (" + std::to_string(n) + (n < 2 ? " project)" : " projects)");
    rootItem->setText(0, tr(text.c_str()));
}

// ---------------------------------------------------------------------------------------
// Projects

void TreeWidget::slotNewProject(const GuiProject& project, ViewFeederProject& feeder)
{
    auto* gui = const_cast<GuiProject*>(&project);
    // A second announcement of the same project replaces its item.
    if (ProjectItem* old = getProjectItem(&project)) {
        projectItems.erase(&project);
        if (boldItem == old)
            boldItem = nullptr;
        delete old;
    }
    auto* item = new ProjectItem(this, gui, &feeder, rootItem);   // expands with its first object
    item->setIcon(0, projectPixmap());
    if (Obj::Project* logic = gui->get_project())
        item->setText(0, QString::fromUtf8(logic->getProjectName()));
    projectItems[&project] = item;
    updateRootText();
}

void TreeWidget::slotDeleteProject(const GuiProject& project)
{
    const auto it = projectItems.find(&project);
    if (it == projectItems.end())
        return;
    noteProjectRemoval();
    ProjectItem* item = it->second;
    projectItems.erase(it);
    if (boldItem == item)
        boldItem = nullptr;
    rootItem->removeChild(item);
    delete item;
    updateRootText();
}

// The view keeps a persistent index per expanded item, and every row taken out of the
// tree walks all of them: closing thousands of projects at once (all windows closed,
// another project file opened over them) cost in proportion to the square of their
// number.  So when a second project goes before the event loop turns, the tree is
// collapsed, without telling the objects' feeders, and what was expanded and is still
// there is expanded again when the loop turns.  Each item still goes when its project
// does: a project whose view refuses to close keeps its item, as it was.
void TreeWidget::noteProjectRemoval()
{
    if (removalsThisTurn++ == 0) {
        QMetaObject::invokeMethod(this, [this] { endRemovals(); }, Qt::QueuedConnection);
        return;
    }
    if (!collapsedForRemovals)
        collapseForRemovals();
}

void TreeWidget::collapseForRemovals()
{
    std::vector<QTreeWidgetItem*> pending{rootItem};
    while (!pending.empty()) {
        QTreeWidgetItem* item = pending.back();
        pending.pop_back();
        if (item->childCount() == 0)
            continue;
        if (item->isExpanded())
            expandedBeforeRemovals.emplace(item, true);
        for (int i = 0; i < item->childCount(); ++i)
            pending.push_back(item->child(i));
    }
    collapsedForRemovals = true;
    // Nothing shows the tree collapsed meanwhile.
    updatesBeforeRemovals = updatesEnabled();
    setUpdatesEnabled(false);
    const QSignalBlocker blocker(this);
    collapseAll();
}

void TreeWidget::endRemovals()
{
    removalsThisTurn = 0;
    if (!collapsedForRemovals)
        return;
    collapsedForRemovals = false;
    {
        const QSignalBlocker blocker(this);
        for (const auto& entry : expandedBeforeRemovals)
            entry.first->setExpanded(true);
    }
    expandedBeforeRemovals.clear();
    setUpdatesEnabled(updatesBeforeRemovals);
}

void TreeWidget::slotRelabelProject(const GuiProject& project)
{
    ProjectItem* item = getProjectItem(&project);
    if (!item)
        return;
    if (Obj::Project* logic = project.get_project())
        item->setText(0, QString::fromUtf8(logic->getProjectName()));
}

void TreeWidget::slotActiveProject(const GuiProject& project)
{
    ProjectItem* item = getProjectItem(&project);
    if (!item || item == boldItem)
        return;
    // Only the items that change: activating is done once per opened file.
    const auto setWeight = [](ProjectItem* target, int weight) {
        QFont font = target->font(0);
        font.setWeight(weight);
        target->setFont(0, font);
    };
    // The view hears of it as a layout to do once the event loop turns, not as changed
    // rows: told of a row just after it was laid out, the view measures the text of every
    // row above that row to find it.  Opening a file of thousands of projects activates
    // each project's window in turn, and over open projects that measured every row once
    // per project.
    {
        const QSignalBlocker quiet(model());
        if (boldItem)
            setWeight(boldItem, 50);
        boldItem = item;
        setWeight(item, 75);
    }
    scheduleDelayedItemsLayout();
}

// ---------------------------------------------------------------------------------------
// Selection

void TreeWidget::onItemSelectionChanged()
{
    if (isTreeConnectionBlocked())
        return;
    const bool was = blockTreeConnection(true);
    for (const auto& entry : projectItems)
        entry.second->updateSelection();
    blockTreeConnection(was);
}

void TreeWidget::on_selection_modified(const SelectionModification& change)
{
    if (change.source == 1)
        return;
    if (change.kind == SelectionModification::ClearSelection && !(change.project_name && *change.project_name)) {
        // Everything: the items follow, and writing the empty selection back is harmless.
        clearSelection();
        update();
        return;
    }
    qPelmoraApplication* app = qPelmoraApplication::application();
    GuiProject* gui = app && change.project_name ? app->get_project(change.project_name) : nullptr;
    ProjectItem* item = getProjectItem(gui);
    const bool was = blockTreeConnection(true);
    if (item) {
        switch (change.kind) {
        case SelectionModification::AddSelection:
            item->setItemSelected(change.object_id, true);
            break;
        case SelectionModification::RemoveSelection:
            item->setItemSelected(change.object_id, false);
            break;
        case SelectionModification::SetSelection:
            item->selectItems();
            break;
        case SelectionModification::ClearSelection:
            item->clearSelection();
            update();
            break;
        default:
            break;
        }
    }
    blockTreeConnection(was);
}

// ---------------------------------------------------------------------------------------
// Slots

void TreeWidget::onCreateGroup() {}
void TreeWidget::onSetPhysicsType(QAction*) {}

void TreeWidget::onRelabelObject()
{
    if (QTreeWidgetItem* item = currentItem())
        editItem(item, 0);
}

void TreeWidget::activateViewOf(GuiProject* project)
{
    MDIWindow* view = project ? project->getActiveView() : nullptr;
    MainWindow* mw = MainWindow::get_main_window_inst();
    if (view && mw)
        mw->setActiveWindow(view);
}

void TreeWidget::onActivateProject(QAction* action)
{
    qPelmoraApplication* app = qPelmoraApplication::application();
    if (!action || !app)
        return;
    const QByteArray name = action->data().toByteArray();
    activateViewOf(app->get_project(name.constData()));
}

void TreeWidget::onStartEditing()
{
    auto* action = qobject_cast<QAction*>(sender());
    ProjectObjectItem* item = asObjectItem(contextItem);
    if (!action || !item || !item->get_feeder() || !item->get_feeder()->get_object())
        return;
    GuiProject* gui = guiProjectOf(item);
    if (!gui)
        return;
    activateViewOf(gui);
    gui->setEdit(item->get_feeder(), action->data().toInt());
}

void TreeWidget::onFinishEditing()
{
    ProjectObjectItem* item = asObjectItem(contextItem);
    if (!item || !item->get_feeder() || !item->get_feeder()->get_object())
        return;
    GuiProject* gui = guiProjectOf(item);
    if (!gui)
        return;
    gui->resetEdit();
    if (Obj::Project* project = gui->get_project())
        project->refresh();
}

void TreeWidget::onItemEntered(QTreeWidgetItem* item)
{
    if (ProjectObjectItem* objectItem = asObjectItem(item))
        objectItem->displayStatusInfo();
}

void TreeWidget::onItemCollapsed(QTreeWidgetItem* item)
{
    if (ProjectObjectItem* objectItem = asObjectItem(item))
        objectItem->setExpandedStatus(false);
}

void TreeWidget::onItemExpanded(QTreeWidgetItem* item)
{
    // However it was asked for (a click, a key, a selection shown, a command), an item
    // too deep is closed again before the view lays the tree out.
    if (levelOf(item) > MaxOpenLevel) {
        refuseOpening(item);
        return;
    }
    if (ProjectObjectItem* objectItem = asObjectItem(item))
        objectItem->setExpandedStatus(true);
}

int TreeWidget::levelOf(const QTreeWidgetItem* item)
{
    if (rowsChanged) {
        rowsChanged = false;
        levels.clear();
    }
    // Up to the first item whose level is known, or to the top; then down again.
    std::vector<const QTreeWidgetItem*> path;
    int above = -1;
    for (const QTreeWidgetItem* up = item; up; up = up->parent()) {
        const auto known = levels.find(up);
        if (known != levels.end()) {
            above = known->second;
            break;
        }
        path.push_back(up);
    }
    int level = above;
    for (auto it = path.rbegin(); it != path.rend(); ++it)
        levels.emplace(*it, ++level);
    return level;
}

bool TreeWidget::expandBelow(QTreeWidgetItem* top)
{
    // Laid out once, when all are open, rather than for each.
    scheduleDelayedItemsLayout();
    bool whole = true;
    std::vector<std::pair<QTreeWidgetItem*, int>> pending{{top, levelOf(top)}};
    while (!pending.empty()) {
        QTreeWidgetItem* item = pending.back().first;
        const int level = pending.back().second;
        pending.pop_back();
        if (item->childCount() == 0)
            continue;
        if (level > MaxOpenLevel) {
            whole = false;
            continue;
        }
        item->setExpanded(true);
        for (int i = 0; i < item->childCount(); ++i)
            pending.emplace_back(item->child(i), level + 1);
    }
    return whole;
}

void TreeWidget::refuseOpening(QTreeWidgetItem* item)
{
    const QSignalBlocker quiet(this);
    item->setExpanded(false);
    tellOpeningLimit();
}

void TreeWidget::tellOpeningLimit()
{
    // Once for all the items refused before the event loop turns.
    if (limitTold)
        return;
    limitTold = true;
    QMetaObject::invokeMethod(this, [this] { limitTold = false; }, Qt::QueuedConnection);
    Vexil::MsgConsoleSingleton::Instance().Warning(
        "The project tree opens groups only down to %d levels below their project; deeper ones stay closed.\n",
        MaxOpenLevel);
}

void TreeWidget::onTestStatus()
{
    if (isVisible()) {
        // The column is sized to its contents: told of each changed icon, the view would
        // measure the whole column again for each.  It hears of them once, at the end.
        bool changed = false;
        {
            const QSignalBlocker quiet(model());
            for (const auto& entry : projectItems)
                changed = entry.second->testStatus() || changed;
        }
        if (changed) {
            scheduleDelayedItemsLayout();
            viewport()->update();
        }
    }
    statusTimer->start(StatusRefreshMs);
}

// ---------------------------------------------------------------------------------------
// Events

void TreeWidget::mouseDoubleClickEvent(QMouseEvent* event)
{
    QTreeWidgetItem* item = itemAt(event->pos());
    if (ProjectItem* projectItem = asProjectItem(item)) {
        activateViewOf(projectItem->get_gui_project());
        return;
    }
    ProjectObjectItem* objectItem = asObjectItem(item);
    if (!objectItem)
        return;
    activateViewOf(guiProjectOf(objectItem));
    ViewFeederProjectObject* feeder = objectItem->get_feeder();
    if (!feeder || !feeder->on_double_clicked())
        QTreeView::mouseDoubleClickEvent(event);
}

void TreeWidget::keyPressEvent(QKeyEvent* event)
{
    QTreeWidgetItem* item = currentItem();
    if (event->key() != Qt::Key_Asterisk || !item || state() == EditingState || !itemsExpandable()) {
        QTreeWidget::keyPressEvent(event);
        return;
    }
    if (!expandBelow(item))
        tellOpeningLimit();
    // What the view does with any other key (the key's text searches the rows).
    QAbstractItemView::keyPressEvent(event);
}

void TreeWidget::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu menu;
    QMenu subMenu;
    auto* group = new QActionGroup(&subMenu);
    group->setExclusive(true);
    connect(group, &QActionGroup::triggered, this, &TreeWidget::onActivateProject);

    contextItem = itemAt(event->pos());
    if (!contextItem)
        return;
    ProjectItem* projectItem = asProjectItem(contextItem);
    ProjectObjectItem* objectItem = asObjectItem(contextItem);
    MenuCoordinator* coordinator = MenuCoordinator::getInstance();

    if (selectedItems().size() == 1) {
        const ViewFeeder* feeder = nullptr;
        if (projectItem)
            feeder = projectItem->get_project_feeder();
        else if (objectItem)
            feeder = objectItem->get_feeder();
        if (feeder) {
            MenuItem view;
            feeder->build_context_menu("ViewFeeder", &view);
            coordinator->build_context_menu(&view, menu);
            menu.addSeparator();
        }
    }

    MenuItem tree;
    if (qPelmoraApplication* app = qPelmoraApplication::application())
        app->build_context_menu("Tree", &tree);
    coordinator->add_context_menu(&tree, menu);

    if (projectItem || objectItem) {
        if (!menu.actions().isEmpty())
            menu.addSeparator();
        menu.addAction(relabelAction);
    }

    if (projectItem) {
        ViewFeederProject* feeder = projectItem->get_project_feeder();
        Obj::Project* shown = feeder ? feeder->get_project() : nullptr;
        if (!shown)
            return;
        Obj::Application* logic = Obj::Application::_pcSingleton;
        if (shown->kind == 1 && logic && logic->get_projects().size() > 2) {
            subMenu.setTitle(tr("Activate project"));
            Obj::Project* current = logic->get_current_project();
            for (Obj::Project* p : logic->get_projects()) {
                if (p->kind == 2 || p->kind == 3)
                    continue;
                const QString label = QString::fromUtf8(p->getProjectName());
                // An "&" in a label is shown, not taken for a mnemonic.
                QAction* action = subMenu.addAction(QString(label).replace(QLatin1Char('&'), QStringLiteral("&&")));
                action->setCheckable(true);
                action->setStatusTip(tr("Activate project %1").arg(label));
                action->setData(QByteArray(p->get_name()));
                action->setChecked(p == current);
                group->addAction(action);
            }
            menu.addMenu(&subMenu);
        }
    }

    if (!menu.actions().isEmpty())
        menu.exec(QCursor::pos());
}

void TreeWidget::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange) {
        headerItem()->setText(0, tr("Labels & Attributes"));
        if (rootItem)
            rootItem->setText(0, tr("Solution"));
    }
    QTreeWidget::changeEvent(event);
}
