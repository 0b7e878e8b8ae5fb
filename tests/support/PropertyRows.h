#pragma once
// The property panel's rows as a test finds them: by the name in their first column.

#include <QAbstractItemModel>
#include <QModelIndex>

namespace PelmoraTest {

// The name cell of the row called `name` below `parent`, group rows searched through; an
// invalid index when there is none.
inline QModelIndex propertyRow(const QAbstractItemModel& model, const char* name, const QModelIndex& parent = {})
{
    for (int r = 0; r < model.rowCount(parent); ++r) {
        const QModelIndex i = model.index(r, 0, parent);
        if (model.data(i).toString() == QLatin1String(name))
            return i;
        const QModelIndex inner = propertyRow(model, name, i);
        if (inner.isValid())
            return inner;
    }
    return {};
}

} // namespace PelmoraTest
