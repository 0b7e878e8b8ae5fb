#pragma once
// The editable table model of the tabular data shown in the table and plotted by the
// chart: one row per row of the data, one column per named column.

#include "pmgph/EditorCoreData.h"

#include <QAbstractTableModel>

#include <memory>
#include <string>

namespace pmGph {

// How a boundary-condition value is given.
enum LoadValueType { Constant = 1, Tabular = 2, Function = 3, Free = 4 };
// What a table change touched.
enum TableChangePropAspect { LoadTypeAspect = 1, ValueAspect = 2 };

class qPelmoraTableModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit qPelmoraTableModel(QObject* parent = nullptr);
    ~qPelmoraTableModel() override;

    // Shows a copy of `data` (null empties the table) for the object `id`.
    void setEditorCoreData(unsigned int id, const std::shared_ptr<const EditorCoreData>& data);
    unsigned int objectId() const { return id; }
    const EditorCoreData& coreData() const { return table; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // Accepts numbers only (a text is read in the C locale); anything else is refused.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

Q_SIGNALS:
    // The entry of object `objectId` for quantity kind `quantity` changed; the property
    // editor's boundary-condition rows of that object follow it.
    void changeTreeObjPropAspect(unsigned int objectId, int quantity, pmGph::TableChangePropAspect aspect,
                                 pmGph::LoadValueType type, double value);

private:
    unsigned int id = 0;
    EditorCoreData table;
};

} // namespace pmGph
