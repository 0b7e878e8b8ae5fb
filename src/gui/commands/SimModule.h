#pragma once
// Simulation modules: each defines the menus, toolbars and docks shown while it is
// active.  The controller creates each module once, by class name, and keeps the
// active one.

#include "PelmoraGuiExport.h"

#include <vexil/RootClass.h>

#include <QStringList>

#include <map>
#include <memory>
#include <string>

namespace Gui {

class DockingWindowItems;

class PELMORAGUI_EXPORT SimModule : public Vexil::RootClass
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    SimModule();
    ~SimModule() override;

    const std::string& name() const { return moduleName; }
    void setName(const std::string& n) { moduleName = n; }

    // Applies the module's layout to the main window; true when done.
    bool activate();
    // Told after activation or before another module takes over.
    virtual void activated() {}
    virtual void deactivated() {}
    // The module's dock layout (caller deletes).
    virtual DockingWindowItems* build_docking_windows() const = 0;

private:
    std::string moduleName;
};

// The standard layout.
class PELMORAGUI_EXPORT StdSimModule : public SimModule
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    DockingWindowItems* build_docking_windows() const override;
};

// Nothing but the document area: no docks to toggle and no status bar while active.
class PELMORAGUI_EXPORT BlankSimModule : public StdSimModule
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    DockingWindowItems* build_docking_windows() const override;
    void activated() override;
    void deactivated() override;
};

class PELMORAGUI_EXPORT NoneSimModule : public StdSimModule
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    DockingWindowItems* build_docking_windows() const override;
};

class PELMORAGUI_EXPORT TestSimModule : public StdSimModule
{
    VEXIL_TYPESYSTEM_HEADER();
};

class PELMORAGUI_EXPORT SimModuleController
{
public:
    static SimModuleController* instance();
    static void destruct();

    // The module of that name, created from the registered class `className` on first
    // use.  Null (with a log line) when the class cannot be built; throws
    // Vexil::ExceptionHandler when the class is not a module.
    SimModule* new_simmodule(const char* name, const char* className);
    // Makes the module the active one and applies its layout; false when it cannot be
    // created, in which case the active module stays.
    bool activate(const char* name, const char* className);
    SimModule* active_simmodule() const { return active; }
    SimModule* get_simmodule(const char* name) const;
    // Names of the created modules, in name order.
    QStringList simmodules() const;
    void delete_simmodule(const char* name);

private:
    SimModuleController() = default;
    ~SimModuleController();
    std::map<std::string, std::unique_ptr<SimModule>> modules;
    SimModule* active = nullptr;
    static SimModuleController* _instance;
};

} // namespace Gui
