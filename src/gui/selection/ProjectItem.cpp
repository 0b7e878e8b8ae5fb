#include "ProjectItem.h"

#include "core/GuiProject.h"
#include "core/qPelmoraApplication.h"
#include "selection/ProjectObjectItem.h"
#include "selection/TreeSelectionSingleton.h"
#include "selection/TreeWidget.h"
#include "visualization/ViewFeeder.h"

#include <obj/Project.h>
#include <obj/ProjectFile.h>
#include <obj/Property.h>
#include <vexil/MsgConsole.h>

#include <QBrush>
#include <QColor>
#include <QFont>

#include <algorithm>
#include <cstring>
#include <exception>
#include <stdexcept>
#include <unordered_map>
#include <unordered_set>

using namespace Gui;

namespace {

// Whether `item` lies inside `ancestor`'s subtree (or is it).  Walks up the parents only:
// as deep as the tree, not as wide.
bool holds(const QTreeWidgetItem* ancestor, const QTreeWidgetItem* item)
{
    for (const QTreeWidgetItem* up = item; up; up = up->parent()) {
        ++ProjectItem::itemSteps();
        if (up == ancestor)
            return true;
    }
    return false;
}

// Takes `item` out of `parent`, looking for it from both ends of the children and from
// both sides of `near` at once, and leaves in `near` the row it was taken from.  The
// member a group takes is nearly always near one end of its project's list (a chain of
// groups, listed either way round, takes them from the front or from the back) or next to
// the one taken before it: a file's groups take their members in turn, each from behind
// the groups that took theirs already, where looking from the ends only passed every one
// of those groups for each member.
void takeOut(QTreeWidgetItem* parent, QTreeWidgetItem* item, int& near)
{
    const int count = parent->childCount();
    const auto take = [&](int row) {
        parent->takeChild(row);
        near = row;
    };
    const int hint = std::min(std::max(near, 0), count - 1);
    // The ends alone reach every row by the time they meet.
    for (int step = 0, front = 0, back = count - 1; front <= back; ++step, ++front, --back) {
        ProjectItem::itemSteps() += 4;
        if (parent->child(back) == item)
            return take(back);
        if (parent->child(front) == item)
            return take(front);
        if (hint - step >= 0 && parent->child(hint - step) == item)
            return take(hint - step);
        if (hint + step < count && parent->child(hint + step) == item)
            return take(hint + step);
    }
}

// Deletes items that are in no view, with everything they hold, deepest first.  The
// item's own destructor deletes its children recursively, two stack frames a level, which
// a chain of tens of thousands of nested groups overflows.
void deleteItems(const QList<QTreeWidgetItem*>& items)
{
    // Every item before those it holds, and each item's children in their order.
    std::vector<QTreeWidgetItem*> order;
    std::vector<QTreeWidgetItem*> pending(items.rbegin(), items.rend());
    while (!pending.empty()) {
        QTreeWidgetItem* item = pending.back();
        pending.pop_back();
        order.push_back(item);
        ++ProjectItem::itemSteps();
        for (int i = item->childCount(); i-- > 0;)
            pending.push_back(item->child(i));
    }
    // Backwards, every item comes once all it held are gone, as its parent's last child:
    // taking it out of its parent is then no search.
    for (auto it = order.rbegin(); it != order.rend(); ++it) {
        QTreeWidgetItem* item = *it;
        if (QTreeWidgetItem* parent = item->parent()) {
            const int last = parent->childCount() - 1;
            if (parent->child(last) == item)
                parent->takeChild(last);
            else
                parent->removeChild(item);
        }
        delete item;
    }
}

} // namespace

