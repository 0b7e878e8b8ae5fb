#include "CSelectionType.h"

#include <obj/Application.h>

using namespace Gui;

VEXIL_TYPESYSTEM_SOURCE_ABSTRACT(Gui::CSelectionType, Vexil::RootClass)

CSelectionType::CSelectionType(const char* projectName, unsigned int objectId, const char* typeName)
    : project_name(projectName ? projectName : ""), object_id(objectId), type_name(typeName ? typeName : "")
{
}

CSelectionType::~CSelectionType() = default;

Obj::ProjectObject* CSelectionType::get_object() const
{
    if (project_name.empty() || !Obj::Application::_pcSingleton)
        return nullptr;
    Obj::Project* project = Obj::Application::instance().get_project(project_name.c_str());
    if (!project || object_id == 0)
        return nullptr;
    return project->get_object(object_id);
}
