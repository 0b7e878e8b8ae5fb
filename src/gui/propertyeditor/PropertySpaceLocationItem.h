#pragma once
// The row of a placement: it shows the origin with its length unit, and its child row
// "Origin" edits the position, which is written back as "Position(x,y,z)".

#include "PropertyItem.h"

#include "dialogs/widgets/LabelButton.h"

#include <vexil/Vector3D.h>

namespace Gui {
namespace PropertyOperator {

class PropertyQuantityVectorItem;

class PELMORAGUI_EXPORT PropertySpaceLocationItem : public PropertyItem
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    PropertySpaceLocationItem();

    QWidget* createEditor(QWidget* parent, const QObject* receiver, const char* method) const override;
    void setEditorData(QWidget* editor, const QVariant& data) const override;
    QVariant editorData(QWidget* editor) const override;
    bool setProperty(const char* name, const QVariant& value) override;
    QVariant property(const char* name) const override;
    QVariant get_tool_tip(const Obj::Property* prop) const override;
    QVariant toString(const QVariant& value) const override;
    QVariant value(const Obj::Property* prop) const override;
    void set_value(const QVariant& value) override;

    Vexil::Vector3d get_location() const;
    void set_location(const Vexil::Vector3d& position);
    // The unit the position is kept in (its project's length unit).
    int keptLengthUnit() const;

private:
    bool originChanged = false;
    PropertyQuantityVectorItem* m_origin;
};

class PELMORAGUI_EXPORT SpaceLocationEditor : public Gui::LabelButton
{
    Q_OBJECT
public:
    SpaceLocationEditor(const QString& name, QWidget* parent = nullptr);
    QString editorName() const { return name; }
    void browse() override {}

protected:
    void displayValue(const QVariant& value) override;

private Q_SLOTS:
    void updateValue(const QVariant& v, bool relative, bool apply);

private:
    QString name;
};

} // namespace PropertyOperator
} // namespace Gui
