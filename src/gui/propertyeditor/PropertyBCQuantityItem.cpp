#include "PropertyBCQuantityItem.h"

#include "BaseBCEditor.h"
#include "QuantitySpinBox.h"

#include "mainwindow/DockingWindowMediator.h"
#include "selection/TreeSelectionSingleton.h"

#include <obj/Application.h>
#include <obj/CDocObjProp.h>
#include <obj/Project.h>
#include <obj/ProjectObject.h>
#include <obj/PropertyQuantity.h>
#include <pmgph/qPelmoraTableModel.h>

#include <QIcon>

using namespace Gui::PropertyOperator;

namespace {

const char tabularText[] = "Tabular Data";
const char freeText[] = "Free";

int loadType(const Obj::Property* p)
{
    auto* bc = dynamic_cast<const Obj::PropertyBCQuantity*>(p);
    return bc ? bc->getLoadValueType() : 0;
}

QString componentText(bool given, double v)
{
    return given ? QString::number(v, 'g', 15) : QString::fromLatin1(freeText);
}

// For the logic: whole numbers in the C locale.
QString componentForLogic(bool given, double v)
{
    return given ? numberForLogic(v, 'g', 15) : QString::fromLatin1(freeText);
}

} // namespace

VEXIL_TYPESYSTEM_SOURCE(Gui::PropertyOperator::PropertyBCQuantityItem, Gui::PropertyOperator::PropertyItem)

PropertyBCQuantityItem::PropertyBCQuantityItem()
{
    QWidget* dock = Gui::DockingWindowMediator::instance()->getDockingWindow("Std_TableView");
    auto* model = dock ? dock->findChild<pmGph::qPelmoraTableModel*>() : nullptr;
    if (!model)
        return;
    tableConnection = QObject::connect(
        model, &pmGph::qPelmoraTableModel::changeTreeObjPropAspect,
        [this](unsigned int id, int quantity, pmGph::TableChangePropAspect aspect, pmGph::LoadValueType type,
               double number) { slotChangeTreeObjPropAspect(id, quantity, aspect, type, number); });
}

PropertyBCQuantityItem::~PropertyBCQuantityItem()
{
    QObject::disconnect(tableConnection);
}

void PropertyBCQuantityItem::slotChangeTreeObjPropAspect(unsigned int objectId, int quantity, int aspect, int type,
                                                         double number)
{
    auto* bc = dynamic_cast<Obj::PropertyBCQuantity*>(getFirstProperty());
    if (!bc || bc->getQuantityKind() != quantity)
        return;
    auto* object = dynamic_cast<Obj::ProjectObject*>(bc->get_container());
    // The table names its entry's object: the rows of other objects stay as they are.
    if (!object || object->getObjectId() != objectId)
        return;
    if (aspect == pmGph::LoadTypeAspect) {
        bc->setLoadValueType_NoEvent(type);
    } else if (aspect == pmGph::ValueAspect) {
        if (bc->getLoadValueType() != Obj::LoadConstant)
            return;
        bc->set_value_no_event(number);
    } else {
        return;
    }
    object->on_changed(bc);
    if (Obj::Project* project = object->get_project()) {
        const char* name = Obj::Application::_pcSingleton
            ? Obj::Application::instance().get_project_name(project) : nullptr;
        Gui::TreeSelectionSingleton::instance().property_signal(
            Obj::CDocObjProp(name ? name : project->get_name(), object->getObjectId()));
    }
}

QWidget* PropertyBCQuantityItem::createEditor(QWidget* parent, const QObject* receiver, const char* method) const
{
    const Obj::Property* p = getFirstProperty();
    if (!p)
        return nullptr;
    QWidget* editor = nullptr;
    if (dynamic_cast<const Obj::PropertyBCQuantity*>(p)) {
        const int type = loadType(p);
        if (type == Obj::LoadConstant)
            editor = new ContextBCEditor(parent);
        else if (type == Obj::LoadTabular || type == Obj::LoadFree)
            editor = new LabelBCEditor(parent);
    } else {
        editor = new ContextBCEditor(parent);
    }
    if (!editor)
        return nullptr;
    editor->setAutoFillBackground(true);
    QObject::connect(editor, SIGNAL(textChanged(const QString&)), receiver, method);
    if (auto* context = qobject_cast<ContextBCEditor*>(editor)) {
        context->spinBox()->setReadOnly(is_read_only());
        context->spinBox()->setKeyboardTracking(false);   // a constant is written whole
    }
    return editor;
}

