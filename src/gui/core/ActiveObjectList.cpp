#include "ActiveObjectList.h"

#include "core/GuiProject.h"
#include "core/qPelmoraApplication.h"
#include "visualization/ViewFeeder.h"

#include <obj/ProjectObject.h>

using namespace Gui;

namespace {

// The object's GUI project and feeder, when both exist.
std::pair<GuiProject*, const ViewFeederProjectObject*> feederOf(const Obj::ProjectObject* object)
{
    qPelmoraApplication* app = qPelmoraApplication::application();
    if (!app || !object || !object->get_project())
        return {nullptr, nullptr};
    GuiProject* project = app->get_project(object->get_project());
    if (!project)
        return {nullptr, nullptr};
    ViewFeeder* feeder = project->get_view_feeder(object);
    if (!feeder || !feeder->is_inherited_from(ViewFeederProjectObject::getClassTypeId()))
        return {project, nullptr};
    return {project, static_cast<const ViewFeederProjectObject*>(feeder)};
}

} // namespace

bool ActiveObjectList::hasObject(const char* name) const
{
    return name && objects.count(name) != 0;
}

Obj::ProjectObject* ActiveObjectList::getObject(const char* name) const
{
    if (!name)
        return nullptr;
    const auto it = objects.find(name);
    return it == objects.end() ? nullptr : it->second;
}

void ActiveObjectList::setObject(Obj::ProjectObject* object, const char* name, const HighlightMode& mode)
{
    if (!name)
        return;
    const auto it = objects.find(name);
    if (it != objects.end()) {
        auto previous = feederOf(it->second);
        if (previous.second) {
            previous.first->signal_highlight_object(*previous.second, mode, false);
            previous.first->signal_expand_object(*previous.second, CollapseItem);
        }
    }
    if (!object) {
        objects.erase(name);
        return;
    }
    auto next = feederOf(object);
    if (next.second) {
        next.first->signal_highlight_object(*next.second, mode, true);
        next.first->signal_expand_object(*next.second, ExpandPath);
    }
    objects[name] = object;
}

void ActiveObjectList::objectDeleted(const ViewFeederProjectObject& feeder)
{
    const Obj::ProjectObject* gone = feeder.get_object();
    if (!gone)
        return;
    for (auto it = objects.begin(); it != objects.end();) {
        if (it->second == gone)
            it = objects.erase(it);
        else
            ++it;
    }
}

std::string Gui::entity_subelement_name(unsigned int kind, int number)
{
    switch (kind) {
    case 4: return "Body1";
    case 3: return "Face" + std::to_string(number);
    case 2: return "Edge" + std::to_string(number);
    case 1: return "Vert" + std::to_string(number);
    default: return {};
    }
}

std::string Gui::entity_type_name(unsigned int kind)
{
    switch (kind) {
    case 1: return "Vertex";
    case 2: return "Edge";
    case 3: return "Face";
    case 4: return "Body";
    default: return "Undefined";
    }
}
