#pragma once
// The row of a property that chooses one of the project's objects of a type by name: it
// shows the chosen name, or "No Selection", and offers the names every selected object
// has in common.

#include "propertyeditor/PropertyItem.h"

#include <cstdint>

namespace Vexil { class TypeInfo; }

namespace Gui {
namespace PropertyOperator {

class PELMORAGUI_EXPORT PropertyAdvEnumItem : public PropertyItem
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    QWidget* createEditor(QWidget* parent, const QObject* receiver, const char* method) const override;
    void setEditorData(QWidget* editor, const QVariant& data) const override;
    // How many names the editors of this thread have stepped over (taken from a property,
    // looked up among those offered) since it started: a plain count of the work, the same
    // on every run, by which a test sees that filling the list with n names costs about n
    // steps per property.
    static std::uint64_t namesVisited() { return nameSteps(); }
    // The count namesVisited() reads: every name the editor's lists reach is counted.
    static std::uint64_t& nameSteps();
    QVariant editorData(QWidget* editor) const override;
    QVariant value(const Obj::Property* prop) const override;
    QVariant backgroundcolor(const Obj::Property* prop) const override;
    void set_value(const QVariant& value) override;

protected:
    // The exact property class whose names the editor offers.
    virtual Vexil::TypeInfo propertyClass() const;
};

} // namespace PropertyOperator
} // namespace Gui