void PropertyBCQuantityItem::setEditorData(QWidget* editor, const QVariant& data) const
{
    auto* bc = dynamic_cast<Obj::PropertyBCQuantity*>(getFirstProperty());
    if (!bc)
        return;
    if (auto* context = qobject_cast<ContextBCEditor*>(editor)) {
        context->setProperty(bc, 0);
        const pmUnit::Quantity q = data.value<pmUnit::Quantity>();
        // The quantity itself, not its text: the no-value marker stays exact (empty).
        context->setValue(q);
    } else if (auto* label = qobject_cast<LabelBCEditor*>(editor)) {
        label->setProperty(bc, 0);
        label->setText(bc->getLoadValueType() == Obj::LoadTabular ? QString::fromLatin1(tabularText)
                                                                  : QString::fromLatin1(freeText));
    }
}

QVariant PropertyBCQuantityItem::editorData(QWidget* editor) const
{
    if (auto* context = qobject_cast<ContextBCEditor*>(editor))
        return context->spinBox()->hasValidInput() ? QVariant::fromValue(context->value()) : QVariant();
    if (auto* label = qobject_cast<LabelBCEditor*>(editor))
        return label->getText();
    return {};
}

QVariant PropertyBCQuantityItem::value(const Obj::Property* prop) const
{
    auto* bc = dynamic_cast<const Obj::PropertyBCQuantity*>(prop);
    if (!bc)
        return {};
    switch (bc->getLoadValueType()) {
    case Obj::LoadConstant: return QVariant::fromValue(bc->getQuantityValue());
    case Obj::LoadTabular: return QString::fromLatin1(tabularText);
    case Obj::LoadFree: return QString::fromLatin1(freeText);
    default: return {};
    }
}

QVariant PropertyBCQuantityItem::toString(const QVariant& v) const
{
    if (v.type() == QVariant::String)
        return v;
    const pmUnit::Quantity q = v.value<pmUnit::Quantity>();
    if (!v.isValid() || isNoValue(q.getValue()))
        return QString();
    return q.getUserString2();
}

QVariant PropertyBCQuantityItem::decoration(const QVariant& v) const
{
    if (v.type() == QVariant::String && v.toString() == QLatin1String(tabularText))
        return QIcon(QStringLiteral(":Icons/pelmora_property_table.svg"));
    return PropertyItem::decoration(v);
}

QVariant PropertyBCQuantityItem::backgroundcolor(const Obj::Property* prop) const
{
    auto* bc = dynamic_cast<const Obj::PropertyBCQuantity*>(prop);
    if (!bc || bc->getLoadValueType() != Obj::LoadConstant)
        return {};
    return numberBackground(bc);
}

void PropertyBCQuantityItem::set_value(const QVariant& v)
{
    QString text;
    if (quantityTextForLogic(v, getFirstProperty(), text))
        setPropertyValue(text);
}

VEXIL_TYPESYSTEM_SOURCE(Gui::PropertyOperator::PropertyBCQuantityConstraintItem, Gui::PropertyOperator::PropertyBCQuantityItem)

void PropertyBCQuantityConstraintItem::setEditorData(QWidget* editor, const QVariant& data) const
{
    auto* context = qobject_cast<ContextBCEditor*>(editor);
    if (!context) {
        PropertyBCQuantityItem::setEditorData(editor, data);
        return;
    }
    // The limits go to the spin box inside the editor this row made.
    Gui::QuantitySpinBox* sb = context->spinBox();
    auto* p = dynamic_cast<const Obj::PropertyBCQuantityConstraint*>(getFirstProperty());
    if (const Obj::Constraints* c = p ? p->getConstraints() : nullptr) {
        sb->setMinimum(c->minimum);
        sb->setMaximum(c->maximum);
        sb->setSingleStep(c->step);
        double given[3];
        pmUnit::UnitType units[3];
        p->given_limits(given, units);
        sb->setGivenLimits(given[0], units[0], given[1], units[1]);
    } else {
        sb->setMinimum(-2147483648.0);
        sb->setMaximum(2147483647.0);
    }
    PropertyBCQuantityItem::setEditorData(editor, data);
    sb->selectAll();
}

