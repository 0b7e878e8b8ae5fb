#include "PropertyItem.h"

#include "PropertyAdvEnumItem.h"
#include "PropertyAdvEnumItem2.h"
#include "PropertyBCQuantityItem.h"
#include "PropertyCoupleItem.h"
#include "PropertyDecimalVectorItem.h"
#include "PropertyDocumentItem.h"
#include "PropertyFloatSciItem.h"
#include "PropertyRangeSliderItem.h"
#include "PropertySelectionItem.h"
#include "PropertySpaceLocationItem.h"
#include "PropertyVectorBoolItem.h"
#include "PropertyVectorItem.h"

#include "dialogs/widgets/ColoringButton.h"
#include "dialogs/widgets/LabelEditor.h"
#include "dialogs/widgets/QScienceSpinBox.h"
#include "visualization/ViewFeeder.h"

#include <obj/Application.h>
#include <obj/Project.h>
#include <obj/ProjectObject.h>
#include <obj/Property.h>
#include <obj/PropertyRange.h>
#include <obj/PropertyStringList.h>
#include <pmmsg/Message.h>
#include <pmunit/Units.h>
#include <vexil/MsgConsole.h>
#include <vexil/PreferenceManager.h>
#include <vexil/UtilityBox.h>

#include <QApplication>
#include <QColor>
#include <QComboBox>
#include <QCoreApplication>
#include <QFontDatabase>
#include <QLineEdit>
#include <QLocale>
#include <QPixmap>
#include <QSpinBox>
#include <QStyle>

#include <cmath>
#include <limits>
#include <utility>
#include <vector>

using namespace Gui::PropertyOperator;

namespace {

const QColor noValueColor(255, 255, 102);
constexpr double floatMax = 3.4028234663852886e38;

const char* projectNameOf(const Obj::Project* project)
{
    if (!project)
        return nullptr;
    if (Obj::Application::_pcSingleton) {
        if (const char* n = Obj::Application::instance().get_project_name(project))
            return n;
    }
    return project->get_name();
}

} // namespace

double Gui::PropertyOperator::noValueMarker()
{
    return std::ldexp(1.0, -100);
}

bool Gui::PropertyOperator::isNoValue(double v)
{
    return v == noValueMarker();
}

QVariant Gui::PropertyOperator::numberBackground(const Obj::Property* prop)
{
    auto* p = dynamic_cast<const Obj::PropertyDecimal*>(prop);
    if (p && isNoValue(p->get_value()))
        return noValueColor;
    if (prop && prop->isInValid())
        return QColor(Qt::red);
    return {};
}

bool Gui::PropertyOperator::isWritableProperty(const Obj::Property* p)
{
    Obj::PropertyContainer* c = p ? p->get_container() : nullptr;
    return c && !c->is_read_only(p) && !p->test_object_status(Obj::Property::ReadOnly);
}

QString Gui::PropertyOperator::escapeListEntry(const QString& entry)
{
    QString out;
    out.reserve(entry.size());
    for (QChar c : entry) {
        if (c == QLatin1Char('\\') || c == QLatin1Char('\'') || c == QLatin1Char(',') || c == QLatin1Char('"'))
            out += QLatin1Char('\\');
        out += c;
    }
    return out;
}

QString Gui::PropertyOperator::numberForLogic(double value, char format, int digits)
{
    const QString text = QString::number(value, format, digits);
    bool ok = false;
    const double back = text.toDouble(&ok);
    if ((ok && back == value) || !std::isfinite(value))
        return text;
    return QString::fromStdString(Vexil::UtilityBox::exact_number_text(value));
}

QString Gui::PropertyOperator::unescapeListEntry(const QString& entry)
{
    QString out;
    out.reserve(entry.size());
    for (int i = 0; i < entry.size(); ++i) {
        if (entry[i] == QLatin1Char('\\') && i + 1 < entry.size())
            ++i;
        out += entry[i];
    }
    return out;
}

VEXIL_TYPESYSTEM_SOURCE(Gui::PropertyOperator::PropertyItem, Vexil::RootClass)

PropertyItem::PropertyItem()
    : holder(new QObject())
    , precision(pmUnit::UnitsManager::instance()->getDecimals())
{
}

PropertyItem::~PropertyItem()
{
    qDeleteAll(children);
    delete holder;
}

