#pragma once
// The rows of the property editor, one class per kind of property.  A row is bound to
// the same-named property of every selected object, shows the first one's value and
// sends an edited value back to the logic as a command, once per writable property.

#include "PelmoraGuiExport.h"

#include <counted/CountedSteps.h>
#include <vexil/RootClass.h>

#include <QList>
#include <QString>
#include <QVariant>

#include <cstdint>
#include <vector>

QT_BEGIN_NAMESPACE
class QObject;
class QWidget;
QT_END_NAMESPACE

namespace Obj { class Property; }

namespace Gui {
namespace PropertyOperator {

class PELMORAGUI_EXPORT PropertyItem : public Vexil::RootClass
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    PropertyItem();
    ~PropertyItem() override;

    virtual QWidget* createEditor(QWidget* parent, const QObject* receiver, const char* method) const;
    virtual void setEditorData(QWidget* editor, const QVariant& data) const;
    virtual QVariant editorData(QWidget* editor) const;
    virtual bool isSeparator() const { return false; }
    virtual bool setProperty(const char* name, const QVariant& value);
    virtual QVariant property(const char* name) const;
    virtual QString displayName() const { return display; }
    virtual QVariant decoration(const QVariant& value) const;
    virtual QVariant get_tool_tip(const Obj::Property* prop) const;
    virtual QVariant toString(const QVariant& value) const { return value; }
    virtual QVariant value(const Obj::Property* prop) const;
    virtual QVariant backgroundcolor(const Obj::Property* prop) const;
    virtual QVariant textalignment(const Obj::Property* prop) const;
    virtual void set_value(const QVariant& value);
    virtual void initialize() {}
    virtual void doubleClick() {}

    // Tree.
    void appendChild(PropertyItem* item) { children.append(item); }
    PropertyItem* child(int row) const;
    int childCount() const { return children.size(); }
    int columnCount() const { return 2; }
    PropertyItem* parent() const { return parentItem; }
    void setParent(PropertyItem* parent) { parentItem = parent; }
    int row() const;
    void removeChildren(int from, int to);
    void reset();

    // Names.
    void setPropertyName(const QString& name);
    QString propertyName() const;
    QString objectName() const;
    void setObjectName(const QString& name);

    // Bound properties.
    void setPropertyData(const std::vector<Obj::Property*>& items);
    // How many bound properties the rows of this thread have read (in a walk, as the first,
    // or moved by a removal) since it started: a plain count of the work, the same on every
    // run, by which a test sees that a refresh reads a row's properties only as it needs.
    static std::uint64_t propertiesRead() { return propertySteps(); }
    static std::uint64_t& propertySteps();
    using Properties = Counted::Vector<Obj::Property*, &PropertyItem::propertySteps>;
    const Properties& get_property_data() const { return propertyItems; }
    Obj::Property* getFirstProperty() const { return propertyItems.empty() ? nullptr : propertyItems.front(); }
    bool hasProperty(const Obj::Property* prop) const;
    bool removeProperty(const Obj::Property* prop);
    bool test_object_status(int bit) const;
    void updateData();

    bool is_read_only() const { return readonly; }
    void set_read_only(bool on);
    int decimals() const { return precision; }
    void set_decimals(int d) { precision = d; }
    void settingUpdated(int settingId);
    bool isExpanded() const;
    void setExpanded(bool on);
    bool is_valid() const { return valid; }
    void setValid(bool on) { valid = on; }

    QVariant data(int column, int role) const;
    Qt::ItemFlags flags(int column) const;
    bool setData(const QVariant& value);

protected:
    Properties& getPropertyItems() { return propertyItems; }
    // Sends `text` as the new value of every writable bound property (commands 41 to 44).
    void setPropertyValue(const QString& text);

private:
    QVariant componentValue(int role) const;

    QObject* holder;
    QString name;
    QString display;
    QVariant slot;
    Properties propertyItems;
    PropertyItem* parentItem = nullptr;
    QList<PropertyItem*> children;
    bool readonly = false;
    int precision;
    bool valid = false;
};

// The parent row of a three-component value: edited through its child rows, it shows its
// own text in a read-only line edit.
class PELMORAGUI_EXPORT VectorTextRow : public PropertyItem
{
public:
    QWidget* createEditor(QWidget* parent, const QObject* receiver, const char* method) const override;
    void setEditorData(QWidget* editor, const QVariant& data) const override;
    QVariant editorData(QWidget* editor) const override;
};

// The logic's integers are wider than a spin box's or a slider's: a value beyond an int is
// given whole, not wrapped round.
PELMORAGUI_EXPORT QVariant wholeInteger(long value);

// Heads each group of rows.
class PELMORAGUI_EXPORT PropertySeparatorItem : public PropertyItem
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    bool isSeparator() const override { return true; }
};

class PELMORAGUI_EXPORT PropertyStringItem : public PropertyItem
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    QWidget* createEditor(QWidget* parent, const QObject* receiver, const char* method) const override;
    void setEditorData(QWidget* editor, const QVariant& data) const override;
    QVariant editorData(QWidget* editor) const override;
    QVariant value(const Obj::Property* prop) const override;
    QVariant backgroundcolor(const Obj::Property* prop) const override;
    void set_value(const QVariant& value) override;
};

