#include "PropertyModel.h"

#include "PropertyDecimalVectorItem.h"
#include "PropertyItem.h"

#include "core/MetaTypes.h"

#include <obj/Application.h>
#include <obj/Property.h>
#include <obj/PropertyDecimalVector.h>
#include <vexil/MsgConsole.h>
#include <vexil/PreferenceManager.h>
#include <vexil/TypeInfo.h>

#include <cmath>
#include <cstring>
#include <unordered_map>

using namespace Gui::PropertyOperator;

namespace {

const char* const groupOrder[] = {
    "Infomation", "Geometry", "Apply To", "Scoping", "Definition", "Step Controls",
    "Solver Controls", "Radiosity Controls", "Nonlinear Controls", "Output Controls",
    "Statistics", "Output", "Advanced", "Analysis Data Management", "Visibility", "Vector"};

// Holds that type itself (a text never counts as a quantity or a flag vector).
template <class T>
bool isA(const QVariant& v)
{
    return v.userType() == qMetaTypeId<T>();
}

} // namespace

std::uint64_t& PropertyModel::bindingSteps()
{
    return Counted::tally<struct PropertyModelBindingSteps>();
}

PropertyItem* PropertyModel::itemOf(const Obj::Property* prop) const
{
    const auto found = rowsByProperty.find(prop);
    return found == rowsByProperty.end() ? nullptr : found->second;
}

PropertyModel::PropertyModel(QObject* parent)
    : QAbstractItemModel(parent)
    , rootItem(static_cast<PropertyItem*>(PropertyItem::create()))
{
    if (Obj::Application::_pcSingleton) {
        if (Vexil::PreferenceManager* prefs = Obj::Application::instance().getPrefMgr())
            connect(prefs, &Vexil::PreferenceManager::optionChanged, this, &PropertyModel::settingUpdated);
    }
}

void PropertyModel::settingUpdated(int settingId)
{
    const bool units = settingId >= Vexil::PM_UNIT_SYSTEM && settingId <= Vexil::PM_TEMPERATURE_UNIT;
    if ((settingId != Vexil::PM_SIGNIFICANT_DIGITS && !units) || rootItem->childCount() == 0)
        return;
    // The rows show their numbers with the new number of digits, or in the new units.
    for (int r = 0; r < rootItem->childCount(); ++r)
        rootItem->child(r)->settingUpdated(settingId);
    Q_EMIT dataChanged(index(0, 1), index(rootItem->childCount() - 1, 1));
}

PropertyModel::~PropertyModel()
{
    delete rootItem;
}

PropertyItem* PropertyModel::itemFromIndex(const QModelIndex& index) const
{
    return index.isValid() ? static_cast<PropertyItem*>(index.internalPointer()) : rootItem;
}

QModelIndex PropertyModel::index(int row, int column, const QModelIndex& parent) const
{
    if (column < 0 || column > 1)
        return {};
    PropertyItem* p = itemFromIndex(parent);
    PropertyItem* c = p ? p->child(row) : nullptr;
    return c ? createIndex(row, column, c) : QModelIndex();
}

QModelIndex PropertyModel::parent(const QModelIndex& index) const
{
    if (!index.isValid())
        return {};
    PropertyItem* p = itemFromIndex(index)->parent();
    if (!p || p == rootItem)
        return {};
    return createIndex(p->row(), 0, p);
}

int PropertyModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid() && parent.column() != 0)
        return 0;
    return itemFromIndex(parent)->childCount();
}

int PropertyModel::columnCount(const QModelIndex& parent) const
{
    return itemFromIndex(parent)->columnCount();
}

QVariant PropertyModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    return itemFromIndex(index)->data(index.column(), role);
}