QWidget* PropertyItem::createEditor(QWidget*, const QObject*, const char*) const { return nullptr; }
void PropertyItem::setEditorData(QWidget*, const QVariant&) const {}
QVariant PropertyItem::editorData(QWidget*) const { return {}; }
bool PropertyItem::setProperty(const char* n, const QVariant& v) { return holder->setProperty(n, v); }
QVariant PropertyItem::property(const char* n) const { return holder->property(n); }
QVariant PropertyItem::decoration(const QVariant&) const { return {}; }
QVariant PropertyItem::value(const Obj::Property*) const { return {}; }
QVariant PropertyItem::backgroundcolor(const Obj::Property*) const { return {}; }
QVariant PropertyItem::textalignment(const Obj::Property*) const { return {}; }
void PropertyItem::set_value(const QVariant&) {}

QVariant PropertyItem::get_tool_tip(const Obj::Property* prop) const
{
    return prop ? QString::fromUtf8(prop->get_description()) : QString();
}

PropertyItem* PropertyItem::child(int r) const
{
    return (r >= 0 && r < children.size()) ? children.at(r) : nullptr;
}

int PropertyItem::row() const
{
    return parentItem ? parentItem->children.indexOf(const_cast<PropertyItem*>(this)) : 0;
}

void PropertyItem::removeChildren(int from, int to)
{
    for (int i = from; i <= to && from < children.size(); ++i)
        delete children.takeAt(from);
}

void PropertyItem::reset()
{
    qDeleteAll(children);
    children.clear();
}

void PropertyItem::setPropertyName(const QString& n)
{
    holder->setObjectName(n);
    name = n;
    display = QCoreApplication::translate("Obj::Property", n.toLatin1().constData());
}

QString PropertyItem::propertyName() const
{
    return name.isEmpty() ? QStringLiteral("<empty>") : name;
}

QString PropertyItem::objectName() const { return holder->objectName(); }
void PropertyItem::setObjectName(const QString& n) { holder->setObjectName(n); }

std::uint64_t& PropertyItem::propertySteps()
{
    return Counted::tally<struct PropertyItemPropertySteps>();
}

void PropertyItem::setPropertyData(const std::vector<Obj::Property*>& items)
{
    propertyItems.clear();
    propertyItems.reserve(items.size());
    for (Obj::Property* p : items)
        propertyItems.push_back(p);
    updateData();
}

bool PropertyItem::hasProperty(const Obj::Property* prop) const
{
    for (const Obj::Property* p : propertyItems) {
        if (p == prop)
            return true;
    }
    return false;
}

bool PropertyItem::removeProperty(const Obj::Property* prop)
{
    for (auto it = propertyItems.begin(); it != propertyItems.end(); ++it) {
        if (*it == prop) {
            propertyItems.erase(it);
            break;
        }
    }
    return propertyItems.empty();
}

bool PropertyItem::test_object_status(int bit) const
{
    for (const Obj::Property* p : propertyItems) {
        if (p->test_object_status(bit))
            return true;
    }
    return false;
}

void PropertyItem::updateData()
{
    bool ro = true;
    for (const Obj::Property* p : propertyItems) {
        Obj::PropertyContainer* c = p->get_container();
        if (!c)
            continue;
        if (!c->is_read_only(p) && !p->test_object_status(Obj::Property::ReadOnly)) {
            ro = false;
            break;
        }
    }
    set_read_only(ro);
}

void PropertyItem::set_read_only(bool on)
{
    readonly = on;
    for (PropertyItem* c : qAsConst(children))
        c->set_read_only(on);
}

void PropertyItem::settingUpdated(int settingId)
{
    if (settingId != Vexil::PM_SIGNIFICANT_DIGITS || !Obj::Application::_pcSingleton)
        return;
    if (Vexil::PreferenceManager* prefs = Obj::Application::instance().getPrefMgr())
        precision = prefs->getInt(Vexil::PM_SIGNIFICANT_DIGITS);
    for (PropertyItem* c : qAsConst(children))
        c->settingUpdated(settingId);
}

bool PropertyItem::isExpanded() const
{
    const Obj::Property* p = getFirstProperty();
    return p && p->isExpanded();
}

void PropertyItem::setExpanded(bool on)
{
    if (Obj::Property* p = getFirstProperty())
        p->setExpanded(on);
}