class PELMORAGUI_EXPORT PropertyFontInfoItem : public PropertyItem
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    QWidget* createEditor(QWidget* parent, const QObject* receiver, const char* method) const override;
    void setEditorData(QWidget* editor, const QVariant& data) const override;
    QVariant editorData(QWidget* editor) const override;
    QVariant value(const Obj::Property* prop) const override;
    void set_value(const QVariant& value) override;
};

class PELMORAGUI_EXPORT PropertyIntegerItem : public PropertyItem
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    QWidget* createEditor(QWidget* parent, const QObject* receiver, const char* method) const override;
    void setEditorData(QWidget* editor, const QVariant& data) const override;
    QVariant editorData(QWidget* editor) const override;
    QVariant toString(const QVariant& value) const override;
    QVariant value(const Obj::Property* prop) const override;
    void set_value(const QVariant& value) override;
};

// Held to the range of its property.
class PELMORAGUI_EXPORT PropertyIntegerConstraintItem : public PropertyIntegerItem
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    void setEditorData(QWidget* editor, const QVariant& data) const override;
};

class PELMORAGUI_EXPORT PropertyDecimalItem : public PropertyItem
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    QWidget* createEditor(QWidget* parent, const QObject* receiver, const char* method) const override;
    void setEditorData(QWidget* editor, const QVariant& data) const override;
    QVariant editorData(QWidget* editor) const override;
    QVariant toString(const QVariant& value) const override;
    QVariant value(const Obj::Property* prop) const override;
    QVariant backgroundcolor(const Obj::Property* prop) const override;
    void set_value(const QVariant& value) override;
};

// Held to the range of its property, or, as a component row, of its parent's.
class PELMORAGUI_EXPORT PropertyDecimalRangeItem : public PropertyDecimalItem
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    void setEditorData(QWidget* editor, const QVariant& data) const override;
};

class PELMORAGUI_EXPORT PropertyBooleanItem : public PropertyItem
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    QWidget* createEditor(QWidget* parent, const QObject* receiver, const char* method) const override;
    void setEditorData(QWidget* editor, const QVariant& data) const override;
    QVariant editorData(QWidget* editor) const override;
    QVariant toString(const QVariant& value) const override;
    QVariant value(const Obj::Property* prop) const override;
    void set_value(const QVariant& value) override;
};

class PELMORAGUI_EXPORT PropertyEnumItem : public PropertyItem
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    QWidget* createEditor(QWidget* parent, const QObject* receiver, const char* method) const override;
    void setEditorData(QWidget* editor, const QVariant& data) const override;
    QVariant editorData(QWidget* editor) const override;
    QVariant value(const Obj::Property* prop) const override;
    QVariant backgroundcolor(const Obj::Property* prop) const override;
    void set_value(const QVariant& value) override;
};

// Lists: shown in brackets, edited one entry a line, written back with every entry
// escaped so that quotes, commas and backslashes survive.
class PELMORAGUI_EXPORT PropertyStringArrayItem : public PropertyItem
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    QWidget* createEditor(QWidget* parent, const QObject* receiver, const char* method) const override;
    void setEditorData(QWidget* editor, const QVariant& data) const override;
    QVariant editorData(QWidget* editor) const override;
    QVariant toString(const QVariant& value) const override;
    QVariant value(const Obj::Property* prop) const override;
    void set_value(const QVariant& value) override;
};

class PELMORAGUI_EXPORT PropertyDecimalArrayItem : public PropertyStringArrayItem
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    QVariant value(const Obj::Property* prop) const override;
    void set_value(const QVariant& value) override;
};

class PELMORAGUI_EXPORT PropertyIntegerArrayItem : public PropertyDecimalArrayItem
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    QVariant value(const Obj::Property* prop) const override;
};

class PELMORAGUI_EXPORT PropertyColorItem : public PropertyItem
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    QWidget* createEditor(QWidget* parent, const QObject* receiver, const char* method) const override;
    void setEditorData(QWidget* editor, const QVariant& data) const override;
    QVariant editorData(QWidget* editor) const override;
    QVariant decoration(const QVariant& value) const override;
    QVariant toString(const QVariant& value) const override;
    QVariant value(const Obj::Property* prop) const override;
    void set_value(const QVariant& value) override;
};

// Registers every item class, parent first, in the editor's fixed order.
PELMORAGUI_EXPORT void initPropertyItems();

// The decimal that stands for "no value yet" (2^-100).
PELMORAGUI_EXPORT double noValueMarker();
PELMORAGUI_EXPORT bool isNoValue(double v);
// The background of a number's cell: light yellow without a value, red for an invalid
// property, none otherwise.
PELMORAGUI_EXPORT QVariant numberBackground(const Obj::Property* prop);

// A property the editor may change: it has a container and neither the container nor
// its own status bit marks it read-only.
PELMORAGUI_EXPORT bool isWritableProperty(const Obj::Property* p);

// One list entry or quoted path for the logic: backslash, single and double quote and
// comma are preceded by a backslash.  `unescapeListEntry` reverses it.
PELMORAGUI_EXPORT QString escapeListEntry(const QString& entry);
// A number for the logic, in the C locale: `format` with `digits`, unless that text would
// read back as another number; then the shortest text that reads back exactly.  So a value
// sent along with an edited one is not rounded to the digits the row shows.
PELMORAGUI_EXPORT QString numberForLogic(double value, char format, int digits);
PELMORAGUI_EXPORT QString unescapeListEntry(const QString& entry);

} // namespace PropertyOperator
} // namespace Gui
