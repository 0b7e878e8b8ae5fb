#include "PropertyAdvEnumItem.h"

#include <obj/PropertyAdvEnum.h>

#include <counted/CountedSteps.h>

#include <QColor>
#include <QComboBox>
#include <QCoreApplication>
#include <counted/SeededQtHash.h>

#include <unordered_set>
#include <QStringList>

using namespace Gui::PropertyOperator;

VEXIL_TYPESYSTEM_SOURCE(Gui::PropertyOperator::PropertyAdvEnumItem, Gui::PropertyOperator::PropertyItem)

namespace {

const Obj::PropertyAdvEnum* asChoice(const Obj::Property* prop, const Vexil::TypeInfo& type)
{
    if (!prop || !prop->is_inherited_from(type))
        return nullptr;
    return dynamic_cast<const Obj::PropertyAdvEnum*>(prop);
}

QString noSelection()
{
    return QCoreApplication::translate("Gui::PropertyOperator::PropertyAdvEnumItem", "No Selection");
}

} // namespace

std::uint64_t& PropertyAdvEnumItem::nameSteps()
{
    return Counted::tally<struct PropertyAdvEnumItemNameSteps>();
}

Vexil::TypeInfo PropertyAdvEnumItem::propertyClass() const
{
    return Obj::PropertyAdvEnum::getClassTypeId();
}

QWidget* PropertyAdvEnumItem::createEditor(QWidget* parent, const QObject* receiver, const char* method) const
{
    auto* box = new QComboBox(parent);
    box->setFrame(false);
    box->setDisabled(is_read_only());
    QObject::connect(box, SIGNAL(activated(int)), receiver, method);
    return box;
}

void PropertyAdvEnumItem::setEditorData(QWidget* editor, const QVariant& data) const
{
    auto* box = qobject_cast<QComboBox*>(editor);
    if (!box)
        return;
    const Vexil::TypeInfo type = propertyClass();
    // Every name these lists hand out is counted, so a walk over them shows in the count.
    using Names = Counted::Vector<QString, &PropertyAdvEnumItem::nameSteps>;
    Names common;
    bool first = true;
    for (const Obj::Property* prop : get_property_data()) {
        if (prop->getTypeId() != type)
            continue;
        const auto* choice = static_cast<const Obj::PropertyAdvEnum*>(prop);
        Names own;
        for (const std::string& n : choice->get_objects_of_type_name()) {
            own.push_back(QString::fromUtf8(n.c_str()));
            ++nameSteps();
        }
        if (first) {
            common = std::move(own);
            first = false;
            continue;
        }
        // Keep the later object's order: the list shows what the last one offers.  The
        // names are the project's objects, so membership is hashed, under the process's seed.
        const std::unordered_set<QString, Counted::SeededHash<QString>> offered(common.cbegin(), common.cend());
        Names kept;
        for (const QString& n : own) {
            if (offered.count(n))
                kept.push_back(n);
        }
        common = std::move(kept);
    }
    if (common.empty())
        return;
    // The row refreshes an open editor on every change of its value: the names replace
    // the ones shown, or they would be offered once more each time.
    box->clear();
    box->addItems(QStringList(common.cbegin(), common.cend()));
    box->setCurrentIndex(box->findText(data.toString(), Qt::MatchCaseSensitive));
}

QVariant PropertyAdvEnumItem::editorData(QWidget* editor) const
{
    auto* box = qobject_cast<QComboBox*>(editor);
    return box ? QVariant(box->currentText()) : QVariant();
}

QVariant PropertyAdvEnumItem::value(const Obj::Property* prop) const
{
    const Obj::PropertyAdvEnum* choice = asChoice(prop, propertyClass());
    if (!choice)
        return {};
    if (!choice->get_enums())
        return noSelection();
    const std::vector<std::string> list = choice->get_enum_list();
    const long i = choice->get_value();
    if (i < 0 || i >= static_cast<long>(list.size()))
        return noSelection();
    return QString::fromUtf8(list[static_cast<std::size_t>(i)].c_str());
}

QVariant PropertyAdvEnumItem::backgroundcolor(const Obj::Property* prop) const
{
    const Obj::PropertyAdvEnum* choice = asChoice(prop, propertyClass());
    if (!choice)
        return {};
    if (!choice->get_enums() || choice->get_num_of_objects() < 1)
        return QColor(255, 255, 102, 255);
    if (prop->isInValid())
        return QColor(Qt::red);
    return {};
}

void PropertyAdvEnumItem::set_value(const QVariant& v)
{
    if (!v.canConvert<QStringList>())
        return;
    const QStringList list = v.toStringList();
    if (!list.isEmpty())
        setPropertyValue(list.first());
}
