#include "ViewFeeder.h"

#include "core/qPelmoraApplication.h"
#include "mainwindow/PictureFactory.h"

#include <obj/ProjectObject.h>

#include <cstring>

using namespace Gui;

VEXIL_TYPESYSTEM_SOURCE(Gui::ViewFeeder, Obj::PropertyContainer)
VEXIL_TYPESYSTEM_SOURCE(Gui::ViewFeederExtern, Gui::ViewFeeder)
VEXIL_TYPESYSTEM_SOURCE(Gui::ViewFeederProject, Gui::ViewFeeder)
VEXIL_TYPESYSTEM_SOURCE(Gui::ViewFeederProjectObject, Gui::ViewFeeder)
VEXIL_TYPESYSTEM_SOURCE(Gui::ViewFeederFeature, Gui::ViewFeederProjectObject)
VEXIL_TYPESYSTEM_SOURCE(Gui::ViewFeederProjectObjectGroup, Gui::ViewFeederProjectObject)
VEXIL_TYPESYSTEM_SOURCE(Gui::ViewFeederTopoObject, Gui::ViewFeederProjectObject)

ViewFeeder::ViewFeeder() = default;
ViewFeeder::~ViewFeeder() = default;

QIcon ViewFeeder::getIcon() const
{
    return QIcon(PictureFactory::instance().get_pixmap(pixmapName.c_str()));
}

bool ViewFeeder::onDelete(std::vector<std::string>)
{
    return true;
}

void ViewFeeder::update(const Obj::Property* property)
{
    if (!updatesEnabled)
        return;
    const bool wasShown = shown;
    shown = false;
    try {
        updateData(property);
    }
    catch (...) {
        if (wasShown && isVisibleByProperty())
            shown = true;
        throw;
    }
    if (wasShown && isVisibleByProperty())
        shown = true;
}

void ViewFeeder::finishEditing()
{
    unsetEdit(editMode);
    editMode = -1;
}

void ViewFeeder::on_changed(const Obj::Property* property)
{
    if (!property)
        return;
    if (qPelmoraApplication* app = qPelmoraApplication::application())
        app->signal_change_object(*this, *property);
}

ViewFeederProjectObject::ViewFeederProjectObject()
{
    auto* visibility = static_cast<Obj::PropertyBoolean*>(add_property("Obj::PropertyBoolean", "Visibility"));
    if (visibility) {
        // Set quietly: nothing listens yet, and a new feeder is shown by updateView.
        setUpdatesEnabled(false);
        visibility->set_value(true);
        setUpdatesEnabled(true);
    }
}

ViewFeederProjectObject::~ViewFeederProjectObject() = default;

unsigned int ViewFeederProjectObject::getObjectId() const
{
    return object ? object->getObjectId() : 0;
}

bool ViewFeederProjectObject::isVisibleByProperty() const
{
    const auto* visibility = static_cast<const Obj::PropertyBoolean*>(get_property_by_name("Visibility"));
    return !visibility || visibility->get_value();
}

void ViewFeederProjectObject::updateView()
{
    if (isShow())
        hide();
    if (isVisibleByProperty())
        show();
}

void ViewFeederProjectObject::on_changed(const Obj::Property* property)
{
    if (!isUpdatesEnabled())
        return;
    if (property && std::strcmp(property->get_name(), "Visibility") == 0) {
        if (isVisibleByProperty())
            show();
        else
            hide();
    }
    ViewFeeder::on_changed(property);
}

std::vector<Obj::ProjectObject*> Gui::groupMembers(const Obj::ProjectObject* object)
{
    if (object && object->is_inherited_from(Obj::ProjectObjectGroup::getClassTypeId()))
        return static_cast<const Obj::ProjectObjectGroup*>(object)->get_objects();
    return {};
}

std::vector<Obj::ProjectObject*> ViewFeederProjectObjectGroup::claim_descendants() const
{
    return groupMembers(object);
}
