#include "SelectionEditor.h"

#include "propertyeditor/PropertyItem.h"
#include "selection/EntitySelectionSingleton.h"

#include <obj/Application.h>
#include <obj/Project.h>
#include <obj/ProjectObject.h>
#include <obj/PropertySelection.h>

#include <QHBoxLayout>
#include <QPushButton>

using namespace Gui::PropertyOperator;

namespace {

bool beginsWith(const std::string& name, const char* word)
{
    return name.compare(0, 4, word) == 0;
}

} // namespace

SelectionEditor::SelectionEditor(QWidget* parent)
    : QWidget(parent)
    , ok(new QPushButton(tr("OK"), this))
    , cancelB(new QPushButton(tr("Cancel"), this))
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(ok);
    layout->addWidget(cancelB);
    connect(ok, SIGNAL(clicked()), this, SLOT(updateSelection()));
    connect(cancelB, SIGNAL(clicked()), this, SLOT(cancel()));
}

SelectionEditor::~SelectionEditor()
{
    disconnect(ok, SIGNAL(clicked()), this, SLOT(updateSelection()));
    disconnect(cancelB, SIGNAL(clicked()), this, SLOT(cancel()));
    delete ok;
    delete cancelB;
    property = nullptr;
}

std::vector<Obj::ProjectObject*> SelectionEditor::get_values() const
{
    return property ? property->get_values() : std::vector<Obj::ProjectObject*>();
}

std::vector<std::string> SelectionEditor::get_sub_values() const
{
    return property ? property->get_sub_values() : std::vector<std::string>();
}

bool SelectionEditor::namesFit(int type, const std::vector<std::string>& names)
{
    // Any of the face, edge and vertex bits asks for sub-entities, and any of the three
    // kinds is one; the body value asks for whole bodies; anything else takes every name.
    const bool subEntities = type & (Obj::SelectFace | Obj::SelectEdge | Obj::SelectVertex);
    const bool bodies = type == Obj::SelectBody;
    if (!subEntities && !bodies)
        return true;
    for (const std::string& n : names) {
        const bool fits = subEntities
            ? beginsWith(n, "Face") || beginsWith(n, "Edge") || beginsWith(n, "Vert")
            : beginsWith(n, "Body");
        if (!fits)
            return false;
    }
    return true;
}

void SelectionEditor::apply(const std::vector<Obj::ProjectObject*>& objects, const std::vector<std::string>& names)
{
    if (!property || !isWritableProperty(property))
        return;
    if (namesFit(property->getSelectionType(), names))
        property->set_values(objects, names);
}

void SelectionEditor::setSelectionValues(std::vector<Obj::ProjectObject*>& objects, std::vector<std::string>& names)
{
    if (!property || names.empty())
        return;
    apply(objects, names);
}

void SelectionEditor::updateSelection()
{
    if (property) {
        const auto* owner = dynamic_cast<const Obj::ProjectObject*>(property->get_container());
        Obj::Project* project = owner ? owner->get_project() : nullptr;
        const char* name = nullptr;
        if (project && Obj::Application::_pcSingleton)
            name = Obj::Application::instance().get_project_name(project);
        if (name && Obj::Application::instance().get_project(name)) {
            std::vector<Obj::ProjectObject*> objects;
            std::vector<std::string> names;
            const std::vector<Gui::CSelectionType> picked = Gui::EntitySelectionSingleton::instance().get_selection2(
                name, Obj::ProjectObject::getClassTypeId());
            for (const Gui::CSelectionType& record : picked) {
                Obj::ProjectObject* object = record.get_object();
                if (!object)
                    continue;
                for (const std::string& sub : record.get_subnames()) {
                    objects.push_back(object);
                    names.push_back(sub);
                }
            }
            // Nothing picked empties the scoping.
            apply(objects, names);
        }
    }
    cancel();
}

void SelectionEditor::cancel()
{
    deleteLater();
}
