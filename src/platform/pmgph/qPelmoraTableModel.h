#pragma once
// The editable table model of the tabular data shown in the table and plotted by the
// chart: one row per row of the data, one column per named column.

#include "pmgph/EditorCoreData.h"

#include <QAbstractTableModel>

#include <memory>
#include <string>

namespace pmGph {

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

private:
    unsigned int id = 0;
    EditorCoreData table;
};

} // namespace pmGph
