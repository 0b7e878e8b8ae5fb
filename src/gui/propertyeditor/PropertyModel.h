#pragma once
// The item model behind one property tree: one group row per group, in a fixed order,
// followed by one row per property common to the selection.

#include "PelmoraGuiExport.h"

#include <counted/CountedSteps.h>

#include <QAbstractItemModel>
#include <QHash>
#include <QStringList>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace Obj { class Property; }

namespace Gui {
namespace PropertyOperator {

class PropertyItem;

// Property name and the same-named properties of all selected objects, in selection order.
using PropertyList = std::vector<std::pair<std::string, std::vector<Obj::Property*>>>;

class PELMORAGUI_EXPORT PropertyModel : public QAbstractItemModel
{
    Q_OBJECT
public:
    explicit PropertyModel(QObject* parent = nullptr);
    ~PropertyModel() override;

    QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& index) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    QModelIndex buddy(const QModelIndex& index) const override;
    bool removeRows(int row, int count, const QModelIndex& parent = QModelIndex()) override;

    void buildUp(const PropertyList& props);
    // How many properties the models of this thread have bound to rows or let go of since it
    // started: a plain count of the work, the same on every run, by which a test sees that
    // rows follow a change of n objects in about n steps.
    static std::uint64_t propertiesBound() { return bindingSteps(); }
    // The count propertiesBound() reads: every row binding reached, a look-up counting its
    // hash and the bindings of its bucket.
    static std::uint64_t& bindingSteps();
    // Refreshes the one row bound to `prop`; a property without a row changes nothing.
    void updateProperty(const Obj::Property& prop);
    // The same for the row and every row below it, but for the cell `keep` (an editor the
    // user is in), which is left as it is.
    void updateProperty(const Obj::Property& prop, const QModelIndex& keep);
    QStringList propertyPathFromIndex(const QModelIndex& index) const;
    QModelIndex propertyIndexFromPath(const QStringList& path) const;

    // The top-level row bound to `prop`, or null.
    PropertyItem* itemOf(const Obj::Property* prop) const;

    // A changed number of significant digits reaches every row.
    void settingUpdated(int settingId);

private:
    PropertyItem* itemFromIndex(const QModelIndex& index) const;
    // Binds the child rows of a decimal-vector row to the selected vectors' components.
    void bindComponents(PropertyItem* item, const std::vector<Obj::Property*>& list);
    PropertyItem* rootItem;
    // Every bound property to its row, so that a change finds its row at once; each binding
    // reached is counted.
    using Rows = Counted::HashMap<const Obj::Property*, PropertyItem*, &PropertyModel::bindingSteps>;
    Rows rowsByProperty;
};

} // namespace PropertyOperator
} // namespace Gui
