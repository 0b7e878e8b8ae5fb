#include "PropertyCoupleItem.h"

#include "LinkLabel.h"

#include <obj/Application.h>
#include <obj/Project.h>
#include <obj/ProjectObject.h>
#include <obj/PropertyCouple.h>

#include <QStringList>

using namespace Gui::PropertyOperator;

VEXIL_TYPESYSTEM_SOURCE(Gui::PropertyOperator::PropertyCoupleItem, Gui::PropertyOperator::PropertyItem)

QWidget* PropertyCoupleItem::createEditor(QWidget* parent, const QObject* receiver, const char* method) const
{
    auto* label = new LinkLabel(parent);
    label->setAutoFillBackground(true);
    label->setDisabled(is_read_only());
    QObject::connect(label, SIGNAL(linkChanged(const QStringList&)), receiver, method);
    return label;
}

void PropertyCoupleItem::setEditorData(QWidget* editor, const QVariant& data) const
{
    static_cast<LinkLabel*>(editor)->setPropertyLink(data.toStringList());
}

QVariant PropertyCoupleItem::editorData(QWidget* editor) const
{
    return static_cast<LinkLabel*>(editor)->propertyLink();
}

QVariant PropertyCoupleItem::toString(const QVariant& v) const
{
    return v.toStringList().value(2);
}

QVariant PropertyCoupleItem::value(const Obj::Property* prop) const
{
    auto* p = dynamic_cast<const Obj::PropertyCouple*>(prop);
    if (!p)
        return {};
    auto* owner = dynamic_cast<const Obj::ProjectObject*>(p->get_container());
    const QString ownerId = owner ? QString::number(owner->getObjectId()) : QStringLiteral("Null");
    if (const Obj::ProjectObject* linked = p->get_value()) {
        const Obj::Project* project = linked->get_project();
        return QStringList{project ? QString::fromUtf8(project->get_name()) : QString(),
                           QString::number(linked->getObjectId()), QString::fromUtf8(linked->get_label()), ownerId};
    }
    const Obj::Project* ownerProject = owner ? owner->get_project() : nullptr;
    return QStringList{ownerProject ? QString::fromUtf8(ownerProject->get_name()) : QString(),
                       QStringLiteral("Null"), QString(), ownerId};
}

void PropertyCoupleItem::set_value(const QVariant& v)
{
    const QStringList link = v.toStringList();
    if (link.size() < 2)
        return;
    // The chosen object goes back like any other value: project name and id as a list,
    // escaped so that any project name survives.
    setPropertyValue(QStringLiteral("[%1,%2,]").arg(escapeListEntry(link.at(0)), escapeListEntry(link.at(1))));
}