ProjectItem::ProjectItem(TreeWidget* treeWidget, GuiProject* project, ViewFeederProject* feeder,
                         QTreeWidgetItem* parent)
    : QTreeWidgetItem(parent, ItemType), tree(treeWidget), guiProject(project), projectFeeder(feeder)
{
    setFlags(flags() | Qt::ItemIsEditable | Qt::ItemIsEnabled);
    if (!guiProject)
        return;
    GuiProject& g = *guiProject;
    using Feeder = const ViewFeederProjectObject&;
    connections.emplace_back(g.signal_new_object.connect([this](Feeder f) { slot_create_object(f); }));
    connections.emplace_back(g.signal_delete_object.connect([this](Feeder f) { slot_delete_object(f); }));
    connections.emplace_back(g.signal_change_object.connect(
        [this](Feeder f, const Obj::Property& p) { slot_change_object(f, p); }));
    connections.emplace_back(g.signal_relabel_object.connect([this](Feeder f) { slot_rename_object(f); }));
    connections.emplace_back(g.signal_activate_object.connect([this](Feeder f) { slot_activate_object(f); }));
    connections.emplace_back(g.signal_in_edit.connect([this](Feeder f) { slot_in_edit(f); }));
    connections.emplace_back(g.signal_reset_edit.connect([this](Feeder f) { slot_reset_edit(f); }));
    connections.emplace_back(g.signal_highlight_object.connect(
        [this](Feeder f, const HighlightMode& m, bool on) { slot_highlight_object(f, m, on); }));
    connections.emplace_back(g.signal_expand_object.connect(
        [this](Feeder f, const TreeItemMode& m) { slot_expand_object(f, m); }));
    connections.emplace_back(g.signal_pasting.connect([this](bool begins) { slot_pasting(begins); }));
}

ProjectItem::~ProjectItem()
{
    connections.clear();
    // Out of the view first, then the object items, while this item is still whole.
    if (QTreeWidgetItem* p = parent())
        p->removeChild(this);
    QList<QTreeWidgetItem*> doomed = takeChildren();
    for (QTreeWidgetItem* item : held)
        if (heldSet.count(item) && !item->parent())
            doomed.append(item);
    held.clear();
    heldSet.clear();
    deleteItems(doomed);
    objectItems.clear();
    selectedItems.clear();
    if (tree)
        tree->forgetItem(this);
}

std::uint64_t ProjectItem::itemsVisited()
{
    return itemSteps();
}

std::uint64_t& ProjectItem::itemSteps()
{
    return Counted::tally<struct ProjectItemSteps>();
}

ProjectObjectItem* ProjectItem::object_item(unsigned int id) const
{
    return objectItems.value(id);
}

ProjectObjectItem* ProjectItem::item_of(const ViewFeederProjectObject& feeder) const
{
    Obj::ProjectObject* object = feeder.get_object();
    return object ? object_item(object->getObjectId()) : nullptr;
}

void ProjectItem::note_selected(ProjectObjectItem* item, bool on)
{
    item->selected = on;
    if (on) {
        selectedItems[item->keyId] = item;
    } else {
        const auto it = selectedItems.find(item->keyId);
        if (it != selectedItems.end() && it->second == item)
            selectedItems.erase(it);
    }
}

void ProjectItem::item_destroyed(ProjectObjectItem* item)
{
    const auto it = objectItems.find(item->keyId);
    if (it != objectItems.end() && it->second == item)
        objectItems.erase(it);
    const auto sel = selectedItems.find(item->keyId);
    if (sel != selectedItems.end() && sel->second == item)
        selectedItems.erase(sel);
    heldSet.erase(item);
}

// ---------------------------------------------------------------------------------------
// Selection

void ProjectItem::clearSelection()
{
    QTreeWidget* view = treeWidget();
    if (!view || !tree)
        return;
    QList<QTreeWidgetItem*> items;
    for (const auto& entry : selectedItems) {
        if (entry.second->treeWidget())
            items.append(entry.second);
    }
    const bool was = view->blockSignals(true);
    tree->deselectItems(items);
    view->blockSignals(was);
}

void ProjectItem::setItemSelected(unsigned int id, bool on)
{
    ProjectObjectItem* item = object_item(id);
    if (item && item->treeWidget())
        item->setSelected(on);
}