bool PropertyModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid())
        return false;
    if (role != Qt::EditRole)
        return true;
    PropertyItem* item = itemFromIndex(index);
    const QVariant old = item->data(index.column(), Qt::EditRole);
    bool unchanged;
    if (old.type() == QVariant::Double && value.type() == QVariant::Double)
        unchanged = std::fabs(old.toDouble() - value.toDouble()) <= 1.1754943508222875e-38;
    else if (isA<pmUnit::Quantity>(old) && isA<pmUnit::Quantity>(value)) {
        // Equal and given alike: an equal amount typed in another unit is a new one.
        const pmUnit::Quantity a = old.value<pmUnit::Quantity>();
        const pmUnit::Quantity b = value.value<pmUnit::Quantity>();
        const double na = a.givenNumber();
        const double nb = b.givenNumber();
        unchanged = a == b && a.givenUnit() == b.givenUnit() && std::memcmp(&na, &nb, sizeof na) == 0;
    }
    else if (isA<Obj::Vector3b>(old) && isA<Obj::Vector3b>(value))
        unchanged = old.value<Obj::Vector3b>() == value.value<Obj::Vector3b>();
    else
        unchanged = (old == value);
    if (unchanged)
        return true;
    return item->setData(value);
}

Qt::ItemFlags PropertyModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::ItemIsSelectable | Qt::ItemIsEnabled;
    return itemFromIndex(index)->flags(index.column());
}

QVariant PropertyModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole) {
        if (section == 0)
            return tr("Property");
        if (section == 1)
            return tr("Value");
    }
    return {};
}

QModelIndex PropertyModel::buddy(const QModelIndex& index) const
{
    if (index.isValid() && index.column() == 0)
        return index.sibling(index.row(), 1);
    return index;
}

bool PropertyModel::removeRows(int row, int count, const QModelIndex& parent)
{
    PropertyItem* item = itemFromIndex(parent);
    if (count <= 0 || row < 0 || row + count > item->childCount())
        return false;
    beginRemoveRows(parent, row, row + count - 1);
    for (int i = row; i < row + count; ++i) {
        PropertyItem* gone = item->child(i);
        for (Obj::Property* p : gone->get_property_data())
            rowsByProperty.erase(p);
        for (int c = 0; c < gone->childCount(); ++c) {
            for (Obj::Property* p : gone->child(c)->get_property_data())
                rowsByProperty.erase(p);
        }
    }
    item->removeChildren(row, row + count - 1);
    endRemoveRows();
    return true;
}

void PropertyModel::buildUp(const PropertyList& props)
{
    beginResetModel();
    // The bindings let go of count here; each one made counts as it is inserted.
    bindingSteps() += static_cast<std::uint64_t>(rowsByProperty.size());
    rootItem->reset();
    rowsByProperty.clear();
    std::size_t bound = 0;
    for (const auto& entry : props)
        bound += entry.second.size();
    rowsByProperty.reserve(bound);

    // Group the entries, keeping the order of first appearance for groups outside the
    // fixed list.
    std::unordered_map<std::string, std::vector<const std::vector<Obj::Property*>*>> groups;
    std::vector<std::string> seen;
    for (const auto& entry : props) {
        if (entry.second.empty())
            continue;
        const Obj::Property* first = entry.second.front();
        if (first->test_object_status(Obj::Property::Hidden))
            continue;
        const char* g = first->get_associated_group();
        const std::string group = (g && *g) ? g : "UnknownGroup";
        auto it = groups.find(group);
        if (it == groups.end()) {
            it = groups.emplace(group, std::vector<const std::vector<Obj::Property*>*>{}).first;
            seen.push_back(group);
        }
        it->second.push_back(&entry.second);
    }
    std::vector<std::string> ordered;
    for (const char* g : groupOrder) {
        if (groups.count(g))
            ordered.emplace_back(g);
    }
    for (const std::string& g : seen) {
        bool fixed = false;
        for (const char* f : groupOrder)
            fixed = fixed || g == f;
        if (!fixed)
            ordered.push_back(g);
    }

    for (const std::string& g : ordered) {
        auto* sep = static_cast<PropertyItem*>(PropertySeparatorItem::create());
        sep->setParent(rootItem);
        rootItem->appendChild(sep);
        sep->setPropertyName(QString::fromLatin1(g.c_str()));
        sep->updateData();   // no bound property: never editable
        for (const std::vector<Obj::Property*>* list : groups[g]) {
            const Obj::Property* first = list->front();
            const char* editor = first->get_editor_name();
            if (!editor || !*editor)
                continue;
            Vexil::RootClass* obj = nullptr;
            try {
                obj = Vexil::TypeInfo::build_instance_by_name(editor, true);
            } catch (...) {
                Vexil::MsgConsoleSingleton::Instance().Warning("Cannot create property \"%s\".\n", editor);
                obj = nullptr;
            }
            if (!obj) {
                Vexil::MsgConsoleSingleton::Instance().Warning("No property item for type \"%s\" found.\n", editor);
                continue;
            }
            auto* item = dynamic_cast<PropertyItem*>(obj);
            if (!item) {
                delete obj;
                continue;
            }
            item->setParent(rootItem);
            rootItem->appendChild(item);
            item->setPropertyName(QString::fromLatin1(first->get_name()));
            item->setPropertyData(*list);
            for (Obj::Property* p : *list)
                rowsByProperty[p] = item;
            bindComponents(item, *list);
        }
    }
    endResetModel();
}