QVariant PropertyItem::componentValue(int role) const
{
    if (!parentItem || !parentItem->parentItem)
        return {};
    const QVariant v = parentItem->property(holder->objectName().toLocal8Bit().constData());
    switch (role) {
    case Qt::EditRole: return v;
    case Qt::DisplayRole: return toString(v);
    case Qt::DecorationRole: return decoration(v);
    default: return {};
    }
}

QVariant PropertyItem::data(int column, int role) const
{
    if (column == 0) {
        if (role == Qt::DisplayRole)
            return displayName();
        if (role == Qt::ToolTipRole && !propertyItems.empty())
            return get_tool_tip(propertyItems.front());
        return {};
    }
    if (column != 1)
        return {};
    if (propertyItems.empty())
        return componentValue(role);
    const Obj::Property* p = propertyItems.front();
    switch (role) {
    case Qt::EditRole: return value(p);
    case Qt::DisplayRole: return toString(value(p));
    case Qt::DecorationRole: return decoration(value(p));
    case Qt::ToolTipRole: return get_tool_tip(p);
    case Qt::BackgroundRole: return backgroundcolor(p);
    case Qt::TextAlignmentRole: return textalignment(p);
    default: return {};
    }
}

Qt::ItemFlags PropertyItem::flags(int column) const
{
    Qt::ItemFlags f = Qt::ItemIsSelectable | Qt::ItemIsEnabled;
    if (column == 1 && !readonly)
        f |= Qt::ItemIsEditable;
    return f;
}

bool PropertyItem::setData(const QVariant& v)
{
    if (!propertyItems.empty()) {
        set_value(v);
        return true;
    }
    if (parentItem && parentItem->parentItem) {
        parentItem->setProperty(holder->objectName().toLocal8Bit().constData(), v);
        return true;
    }
    return false;
}

void PropertyItem::setPropertyValue(const QString& text)
{
    const std::string valueText = text.toStdString();
    // Every command is made before the first one runs: what a command sets off may remove
    // other selected objects (and their properties), which are then named, never read.
    std::vector<std::pair<pmMsg::pmCommandType, std::vector<std::string>>> pending;
    pending.reserve(propertyItems.size());
    for (Obj::Property* p : propertyItems) {
        if (!isWritableProperty(p))
            continue;
        Obj::PropertyContainer* c = p->get_container();
        pmMsg::pmCommandType code;
        const char* project = nullptr;
        unsigned int id = 0;
        if (auto* pr = dynamic_cast<Obj::Project*>(c)) {
            code = pmMsg::CMD_SET_PROJECT_PROPERTY;
            project = projectNameOf(pr);
        } else if (auto* fp = dynamic_cast<Gui::ViewFeederProject*>(c)) {
            code = pmMsg::CMD_SET_PROJECT_FEEDER_PROPERTY;
            project = projectNameOf(fp->get_project());
        } else if (auto* o = dynamic_cast<Obj::ProjectObject*>(c)) {
            code = pmMsg::CMD_SET_OBJECT_PROPERTY;
            project = projectNameOf(o->get_project());
            id = o->getObjectId();
        } else if (auto* fo = dynamic_cast<Gui::ViewFeederProjectObject*>(c)) {
            Obj::ProjectObject* obj = fo->get_object();
            if (!obj)
                continue;
            code = pmMsg::CMD_SET_OBJECT_FEEDER_PROPERTY;
            project = projectNameOf(obj->get_project());
            id = obj->getObjectId();
        } else {
            continue;
        }
        const char* propName = c->get_property_name(p);
        pending.emplace_back(code, std::vector<std::string>{project ? project : "", std::to_string(id),
                                                            propName ? propName : "", valueText});
    }
    for (const auto& command : pending) {
        try {
            pmMsg::runCommand(command.first, 4, command.second);
        } catch (const std::exception& e) {
            Vexil::MsgConsoleSingleton::Instance().Error("%s\n", e.what());
        }
    }
}

// ---------------------------------------------------------------------------------

VEXIL_TYPESYSTEM_SOURCE(Gui::PropertyOperator::PropertySeparatorItem, Gui::PropertyOperator::PropertyItem)

// ---------------------------------------------------------------------------------

VEXIL_TYPESYSTEM_SOURCE(Gui::PropertyOperator::PropertyStringItem, Gui::PropertyOperator::PropertyItem)