void ProjectItem::selectItems()
{
    Obj::Project* project = guiProject ? guiProject->get_project() : nullptr;
    if (!project || !tree)
        return;
    // By id, in one sorted vector rather than a node per item.
    using Wanted = std::pair<unsigned int, ProjectObjectItem*>;
    std::vector<Wanted> wanted;
    for (const SelObj& sel : TreeSelectionSingleton::instance().get_selection(project->get_name())) {
        if (!sel.object)
            continue;
        ProjectObjectItem* item = object_item(sel.object->getObjectId());
        if (item && item->feeder && item->feeder->get_object() == sel.object && item->treeWidget())
            wanted.emplace_back(item->keyId, item);
    }
    const auto byId = [](const Wanted& a, const Wanted& b) { return a.first < b.first; };
    std::sort(wanted.begin(), wanted.end(), byId);
    wanted.erase(std::unique(wanted.begin(), wanted.end(),
                             [](const Wanted& a, const Wanted& b) { return a.first == b.first; }),
                 wanted.end());
    QList<QTreeWidgetItem*> on;
    QList<QTreeWidgetItem*> off;
    for (const Wanted& entry : wanted) {
        if (!entry.second->selected)
            on.append(entry.second);
    }
    for (const auto& entry : selectedItems) {
        const Wanted key(entry.first, nullptr);
        if (!std::binary_search(wanted.begin(), wanted.end(), key, byId) && entry.second->treeWidget())
            off.append(entry.second);
    }
    tree->setItemsSelected(on, true);
    tree->deselectItems(off);
}

void ProjectItem::updateSelection()
{
    if (!guiProject)
        return;
    Obj::Project* project = guiProject->get_project();
    if (!project)
        return;
    std::vector<Obj::ProjectObject*> objects;
    objects.reserve(selectedItems.size());
    for (const auto& entry : selectedItems) {
        ProjectObjectItem* item = entry.second;
        if (item->treeWidget() && item->feeder && item->feeder->get_object())
            objects.push_back(item->feeder->get_object());
    }
    TreeSelectionSingleton& selection = TreeSelectionSingleton::instance();
    selection.set_selection(project->get_name(), objects);
    if (objects.empty() && isSelected()) {
        selection.set_project_selection(project->get_name(), project);
    } else if (objects.size() == 1) {
        qPelmoraApplication* app = qPelmoraApplication::application();
        if (app && app->get_current_project() == guiProject) {
            if (auto* feeder = dynamic_cast<ViewFeederProjectObject*>(guiProject->get_view_feeder(objects.front()))) {
                feeder->show_and_hide({});
                feeder->updateCanSelect();
            }
        }
    }
}

bool ProjectItem::testStatus()
{
    bool changed = false;
    for (const auto& entry : objectItems)
        changed = entry.second->testStatus() || changed;
    return changed;
}

bool ProjectItem::renamed(const std::function<void()>& rename)
{
    try {
        rename();
        return true;
    }
    catch (const std::exception& e) {
        Vexil::MsgConsoleSingleton::Instance().Error("Renaming failed: %s\n", e.what());
    }
    catch (...) {
        Vexil::MsgConsoleSingleton::Instance().Error("Renaming failed: unknown exception\n");
    }
    return false;
}

void ProjectItem::setData(int column, int role, const QVariant& value)
{
    if (role == Qt::EditRole && guiProject) {
        if (Obj::Project* project = guiProject->get_project()) {
            // Closing the editor without a change is no rename, and no edit of the project
            // (a label that is not valid UTF-8 keeps its bytes).
            if (value.toString() == QString::fromUtf8(project->getProjectName()))
                return;
            const QByteArray label = value.toString().toUtf8();
            if (!renamed([&] {
                    // A label that no project file could hold would make every later save fail.
                    const std::string error = Obj::ProjectFile::label_error(label.toStdString());
                    if (!error.empty())
                        throw std::invalid_argument("the label of the project was not changed: " + error);
                    project->OnUpdateLabel(label.constData());
                })) {
                // The item shows the label the project has now.
                QTreeWidgetItem::setData(column, Qt::DisplayRole, QString::fromUtf8(project->getProjectName()));
                return;
            }
        }
    }
    QTreeWidgetItem::setData(column, role, value);
}

