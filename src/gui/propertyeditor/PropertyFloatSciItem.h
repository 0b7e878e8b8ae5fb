#pragma once
// A decimal of any magnitude in a compact scientific form ("1.23457e8", "1e-5", "250"):
// shown in the user's locale, always written to the logic in the C locale.

#include "PropertyItem.h"

namespace Gui {
namespace PropertyOperator {

class PELMORAGUI_EXPORT PropertyFloatSciItem : public PropertyItem
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    QWidget* createEditor(QWidget* parent, const QObject* receiver, const char* method) const override;
    void setEditorData(QWidget* editor, const QVariant& data) const override;
    QVariant editorData(QWidget* editor) const override;
    QVariant toString(const QVariant& value) const override;
    QVariant value(const Obj::Property* prop) const override;
    QVariant backgroundcolor(const Obj::Property* prop) const override;
    QVariant textalignment(const Obj::Property* prop) const override;
    void set_value(const QVariant& value) override;

    // `number` with 6 significant digits, without "+" and leading exponent zeros.
    static QString scientificText(double number, const QLocale& locale);
};

} // namespace PropertyOperator
} // namespace Gui
