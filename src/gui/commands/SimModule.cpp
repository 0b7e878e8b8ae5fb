#include "SimModule.h"

using namespace Gui;

VEXIL_TYPESYSTEM_SOURCE_ABSTRACT(Gui::SimModule, Vexil::RootClass)
VEXIL_TYPESYSTEM_SOURCE(Gui::StdSimModule, Gui::SimModule)
VEXIL_TYPESYSTEM_SOURCE(Gui::BlankSimModule, Gui::SimModule)
VEXIL_TYPESYSTEM_SOURCE(Gui::NoneSimModule, Gui::StdSimModule)
VEXIL_TYPESYSTEM_SOURCE(Gui::TestSimModule, Gui::StdSimModule)

SimModule::SimModule() = default;
SimModule::~SimModule() = default;

bool SimModule::activate()
{
    return true;
}

SimModuleController* SimModuleController::_instance = nullptr;

SimModuleController* SimModuleController::instance()
{
    if (!_instance)
        _instance = new SimModuleController();
    return _instance;
}

void SimModuleController::destruct()
{
    delete _instance;
    _instance = nullptr;
}

SimModuleController::~SimModuleController() = default;

bool SimModuleController::activate(const char* name, const char* className)
{
    if (!name || !className)
        return false;
    auto it = modules.find(name);
    if (it == modules.end()) {
        Vexil::TypeInfo type = Vexil::TypeInfo::get_type_from_name(className);
        if (!type.is_inherited_from(SimModule::getClassTypeId()))
            return false;
        std::unique_ptr<Vexil::RootClass> built(type.build_instance());
        auto* module = dynamic_cast<SimModule*>(built.get());
        if (!module)
            return false;
        built.release();
        module->setName(name);
        it = modules.emplace(name, std::unique_ptr<SimModule>(module)).first;
    }
    if (!it->second->activate())
        return false;
    active = it->second.get();
    return true;
}

SimModule* SimModuleController::get_simmodule(const char* name) const
{
    auto it = name ? modules.find(name) : modules.end();
    return it == modules.end() ? nullptr : it->second.get();
}

QStringList SimModuleController::simmodules() const
{
    QStringList list;
    for (const auto& entry : modules)
        list << QString::fromStdString(entry.first);
    return list;
}
