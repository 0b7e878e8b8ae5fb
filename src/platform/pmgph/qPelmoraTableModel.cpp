#include "qPelmoraTableModel.h"

#include <QLocale>

#include <cmath>
#include <limits>

using namespace pmGph;

qPelmoraTableModel::qPelmoraTableModel(QObject* parent) : QAbstractTableModel(parent) {}

qPelmoraTableModel::~qPelmoraTableModel() = default;

void qPelmoraTableModel::setEditorCoreData(unsigned int objectId, const std::shared_ptr<const EditorCoreData>& data)
{
    beginResetModel();
    id = objectId;
    table = data ? *data : EditorCoreData();
    // Every row has one cell per column: short rows are padded, long ones cut.
    for (std::vector<double>& row : table.values)
        row.resize(table.list.size(), 0.0);
    endResetModel();
}

int qPelmoraTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(table.values.size());
}

int qPelmoraTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(table.list.size());
}

QVariant qPelmoraTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount())
        return QVariant();
    const double value = table.values[static_cast<size_t>(index.row())][static_cast<size_t>(index.column())];
    if (role == Qt::DisplayRole)
        return QString::number(value, 'g', 10);
    if (role == Qt::EditRole)
        return value;
    if (role == Qt::TextAlignmentRole)
        return int(Qt::AlignRight | Qt::AlignVCenter);
    return QVariant();
}

QVariant qPelmoraTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return QVariant();
    if (orientation == Qt::Vertical)
        return section + 1;
    if (section < 0 || section >= columnCount())
        return QVariant();
    return QString::fromStdString(table.list[static_cast<size_t>(section)]);
}

Qt::ItemFlags qPelmoraTableModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsEditable;
}

bool qPelmoraTableModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || !index.isValid() || index.row() >= rowCount() || index.column() >= columnCount())
        return false;
    bool ok = false;
    double number = std::numeric_limits<double>::quiet_NaN();
    if (value.type() == QVariant::String)
        number = QLocale::c().toDouble(value.toString().trimmed(), &ok);
    else
        number = value.toDouble(&ok);
    if (!ok || !std::isfinite(number))
        return false;
    table.values[static_cast<size_t>(index.row())][static_cast<size_t>(index.column())] = number;
    Q_EMIT dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
    return true;
}