// ---------------------------------------------------------------------------------------
// The GUI project's signals

void ProjectItem::slot_create_object(const ViewFeederProjectObject& feeder)
{
    Obj::ProjectObject* object = feeder.get_object();
    if (!object)
        return;
    const unsigned int id = object->getObjectId();
    ++itemSteps();
    const auto slot = objectItems.insert(id, nullptr);
    if (!slot.second) {
        Vexil::MsgConsoleSingleton::Instance().Warning(
            "ProjectItem::slot_create_object(): Cannot add view provider twice.\n");
        return;
    }
    auto* item = new ProjectObjectItem(const_cast<ViewFeederProjectObject*>(&feeder), this);
    item->keyId = id;
    slot.first->second = item;
    if (pastes > 0) {
        held.push_back(item);
        heldSet.insert(item);
        return;
    }
    placeTopLevel(item);
}

void ProjectItem::placeTopLevel(ProjectObjectItem* item)
{
    addChild(item);   // shows the object's label: the view hears of the item once
    if (expandOnFirstObject) {
        expandOnFirstObject = false;
        setExpanded(true);
    }

    const eTreeOrderType order = item->feeder ? item->feeder->getTreeOrder() : 0;
    if (order == 0)
        return;
    const int count = childCount();
    for (int i = 0; i < count; ++i) {
        QTreeWidgetItem* sibling = child(i);   // counted
        if (sibling == item)
            break;
        if (sibling->type() != ProjectObjectItem::ItemType)
            continue;
        ViewFeederProjectObject* other = static_cast<ProjectObjectItem*>(sibling)->feeder;
        const eTreeOrderType otherOrder = other ? other->getTreeOrder() : 0;
        if (otherOrder != 0 && otherOrder > order) {
            takeChild(indexOfChild(item));
            insertChild(i, item);
            break;
        }
    }
}

void ProjectItem::addTopLevel(const QList<QTreeWidgetItem*>& items)
{
    if (pastes == 0) {
        addChildren(items);
        return;
    }
    for (QTreeWidgetItem* item : items) {
        if (heldSet.insert(item).second)
            held.push_back(item);
    }
}

void ProjectItem::slot_pasting(bool begins)
{
    if (begins) {
        ++pastes;
        return;
    }
    if (pastes == 0 || --pastes > 0)
        return;
    // The top of the branch, in the order made: those without a tree order join at once,
    // the few with one each take their place.
    QList<QTreeWidgetItem*> plain;
    std::vector<ProjectObjectItem*> ordered;
    for (QTreeWidgetItem* item : held) {   // each counted as reached
        if (!heldSet.count(item) || item->parent())
            continue;
        heldSet.erase(item);   // listed once, even if held twice
        auto* objectItem = item->type() == ProjectObjectItem::ItemType ? static_cast<ProjectObjectItem*>(item) : nullptr;
        if (objectItem && objectItem->feeder && objectItem->feeder->getTreeOrder() != 0)
            ordered.push_back(objectItem);
        else
            plain.append(item);
    }
    held.clear();
    heldSet.clear();
    if (!plain.isEmpty()) {
        addChildren(plain);
        if (expandOnFirstObject) {
            expandOnFirstObject = false;
            setExpanded(true);
        }
    }
    for (ProjectObjectItem* item : ordered)
        placeTopLevel(item);
}