VEXIL_TYPESYSTEM_SOURCE(Gui::PropertyOperator::PropertyBCQuantityVectorItem, Gui::PropertyOperator::PropertyItem)

PropertyBCQuantityVectorItem::PropertyBCQuantityVectorItem()
    : PropertyQuantityVectorItem(PropertyBCQuantityItem::getClassTypeId(), true)
{
}

VEXIL_TYPESYSTEM_SOURCE(Gui::PropertyOperator::PropertyInputBCItem, Gui::PropertyOperator::PropertyItem)

QWidget* PropertyInputBCItem::createEditor(QWidget* parent, const QObject* receiver, const char* method) const
{
    auto* editor = new InputBCEditor(parent);
    editor->setAutoFillBackground(true);
    QObject::connect(editor, SIGNAL(textChanged(const QString&)), receiver, method);
    return editor;
}

void PropertyInputBCItem::setEditorData(QWidget* editor, const QVariant& data) const
{
    auto* input = qobject_cast<InputBCEditor*>(editor);
    if (!input)
        return;
    const pmUnit::Quantity q = data.value<pmUnit::Quantity>();
    const Vexil::Vector3d v = q.getVector3DValue();
    const pmUnit::Flags3 f = q.getVectorBool();
    input->set_text(QStringLiteral("[%1, %2, %3]")
                        .arg(componentText(f.x, v.x), componentText(f.y, v.y), componentText(f.z, v.z)));
    if (get_property_data().size() == 1
        && getFirstProperty()->getTypeId() == Obj::PropertyInputBC::getClassTypeId())
        input->setProperty(getFirstProperty());
}

QVariant PropertyInputBCItem::editorData(QWidget* editor) const
{
    auto* input = qobject_cast<InputBCEditor*>(editor);
    return input ? QVariant(input->get_text().split(QLatin1Char('\n'))) : QVariant();
}

QVariant PropertyInputBCItem::value(const Obj::Property* prop) const
{
    auto* p = dynamic_cast<const Obj::PropertyInputBC*>(prop);
    if (!p)
        return {};
    bool given[3];
    double values[3];
    p->getBCValues(given, values);
    return QVariant::fromValue(pmUnit::Quantity(given[0], given[1], given[2], values[0], values[1], values[2],
                                                p->getQuantityKind(), p->getUnitType()));
}

QVariant PropertyInputBCItem::toString(const QVariant& v) const
{
    if (!v.canConvert<pmUnit::Quantity>())
        return QString();
    const pmUnit::Quantity q = v.value<pmUnit::Quantity>();
    const Vexil::Vector3d c = q.getVector3DValue();
    const pmUnit::Flags3 f = q.getVectorBool();
    return QStringLiteral("[%1, %2, %3] %4")
        .arg(componentText(f.x, c.x), componentText(f.y, c.y), componentText(f.z, c.z), q.getUnitString());
}

void PropertyInputBCItem::set_value(const QVariant& v)
{
    // The editor's text list comes back from the cell: the dialog writes the values
    // itself, so only a three-component quantity is written here.
    if (v.type() == QVariant::StringList || !v.canConvert<pmUnit::Quantity>())
        return;
    const pmUnit::Quantity q = v.value<pmUnit::Quantity>();
    if (!q.isVector())
        return;
    const Vexil::Vector3d c = q.getVector3DValue();
    const pmUnit::Flags3 f = q.getVectorBool();
    setPropertyValue(QStringLiteral("(%1, %2, %3)")
                         .arg(componentForLogic(f.x, c.x), componentForLogic(f.y, c.y), componentForLogic(f.z, c.z)));
}
