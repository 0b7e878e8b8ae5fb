#pragma once
// The table model behind the tabular-data panel, as far as the property editor follows
// it: it announces that an entry of an object changed its load type or its value.

#include <QObject>

namespace pmGph {

// How a boundary-condition value is given.
enum LoadValueType { Constant = 1, Tabular = 2, Function = 3, Free = 4 };
// What a table change touched.
enum TableChangePropAspect { LoadTypeAspect = 1, ValueAspect = 2 };

class qPelmoraTableModel : public QObject
{
    Q_OBJECT
public:
    explicit qPelmoraTableModel(QObject* parent = nullptr);

Q_SIGNALS:
    // The entry of object `objectId` for quantity kind `quantity` changed.
    void changeTreeObjPropAspect(unsigned int objectId, int quantity, pmGph::TableChangePropAspect aspect,
                                 pmGph::LoadValueType type, double value);
};

} // namespace pmGph