std::vector<std::vector<ProjectObjectItem*>> ProjectItem::findParentItems(
    const std::vector<ProjectObjectItem*>& items) const
{
    std::vector<std::vector<ProjectObjectItem*>> result(items.size());
    if (!guiProject)
        return result;
    std::vector<const Obj::ProjectObject*> objects;
    objects.reserve(items.size());
    for (ProjectObjectItem* item : items)
        objects.push_back(item->feeder ? item->feeder->get_object() : nullptr);
    // The links of all the objects in one pass, and what each linking object's feeder
    // claims asked once: a group's claims are all its members.
    const std::vector<std::vector<Obj::ProjectObject*>> linked = Obj::ProjectObject::get_linked_objects(objects);
    std::unordered_map<const Obj::ProjectObject*, std::unordered_set<const Obj::ProjectObject*>> claims;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (!objects[i])
            continue;
        for (Obj::ProjectObject* linker : linked[i]) {
            ++itemSteps();
            auto known = claims.find(linker);
            if (known == claims.end()) {
                known = claims.emplace(linker, std::unordered_set<const Obj::ProjectObject*>{}).first;
                if (auto* feeder = dynamic_cast<ViewFeederProjectObject*>(guiProject->get_view_feeder(linker))) {
                    const std::vector<Obj::ProjectObject*> claimed = feeder->claim_descendants();
                    known->second.insert(claimed.begin(), claimed.end());
                }
            }
            if (!known->second.count(objects[i]))
                continue;
            if (ProjectObjectItem* parentItem = object_item(linker->getObjectId()))
                result[i].push_back(parentItem);
        }
    }
    return result;
}

void ProjectItem::slot_delete_object(const ViewFeederProjectObject& feeder)
{
    ProjectObjectItem* item = item_of(feeder);
    if (!item)
        return;
    const QList<QTreeWidgetItem*> children = item->takeChildren();
    std::vector<ProjectObjectItem*> objectChildren;
    for (QTreeWidgetItem* child : children) {
        if (child->type() == ProjectObjectItem::ItemType)
            objectChildren.push_back(static_cast<ProjectObjectItem*>(child));
    }
    const std::vector<std::vector<ProjectObjectItem*>> claimers = findParentItems(objectChildren);
    QList<QTreeWidgetItem*> orphans;
    std::size_t next = 0;
    for (QTreeWidgetItem* child : children) {
        bool adopted = false;
        if (child->type() == ProjectObjectItem::ItemType) {
            for (ProjectObjectItem* claimer : claimers[next]) {
                if (claimer != item && !holds(child, claimer)) {
                    claimer->addChild(child);
                    adopted = true;
                    break;
                }
            }
            ++next;
        }
        if (!adopted)
            orphans.append(child);
    }
    addTopLevel(orphans);
    delete item;   // takes itself out of its parent and its entry
}

void ProjectItem::slot_change_object(const ViewFeederProjectObject& feeder, const Obj::Property& property)
{
    auto& console = Vexil::MsgConsoleSingleton::Instance();
    Obj::ProjectObject* object = feeder.get_object();
    ProjectObjectItem* item = item_of(feeder);
    if (!item) {
        console.Warning("Gui::ProjectItem::slot_change_object(): Cannot find the object tree item.\n");
        return;
    }
    std::unordered_set<const QTreeWidgetItem*> claimed;
    for (Obj::ProjectObject* descendant : feeder.claim_descendants()) {
        ++itemSteps();
        if (!descendant)
            continue;
        const unsigned int id = descendant->getObjectId();
        if (id == 0) {
            console.Warning("Gui::ProjectItem::slot_change_object(): no internal name for the unknown object %s(%i).\n",
                            descendant->get_label(), int(id));
            continue;
        }
        ProjectObjectItem* childItem = object_item(id);
        if (!childItem) {
            console.Warning("Gui::ProjectItem::slot_change_object(): Cannot find unknown object %s(%i).\n",
                            descendant->get_label(), int(id));
            continue;
        }
        claimed.insert(childItem);
        QTreeWidgetItem* currentParent = childItem->parent();
        // An item without a parent is one held out of the view during a paste.
        if (currentParent == item || (!currentParent && !heldSet.count(childItem)))
            continue;
        if (childItem == item) {
            console.Warning("Gui::ProjectItem::slot_change_object(): Object reference same to itself.\n");
            continue;
        }
        // Only an item with children can be an ancestor: a chain of groups built from
        // the top then costs no climb per link.
        if (childItem->childCount() > 0 && holds(childItem, item)) {
            // Taking an item's own ancestor as its child would make the tree a loop.
            console.Warning("Gui::ProjectItem::slot_change_object(): %s already contains %s.\n",
                            descendant->get_label(), object ? object->get_label() : "");
            continue;
        }
        if (currentParent)
            takeOut(currentParent, childItem, takenRow);
        item->addChild(childItem);
    }
    if (item->childCount() > 0) {
        QList<QTreeWidgetItem*> unclaimed;
        for (int i = 0; i < item->childCount(); ++i) {
            ++itemSteps();
            QTreeWidgetItem* c = item->child(i);
            if (!claimed.count(c))
                unclaimed.append(c);
        }
        // A group emptied at once gives up its items at once: one by one, each removal
        // searches and shifts the rest of the list.
        if (unclaimed.size() == item->childCount()) {
            item->takeChildren();
        } else {
            for (QTreeWidgetItem* c : unclaimed)
                item->removeChild(c);
        }
        addTopLevel(unclaimed);
    }
    if (object && std::strcmp(property.get_name(), "Label") == 0)
        item->showLabel();
}

