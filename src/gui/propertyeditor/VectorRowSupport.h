#pragma once
// What the three-component rows share: the child rows are named "x", "y" and "z",
// and the parent row itself only shows its text in a read-only line edit.

#include "PropertyItem.h"

#include "core/MetaTypes.h"

#include <vexil/TypeInfo.h>

#include <QLineEdit>
#include <QVariant>

namespace Gui {
namespace PropertyOperator {
namespace VectorRow {

// "x", "y" or "z" as 0, 1, 2; -1 for any other name.
inline int componentIndex(const char* name)
{
    if (!name || !name[0] || name[1])
        return -1;
    switch (name[0]) {
    case 'x': return 0;
    case 'y': return 1;
    case 'z': return 2;
    default: return -1;
    }
}

// Makes the child rows "x", "y" and "z" of `type` below `parent`, in that order.
inline void addComponentRows(PropertyItem* parent, const Vexil::TypeInfo& type, PropertyItem** made = nullptr)
{
    int i = 0;
    for (const char* n : {"x", "y", "z"}) {
        auto* c = static_cast<PropertyItem*>(type.build_instance());
        c->setParent(parent);
        parent->appendChild(c);
        c->setPropertyName(QLatin1String(n));
        if (made)
            made[i] = c;
        ++i;
    }
}

inline double& component(Vexil::Vector3d& v, int i) { return i == 0 ? v.x : (i == 1 ? v.y : v.z); }

inline QWidget* createTextEditor(QWidget* parent)
{
    auto* le = new QLineEdit(parent);
    le->setFrame(false);
    le->setReadOnly(true);
    return le;
}

inline void setText(QWidget* editor, const QVariant& text) { static_cast<QLineEdit*>(editor)->setText(text.toString()); }
inline QVariant text(QWidget* editor) { return static_cast<QLineEdit*>(editor)->text(); }

// The named component of a vector value, or an invalid variant for another name.
inline QVariant componentOf(const QVariant& vector, const char* name)
{
    const int i = componentIndex(name);
    if (i < 0)
        return {};
    Vexil::Vector3d v = vector.value<Vexil::Vector3d>();
    return component(v, i);
}

// The vector value with the named component replaced; false for another name.
inline bool replaceComponent(QVariant& vector, const char* name, const QVariant& value)
{
    const int i = componentIndex(name);
    if (i < 0)
        return false;
    Vexil::Vector3d v = vector.value<Vexil::Vector3d>();
    component(v, i) = value.toDouble();
    vector = QVariant::fromValue(v);
    return true;
}

} // namespace VectorRow
} // namespace PropertyOperator
} // namespace Gui