void PropertyModel::bindComponents(PropertyItem* item, const std::vector<Obj::Property*>& list)
{
    if (item->getTypeId() != PropertyDecimalVectorItem::getClassTypeId()
        || !dynamic_cast<Obj::PropertyDecimalVector*>(list.front()))
        return;
    // Every selected vector's components, not just the first one's: a component edit
    // must reach every selected object, like any other edit.
    std::vector<Obj::Property*> parts[3];
    for (Obj::Property* p : list) {
        auto* vector = dynamic_cast<Obj::PropertyDecimalVector*>(p);
        if (!vector)
            continue;
        parts[0].push_back(vector->getXPtr());
        parts[1].push_back(vector->getYPtr());
        parts[2].push_back(vector->getZPtr());
    }
    static_cast<PropertyDecimalVectorItem*>(item)->setChildPropertyData(parts[0], parts[1], parts[2]);
    // A component's change refreshes the vector row and its children.
    for (const auto& part : parts) {
        for (Obj::Property* p : part)
            rowsByProperty[p] = item;
    }
}

void PropertyModel::updateProperty(const Obj::Property& prop)
{
    PropertyItem* item = itemOf(&prop);
    if (!item)
        return;
    item->updateData();
    const QModelIndex cell = createIndex(item->row(), 1, item);
    Q_EMIT dataChanged(cell, cell);
    const int n = item->childCount();
    if (n > 0)
        Q_EMIT dataChanged(createIndex(0, 1, item->child(0)), createIndex(n - 1, 1, item->child(n - 1)));
}

void PropertyModel::updateProperty(const Obj::Property& prop, const QModelIndex& keep)
{
    PropertyItem* item = itemOf(&prop);
    if (!item)
        return;
    if (!keep.isValid()) {
        updateProperty(prop);
        return;
    }
    item->updateData();
    // Cell by cell: a change announced for a range would refill the editor in `keep` too.
    std::vector<PropertyItem*> todo{item};
    while (!todo.empty()) {
        PropertyItem* i = todo.back();
        todo.pop_back();
        const QModelIndex cell = createIndex(i->row(), 1, i);
        if (cell != keep)
            Q_EMIT dataChanged(cell, cell);
        for (int r = 0; r < i->childCount(); ++r)
            todo.push_back(i->child(r));
    }
}

QStringList PropertyModel::propertyPathFromIndex(const QModelIndex& index) const
{
    QStringList path;
    if (!index.isValid())
        return path;
    PropertyItem* item = itemFromIndex(index);
    if (item->isSeparator())
        return path;
    while (item && item != rootItem) {
        path.prepend(item->propertyName());
        item = item->parent();
    }
    return path;
}

QModelIndex PropertyModel::propertyIndexFromPath(const QStringList& path) const
{
    QModelIndex current;
    for (const QString& name : path) {
        const int rows = rowCount(current);
        for (int r = 0; r < rows; ++r) {
            const QModelIndex child = index(r, 0, current);
            if (itemFromIndex(child)->propertyName() == name) {
                current = child;
                break;
            }
        }
    }
    return current;
}