void ProjectItem::slot_rename_object(const ViewFeederProjectObject& feeder)
{
    // The entry under the object's id is the usual place; otherwise look through all.
    Obj::ProjectObject* object = feeder.get_object();
    if (object) {
        ProjectObjectItem* item = object_item(object->getObjectId());
        if (item && item->feeder == &feeder)
            return;
    }
    for (auto it = objectItems.begin(); it != objectItems.end(); ++it) {
        if (it->second->feeder != &feeder)
            continue;
        ProjectObjectItem* item = it->second;
        objectItems.erase(it);
        if (item->selected) {
            selectedItems.erase(item->keyId);
        }
        item->keyId = object ? object->getObjectId() : 0;
        objectItems.insert(item->keyId, item).first->second = item;
        if (item->selected)
            selectedItems[item->keyId] = item;
        return;
    }
    Vexil::MsgConsoleSingleton::Instance().Warning("ProjectItem::slot_rename_object: Cannot rename unknown object.\n");
}

void ProjectItem::slot_activate_object(const ViewFeederProjectObject& feeder)
{
    ProjectObjectItem* active = item_of(feeder);
    if (!active)
        return;
    for (const auto& entry : objectItems) {
        QFont font = entry.second->font(0);
        font.setWeight(entry.second == active ? 75 : 50);
        entry.second->setFont(0, font);
    }
}

void ProjectItem::slot_in_edit(const ViewFeederProjectObject& feeder)
{
    if (ProjectObjectItem* item = item_of(feeder))
        item->setBackground(0, QBrush(Qt::yellow));
}

void ProjectItem::slot_reset_edit(const ViewFeederProjectObject& feeder)
{
    if (ProjectObjectItem* item = item_of(feeder))
        item->setData(0, Qt::BackgroundRole, QVariant());
}

void ProjectItem::slot_highlight_object(const ViewFeederProjectObject& feeder, const HighlightMode& mode, bool on)
{
    ProjectObjectItem* item = item_of(feeder);
    if (!item)
        return;
    QFont font = item->font(0);
    switch (mode) {
    case Underlined: font.setUnderline(on); break;
    case Italic: font.setItalic(on); break;
    case Overlined: font.setOverline(on); break;
    case Bold: font.setWeight(on ? 75 : 50); break;
    case Blue:
        if (on)
            item->setBackground(0, QBrush(QColor(200, 200, 255, 255)));
        else
            item->setData(0, Qt::BackgroundRole, QVariant());
        break;
    default: break;
    }
    item->setFont(0, font);
}

void ProjectItem::slot_expand_object(const ViewFeederProjectObject& feeder, const TreeItemMode& mode)
{
    ProjectObjectItem* item = item_of(feeder);
    if (!item || !item->treeWidget())
        return;
    switch (mode) {
    case ExpandItem: item->setExpanded(true); break;
    case CollapseItem: item->setExpanded(false); break;
    case ToggleItem: item->setExpanded(!item->isExpanded()); break;
    default: break;
    }
}
