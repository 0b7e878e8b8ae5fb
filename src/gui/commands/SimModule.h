#pragma once
// Simulation modules: each defines the menus, toolbars, docks and context menus shown
// while it is active.  The controller creates each module once, by class name, and
// keeps the active one.

#include "PelmoraGuiExport.h"

#include <vexil/RootClass.h>

#include <QStringList>

#include <list>
#include <map>
#include <memory>
#include <string>

namespace Gui {

class DockingWindowItems;
class MenuItem;
class ToolBarGadget;

class PELMORAGUI_EXPORT SimModule : public Vexil::RootClass
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    SimModule();
    ~SimModule() override;

    const std::string& name() const { return moduleName; }
    void setName(const std::string& n) { moduleName = n; }
    void set_name(const std::string& n) { moduleName = n; }

    // Lays out toolbars, docks and the menu bar, in that order; true when done.
    bool activate();
    // Re-translates toolbars, tool box, docks and menus after a language change.
    void translate_widget() const;

    // Appends the entries of the named context menu ("View", "Tree") to `item`.
    virtual void build_context_menu(const char* context, MenuItem* item) const;
    virtual void build_context_popup_menu(MenuItem* item) const;
    // Told after activation, or after another module took over.
    virtual void activated() {}
    virtual void deactivated() {}
    // The module's trees and dock layout; the caller deletes them.
    virtual MenuItem* build_menu_bar() const = 0;
    virtual ToolBarGadget* build_toolbars() const = 0;
    virtual ToolBarGadget* build_message_bars() const = 0;
    virtual DockingWindowItems* build_docking_windows() const = 0;

private:
    std::string moduleName;
};

// The standard layout.
class PELMORAGUI_EXPORT StdSimModule : public SimModule
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    void build_context_menu(const char* context, MenuItem* item) const override;
    MenuItem* build_menu_bar() const override;
    ToolBarGadget* build_toolbars() const override;
    ToolBarGadget* build_message_bars() const override;
    DockingWindowItems* build_docking_windows() const override;
};

// Nothing but the document area: no docks to toggle and no status bar while active.
class PELMORAGUI_EXPORT BlankSimModule : public StdSimModule
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    void build_context_menu(const char* context, MenuItem* item) const override;
    MenuItem* build_menu_bar() const override;
    ToolBarGadget* build_toolbars() const override;
    ToolBarGadget* build_message_bars() const override;
    DockingWindowItems* build_docking_windows() const override;
    void activated() override;
    void deactivated() override;
};

// A minimal menu and the console only.
class PELMORAGUI_EXPORT NoneSimModule : public StdSimModule
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    void build_context_menu(const char* context, MenuItem* item) const override;
    MenuItem* build_menu_bar() const override;
    ToolBarGadget* build_toolbars() const override;
    ToolBarGadget* build_message_bars() const override;
    DockingWindowItems* build_docking_windows() const override;
};

// The standard layout with menus of test commands in front of "&Help".
class PELMORAGUI_EXPORT TestSimModule : public StdSimModule
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    MenuItem* build_menu_bar() const override;
    ToolBarGadget* build_toolbars() const override;
    ToolBarGadget* build_message_bars() const override;
};

class PELMORAGUI_EXPORT SimModuleController
{
public:
    static SimModuleController* instance();
    static void destruct();

    // It owns its modules: a copy would delete them twice.
    SimModuleController(const SimModuleController&) = delete;
    SimModuleController& operator=(const SimModuleController&) = delete;

    // The module of that name, created from the registered class `className` on first
    // use.  Null (with a log line) when the class cannot be built; throws
    // Vexil::ExceptionHandler when the class is not a module.
    SimModule* new_simmodule(const char* name, const char* className);
    // Makes the module the active one and applies its layout; false when it cannot be
    // created, in which case the active module stays.
    bool activate(const char* name, const char* className);
    SimModule* active_simmodule() const { return activeModule; }
    SimModule* active() const { return activeModule; }
    SimModule* get_simmodule(const char* name) const;
    SimModule* get_simodulue(const std::string& name) const { return get_simmodule(name.c_str()); }
    // Names of the created modules, in name order.
    QStringList simmodules() const;
    std::list<std::string> get_simmodules() const;
    void delete_simmodule(const char* name);

private:
    SimModuleController() = default;
    ~SimModuleController();
    std::map<std::string, std::unique_ptr<SimModule>> modules;
    SimModule* activeModule = nullptr;
    static SimModuleController* _instance;
};

} // namespace Gui