QWidget* PropertyStringItem::createEditor(QWidget* parent, const QObject* receiver, const char* method) const
{
    auto* le = new QLineEdit(parent);
    le->setFrame(false);
    // A line edit cuts its text at 32,767 characters by default, and every change is
    // written back: a longer value would lose its tail at the first key press.
    le->setMaxLength(std::numeric_limits<int>::max());
    le->setReadOnly(is_read_only());
    QObject::connect(le, SIGNAL(textChanged(const QString&)), receiver, method);
    return le;
}

void PropertyStringItem::setEditorData(QWidget* editor, const QVariant& data) const
{
    static_cast<QLineEdit*>(editor)->setText(data.toString());
}

QVariant PropertyStringItem::editorData(QWidget* editor) const
{
    return static_cast<QLineEdit*>(editor)->text();
}

QVariant PropertyStringItem::value(const Obj::Property* prop) const
{
    auto* p = dynamic_cast<const Obj::PropertyString*>(prop);
    return p ? QVariant(QString::fromUtf8(p->get_value())) : QVariant();
}

QVariant PropertyStringItem::backgroundcolor(const Obj::Property* prop) const
{
    auto* p = dynamic_cast<const Obj::PropertyString*>(prop);
    if (p && p->isEmpty())
        return noValueColor;
    if (prop && prop->isInValid())
        return QColor(Qt::red);
    return {};
}

void PropertyStringItem::set_value(const QVariant& v)
{
    if (v.canConvert<QString>())
        setPropertyValue(v.toString());
}

// ---------------------------------------------------------------------------------

VEXIL_TYPESYSTEM_SOURCE(Gui::PropertyOperator::PropertyFontInfoItem, Gui::PropertyOperator::PropertyItem)

QWidget* PropertyFontInfoItem::createEditor(QWidget* parent, const QObject* receiver, const char* method) const
{
    auto* cb = new QComboBox(parent);
    cb->setFrame(false);
    cb->setDisabled(is_read_only());
    QObject::connect(cb, SIGNAL(activated(const QString&)), receiver, method);
    return cb;
}

void PropertyFontInfoItem::setEditorData(QWidget* editor, const QVariant& data) const
{
    auto* cb = static_cast<QComboBox*>(editor);
    const QStringList families = QFontDatabase().families();
    cb->clear();
    cb->addItems(families);
    cb->setCurrentIndex(families.indexOf(data.toString()));
}

QVariant PropertyFontInfoItem::editorData(QWidget* editor) const
{
    return static_cast<QComboBox*>(editor)->currentText();
}

QVariant PropertyFontInfoItem::value(const Obj::Property* prop) const
{
    auto* p = dynamic_cast<const Obj::PropertyString*>(prop);
    return p ? QVariant(QString::fromUtf8(p->get_value())) : QVariant();
}

void PropertyFontInfoItem::set_value(const QVariant& v)
{
    if (v.canConvert<QString>())
        setPropertyValue(QStringLiteral("\"%1\"").arg(v.toString()));
}

// ---------------------------------------------------------------------------------

VEXIL_TYPESYSTEM_SOURCE(Gui::PropertyOperator::PropertyIntegerItem, Gui::PropertyOperator::PropertyItem)

QWidget* PropertyIntegerItem::createEditor(QWidget* parent, const QObject* receiver, const char* method) const
{
    auto* sb = new QSpinBox(parent);
    sb->setFrame(false);
    sb->setReadOnly(is_read_only());
    QObject::connect(sb, SIGNAL(valueChanged(int)), receiver, method);
    return sb;
}

void PropertyIntegerItem::setEditorData(QWidget* editor, const QVariant& data) const
{
    auto* sb = static_cast<QSpinBox*>(editor);
    sb->setRange(std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
    sb->setValue(static_cast<int>(qBound<qlonglong>(sb->minimum(), data.toLongLong(), sb->maximum())));
}

QVariant PropertyIntegerItem::editorData(QWidget* editor) const
{
    return static_cast<QSpinBox*>(editor)->value();
}

QVariant PropertyIntegerItem::toString(const QVariant& v) const
{
    return QString::number(v.toLongLong());
}

QVariant Gui::PropertyOperator::wholeInteger(long value)
{
    if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max())
        return QVariant(static_cast<qlonglong>(value));
    return QVariant(static_cast<int>(value));
}

