#pragma once
// Simulation modules: each defines the menus, toolbars and docks shown while it is
// active.  The controller keeps the active one.

#include "PelmoraGuiExport.h"

#include <vexil/RootClass.h>

#include <QStringList>

#include <map>
#include <memory>
#include <string>

namespace Gui {

class PELMORAGUI_EXPORT SimModule : public Vexil::RootClass
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    SimModule();
    ~SimModule() override;

    const std::string& name() const { return moduleName; }
    void setName(const std::string& n) { moduleName = n; }

    // Lays out the module's toolbars, docks and menus; false when that fails.
    virtual bool activate();
    // Told after activation or before another module takes over.
    virtual void activated() {}
    virtual void deactivated() {}

private:
    std::string moduleName;
};

class PELMORAGUI_EXPORT StdSimModule : public SimModule
{
    VEXIL_TYPESYSTEM_HEADER();
};

class PELMORAGUI_EXPORT BlankSimModule : public SimModule
{
    VEXIL_TYPESYSTEM_HEADER();
};

class PELMORAGUI_EXPORT NoneSimModule : public StdSimModule
{
    VEXIL_TYPESYSTEM_HEADER();
};

class PELMORAGUI_EXPORT TestSimModule : public StdSimModule
{
    VEXIL_TYPESYSTEM_HEADER();
};

// Creates modules by class name, one instance per module name, and keeps the active one.
class PELMORAGUI_EXPORT SimModuleController
{
public:
    static SimModuleController* instance();
    static void destruct();

    // Makes `name` the active module, built from the registered class `className` on
    // first use.  False when the class is unknown or not a module, or activation fails.
    bool activate(const char* name, const char* className);
    SimModule* active_simmodule() const { return active; }
    SimModule* get_simmodule(const char* name) const;
    QStringList simmodules() const;

private:
    SimModuleController() = default;
    ~SimModuleController();
    std::map<std::string, std::unique_ptr<SimModule>> modules;
    SimModule* active = nullptr;
    static SimModuleController* _instance;
};

} // namespace Gui