QVariant PropertyIntegerItem::value(const Obj::Property* prop) const
{
    auto* p = dynamic_cast<const Obj::PropertyInteger*>(prop);
    return p ? wholeInteger(p->get_value()) : QVariant();
}

void PropertyIntegerItem::set_value(const QVariant& v)
{
    bool ok = false;
    const int i = v.toInt(&ok);
    if (ok)
        setPropertyValue(QString::number(i));
}

VEXIL_TYPESYSTEM_SOURCE(Gui::PropertyOperator::PropertyIntegerConstraintItem, Gui::PropertyOperator::PropertyIntegerItem)

void PropertyIntegerConstraintItem::setEditorData(QWidget* editor, const QVariant& data) const
{
    auto* sb = static_cast<QSpinBox*>(editor);
    auto* p = dynamic_cast<const Obj::PropertyIntegerRange*>(getFirstProperty());
    const auto clampToInt = [](long v) {
        return static_cast<int>(qBound<long>(std::numeric_limits<int>::min(), v, std::numeric_limits<int>::max()));
    };
    if (const Obj::PropertyIntegerRange::Ranges* r = p ? p->get_ranges() : nullptr) {
        sb->setRange(clampToInt(r->minimum), clampToInt(r->maximum));
        sb->setSingleStep(clampToInt(r->step));
    } else {
        sb->setRange(std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
    }
    sb->setValue(static_cast<int>(qBound<qlonglong>(sb->minimum(), data.toLongLong(), sb->maximum())));
}

// ---------------------------------------------------------------------------------

VEXIL_TYPESYSTEM_SOURCE(Gui::PropertyOperator::PropertyDecimalItem, Gui::PropertyOperator::PropertyItem)

QWidget* PropertyDecimalItem::createEditor(QWidget* parent, const QObject* receiver, const char* method) const
{
    auto* sb = new QScienceSpinBox(parent);
    sb->setFrame(false);
    sb->setDecimals(decimals());
    sb->setReadOnly(is_read_only());
    QObject::connect(sb, SIGNAL(valueChanged(double)), receiver, method);
    return sb;
}

void PropertyDecimalItem::setEditorData(QWidget* editor, const QVariant& data) const
{
    auto* sb = static_cast<QDoubleSpinBox*>(editor);
    sb->setRange(-floatMax, floatMax);
    const double v = data.toDouble();
    sb->setValue(isNoValue(v) ? 0.0 : v);
}

QVariant PropertyDecimalItem::editorData(QWidget* editor) const
{
    return static_cast<QDoubleSpinBox*>(editor)->value();
}

QVariant PropertyDecimalItem::toString(const QVariant& v) const
{
    const double d = v.toDouble();
    if (isNoValue(d))
        return QString();
    return QLocale().toString(d, 'f', decimals());
}

QVariant PropertyDecimalItem::value(const Obj::Property* prop) const
{
    auto* p = dynamic_cast<const Obj::PropertyDecimal*>(prop);
    return p ? QVariant(p->get_value()) : QVariant();
}

QVariant PropertyDecimalItem::backgroundcolor(const Obj::Property* prop) const
{
    return numberBackground(prop);
}

void PropertyDecimalItem::set_value(const QVariant& v)
{
    bool ok = false;
    const double d = v.toDouble(&ok);
    if (!ok)
        return;
    // The editor shows a missing value as 0: leaving it there keeps the value missing.
    const QVariant current = value(getFirstProperty());
    if (d == 0.0 && current.isValid() && isNoValue(current.toDouble()))
        return;
    setPropertyValue(QString::number(d, 'f', decimals()));
}

VEXIL_TYPESYSTEM_SOURCE(Gui::PropertyOperator::PropertyDecimalRangeItem, Gui::PropertyOperator::PropertyDecimalItem)

void PropertyDecimalRangeItem::setEditorData(QWidget* editor, const QVariant& data) const
{
    auto* sb = static_cast<QDoubleSpinBox*>(editor);
    // A component row has no property of its own: the vector's range holds for it.
    const Obj::Property* owner = getFirstProperty();
    if (!owner && parent())
        owner = parent()->getFirstProperty();
    const Obj::PropertyDecimalRange::Ranges* r = nullptr;
    if (auto* p = dynamic_cast<const Obj::PropertyDecimalRange*>(owner))
        r = p->get_ranges();
    else if (auto* v = dynamic_cast<const Obj::PropertyVectorRange*>(owner))
        r = v->get_ranges();
    if (r) {
        sb->setRange(r->minimum, r->maximum);
        sb->setSingleStep(r->step);
    } else {
        sb->setRange(-floatMax, floatMax);
        sb->setSingleStep(1.0);
    }
    const double v = data.toDouble();
    sb->setValue(isNoValue(v) ? 0.0 : v);
}

// ---------------------------------------------------------------------------------

VEXIL_TYPESYSTEM_SOURCE(Gui::PropertyOperator::PropertyBooleanItem, Gui::PropertyOperator::PropertyItem)

QWidget* PropertyBooleanItem::createEditor(QWidget* parent, const QObject* receiver, const char* method) const
{
    auto* cb = new QComboBox(parent);
    cb->setFrame(false);
    cb->addItem(QStringLiteral("False"));
    cb->addItem(QStringLiteral("True"));
    cb->setDisabled(is_read_only());
    QObject::connect(cb, SIGNAL(activated(int)), receiver, method);
    return cb;
}

void PropertyBooleanItem::setEditorData(QWidget* editor, const QVariant& data) const
{
    auto* cb = static_cast<QComboBox*>(editor);
    cb->setCurrentIndex(cb->findText(data.toBool() ? QStringLiteral("True") : QStringLiteral("False")));
}

QVariant PropertyBooleanItem::editorData(QWidget* editor) const
{
    return static_cast<QComboBox*>(editor)->currentText();
}

QVariant PropertyBooleanItem::toString(const QVariant& v) const
{
    if (!v.canConvert<bool>())
        return QString();
    return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
}

QVariant PropertyBooleanItem::value(const Obj::Property* prop) const
{
    auto* p = dynamic_cast<const Obj::PropertyBoolean*>(prop);
    return p ? QVariant(p->get_value()) : QVariant();
}

void PropertyBooleanItem::set_value(const QVariant& v)
{
    if (v.canConvert<bool>())
        setPropertyValue(v.toBool() ? QStringLiteral("True") : QStringLiteral("False"));
}

// ---------------------------------------------------------------------------------

VEXIL_TYPESYSTEM_SOURCE(Gui::PropertyOperator::PropertyEnumItem, Gui::PropertyOperator::PropertyItem)

QWidget* PropertyEnumItem::createEditor(QWidget* parent, const QObject* receiver, const char* method) const
{
    auto* cb = new QComboBox(parent);
    cb->setFrame(false);
    cb->setDisabled(is_read_only());
    QObject::connect(cb, SIGNAL(activated(int)), receiver, method);
    return cb;
}

void PropertyEnumItem::setEditorData(QWidget* editor, const QVariant& data) const
{
    QStringList common;
    bool first = true;
    for (const Obj::Property* prop : get_property_data()) {
        if (prop->getTypeId() != Obj::PropertyEnumType::getClassTypeId())
            continue;
        auto* e = static_cast<const Obj::PropertyEnumType*>(prop);
        if (!e->get_enums()) {
            common.clear();
            break;
        }
        QStringList own;
        // UTF-8, as the row shows them, so that the current entry is found and a chosen
        // one goes back as the logic knows it.
        for (const std::string& s : e->get_enum_list())
            own << QString::fromUtf8(s.c_str());
        if (first) {
            common = own;
            first = false;
        } else {
            QStringList kept;
            for (const QString& s : qAsConst(own)) {
                if (common.contains(s))
                    kept << s;
            }
            common = kept;
        }
    }
    if (common.isEmpty())
        return;
    auto* cb = static_cast<QComboBox*>(editor);
    cb->clear();
    cb->addItems(common);
    cb->setCurrentIndex(common.indexOf(data.toString()));
}

QVariant PropertyEnumItem::editorData(QWidget* editor) const
{
    return QStringList{static_cast<QComboBox*>(editor)->currentText()};
}

QVariant PropertyEnumItem::value(const Obj::Property* prop) const
{
    auto* p = dynamic_cast<const Obj::PropertyEnumType*>(prop);
    if (!p)
        return {};
    const std::vector<std::string> list = p->get_enum_list();
    const long i = p->get_value();
    if (i < 0 || i >= static_cast<long>(list.size()))
        return QString();
    return QString::fromUtf8(list[static_cast<std::size_t>(i)].c_str());
}

QVariant PropertyEnumItem::backgroundcolor(const Obj::Property* prop) const
{
    auto* p = dynamic_cast<const Obj::PropertyEnumType*>(prop);
    if (p && p->get_enum_list().empty())
        return noValueColor;
    if (prop && prop->isInValid())
        return QColor(Qt::red);
    return {};
}

void PropertyEnumItem::set_value(const QVariant& v)
{
    const QStringList list = v.toStringList();
    if (v.canConvert<QStringList>() && !list.isEmpty())
        setPropertyValue(list.first());
}

// ---------------------------------------------------------------------------------

VEXIL_TYPESYSTEM_SOURCE(Gui::PropertyOperator::PropertyStringArrayItem, Gui::PropertyOperator::PropertyItem)

QWidget* PropertyStringArrayItem::createEditor(QWidget* parent, const QObject* receiver, const char* method) const
{
    auto* le = new Gui::LabelEditor(parent);
    le->setAutoFillBackground(true);
    if (getTypeId() == PropertyDecimalArrayItem::getClassTypeId())
        le->setInputType(Gui::LabelEditor::Float);
    else if (getTypeId() == PropertyIntegerArrayItem::getClassTypeId())
        le->setInputType(Gui::LabelEditor::Integer);
    le->setDisabled(is_read_only());
    QObject::connect(le, SIGNAL(textChanged(const QString&)), receiver, method);
    return le;
}

void PropertyStringArrayItem::setEditorData(QWidget* editor, const QVariant& data) const
{
    static_cast<Gui::LabelEditor*>(editor)->set_text(data.toStringList().join(QLatin1Char('\n')));
}

QVariant PropertyStringArrayItem::editorData(QWidget* editor) const
{
    return static_cast<Gui::LabelEditor*>(editor)->get_text().split(QLatin1Char('\n'));
}

QVariant PropertyStringArrayItem::value(const Obj::Property* prop) const
{
    auto* p = dynamic_cast<const Obj::PropertyStringList*>(prop);
    if (!p)
        return {};
    QStringList list;
    for (const std::string& s : p->get_values())
        list << QString::fromUtf8(s.c_str());
    return list;
}

QVariant PropertyStringArrayItem::toString(const QVariant& v) const
{
    return QStringLiteral("[%1]").arg(v.toStringList().join(QLatin1Char(',')));
}

void PropertyStringArrayItem::set_value(const QVariant& v)
{
    if (!v.canConvert<QStringList>())
        return;
    QString text = QStringLiteral("[");
    for (const QString& s : v.toStringList())
        text += QStringLiteral("unicode('") + escapeListEntry(s) + QStringLiteral("', 'utf-8'),");
    text += QLatin1Char(']');
    setPropertyValue(text);
}

VEXIL_TYPESYSTEM_SOURCE(Gui::PropertyOperator::PropertyDecimalArrayItem, Gui::PropertyOperator::PropertyStringArrayItem)

void PropertyDecimalArrayItem::set_value(const QVariant& v)
{
    if (!v.canConvert<QStringList>())
        return;
    // The entries are edited as shown, with six digits: one left as shown keeps the whole
    // number it stands for.
    const QStringList shown = value(getFirstProperty()).toStringList();
    const auto* current = dynamic_cast<const Obj::PropertyDecimalList*>(getFirstProperty());
    QString text = QStringLiteral("[");
    const QStringList entries = v.toStringList();
    for (int i = 0; i < entries.size(); ++i) {
        const QString& s = entries.at(i);
        if (current && i < shown.size() && s == shown.at(i)
            && static_cast<std::size_t>(i) < current->get_values().size())
            text += numberForLogic(current->get_values()[static_cast<std::size_t>(i)], 'g', 6);
        else
            text += escapeListEntry(s);
        text += QLatin1Char(',');
    }
    text += QLatin1Char(']');
    setPropertyValue(text);
}

QVariant PropertyDecimalArrayItem::value(const Obj::Property* prop) const
{
    auto* p = dynamic_cast<const Obj::PropertyDecimalList*>(prop);
    if (!p)
        return {};
    QStringList list;
    for (double d : p->get_values())
        list << QString::number(d, 'g', 6);
    return list;
}

VEXIL_TYPESYSTEM_SOURCE(Gui::PropertyOperator::PropertyIntegerArrayItem, Gui::PropertyOperator::PropertyDecimalArrayItem)

QVariant PropertyIntegerArrayItem::value(const Obj::Property* prop) const
{
    auto* p = dynamic_cast<const Obj::PropertyIntegerList*>(prop);
    if (!p)
        return {};
    QStringList list;
    for (long i : p->get_values())
        list << QString::number(i);
    return list;
}

// ---------------------------------------------------------------------------------

VEXIL_TYPESYSTEM_SOURCE(Gui::PropertyOperator::PropertyColorItem, Gui::PropertyOperator::PropertyItem)

QWidget* PropertyColorItem::createEditor(QWidget* parent, const QObject* receiver, const char* method) const
{
    auto* cb = new Gui::ColoringButton(parent);
    cb->setDisabled(is_read_only());
    QObject::connect(cb, SIGNAL(changed()), receiver, method);
    return cb;
}

void PropertyColorItem::setEditorData(QWidget* editor, const QVariant& data) const
{
    static_cast<Gui::ColoringButton*>(editor)->setColor(data.value<QColor>());
}

QVariant PropertyColorItem::editorData(QWidget* editor) const
{
    return static_cast<Gui::ColoringButton*>(editor)->color();
}

QVariant PropertyColorItem::decoration(const QVariant& v) const
{
    const int size = QApplication::style()->pixelMetric(QStyle::PM_ListViewIconSize);
    QPixmap p(size, size);
    p.fill(v.value<QColor>());
    return p;
}

QVariant PropertyColorItem::toString(const QVariant& v) const
{
    const QColor c = v.value<QColor>();
    return QStringLiteral("[%1, %2, %3]").arg(c.red()).arg(c.green()).arg(c.blue());
}

QVariant PropertyColorItem::value(const Obj::Property* prop) const
{
    auto* p = dynamic_cast<const Obj::PropertyColor*>(prop);
    if (!p)
        return {};
    // The logic takes any number for a fraction: one outside 0 to 1 (or not a number)
    // would make an invalid colour, shown as black.
    auto channel = [](float f) { return f > 0.0f ? (f < 1.0f ? static_cast<int>(f * 255.0f) : 255) : 0; };
    const Obj::Color& c = p->get_value();
    return QColor(channel(c.r), channel(c.g), channel(c.b));
}

void PropertyColorItem::set_value(const QVariant& v)
{
    if (!v.canConvert<QColor>())
        return;
    const QColor c = v.value<QColor>();
    const int d = decimals();
    setPropertyValue(QStringLiteral("(%1, %2, %3)")
                         .arg(c.red() / 255.0, 0, 'f', d)
                         .arg(c.green() / 255.0, 0, 'f', d)
                         .arg(c.blue() / 255.0, 0, 'f', d));
}

void Gui::PropertyOperator::initPropertyItems()
{
    PropertyItem::init();
    PropertySeparatorItem::init();
    PropertyStringItem::init();
    PropertyFontInfoItem::init();
    PropertyIntegerItem::init();
    PropertyIntegerConstraintItem::init();
    PropertyDecimalItem::init();
    PropertyDecimalRangeItem::init();
    PropertyQuantityItem::init();
    PropertyQuantityConstraintItem::init();
    PropertyBooleanItem::init();
    PropertyVectorItem::init();
    PropertyVector3DItem::init();
    PropertySpaceLocationItem::init();
    PropertyEnumItem::init();
    PropertyStringArrayItem::init();
    PropertyDecimalArrayItem::init();
    PropertyIntegerArrayItem::init();
    PropertyColorItem::init();
    PropertyDocumentItem::init();
    PropertyDirectoryItem::init();
    PropertyTransientDocItem::init();
    PropertyCoupleItem::init();
    PropertySelectionItem::init();
    PropertyInputBCItem::init();
    PropertyAdvEnumItem::init();
    PropertyAdvEnumItem2::init();
    PropertyFloatSciItem::init();
    PropertyVectorRangeItem::init();
    PropertyDecimalVectorItem::init();
    PropertyVectorBoolItem::init();
    PropertyQuantityVectorItem::init();
    PropertyBCQuantityItem::init();
    PropertyBCQuantityConstraintItem::init();
    PropertyBCQuantityVectorItem::init();
    PropertyRangeSliderItem::init();
}
