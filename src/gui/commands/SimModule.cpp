#include "SimModule.h"

#include "mainwindow/DockingWindowMediator.h"
#include "mainwindow/MainWindow.h"
#include "mainwindow/MenuCoordinator.h"

#include <obj/Application.h>
#include <vexil/Exception.h>
#include <vexil/MsgConsole.h>

#include <QAction>
#include <QDockWidget>
#include <QStatusBar>

using namespace Gui;

VEXIL_TYPESYSTEM_SOURCE_ABSTRACT(Gui::SimModule, Vexil::RootClass)
VEXIL_TYPESYSTEM_SOURCE(Gui::StdSimModule, Gui::SimModule)
VEXIL_TYPESYSTEM_SOURCE(Gui::BlankSimModule, Gui::SimModule)
VEXIL_TYPESYSTEM_SOURCE(Gui::NoneSimModule, Gui::StdSimModule)
VEXIL_TYPESYSTEM_SOURCE(Gui::TestSimModule, Gui::SimModule)

SimModule::SimModule() = default;
SimModule::~SimModule() = default;

bool SimModule::activate()
{
    std::unique_ptr<DockingWindowItems> docks(build_docking_windows());
    DockingWindowMediator::instance()->setup(docks.get());
    return true;
}

DockingWindowItems* StdSimModule::build_docking_windows() const
{
    auto* items = new DockingWindowItems();
    items->add_docking_window("Std_TreeView", Qt::LeftDockWidgetArea, true, false);
    items->add_docking_window("Std_PropertyView", Qt::LeftDockWidgetArea, true, false);
    items->add_docking_window("Std_SelectionView3", Qt::LeftDockWidgetArea, true, false);
    items->add_docking_window("Std_ReportView", Qt::BottomDockWidgetArea, true, false);
    items->add_docking_window("Std_TableView", Qt::RightDockWidgetArea, true, false);
    items->add_docking_window("Std_GraphView", Qt::RightDockWidgetArea, true, false);
    if (Obj::Application::_pcSingleton && Obj::Application::instance().useOldSelectionView)
        items->add_docking_window("Std_SelectionView", Qt::RightDockWidgetArea, false, false);
    return items;
}

DockingWindowItems* BlankSimModule::build_docking_windows() const
{
    return new DockingWindowItems();
}

void BlankSimModule::activated()
{
    MainWindow* mw = MainWindow::get_main_window_inst();
    if (!mw)
        return;
    const QList<QDockWidget*> docks = mw->findChildren<QDockWidget*>();
    for (QDockWidget* dock : docks)
        dock->toggleViewAction()->setVisible(false);
    mw->statusBar()->hide();
}

void BlankSimModule::deactivated()
{
    // The docks' toggle actions come back with the next layout that names them.
    if (MainWindow* mw = MainWindow::get_main_window_inst())
        mw->statusBar()->show();
}

DockingWindowItems* NoneSimModule::build_docking_windows() const
{
    auto* items = new DockingWindowItems();
    items->add_docking_window("Std_ReportView", Qt::BottomDockWidgetArea, true, false);
    return items;
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

SimModuleController::~SimModuleController()
{
    active = nullptr;
    modules.clear();
    MenuCoordinator::destruct();
    DockingWindowMediator::destruct();
}

SimModule* SimModuleController::new_simmodule(const char* name, const char* className)
{
    if (!name || !className)
        return nullptr;
    auto it = modules.find(name);
    if (it != modules.end())
        return it->second.get();
    std::unique_ptr<Vexil::RootClass> built(Vexil::TypeInfo::build_instance_by_name(className, false));
    if (!built) {
        Vexil::MsgConsoleSingleton::Instance().Log(
            "SimModuleController::new_simmodule(): Can not create SimModule instance with type: %s\n",
            className);
        return nullptr;
    }
    auto* module = dynamic_cast<SimModule*>(built.get());
    if (!module || !built->is_inherited_from(SimModule::getClassTypeId()))
        throw Vexil::ExceptionHandler(std::string("'") + className + "' not a workbench type");
    built.release();
    module->setName(name);
    modules[name].reset(module);
    return module;
}

bool SimModuleController::activate(const char* name, const char* className)
{
    SimModule* module = new_simmodule(name, className);
    if (!module)
        return false;
    active = module;
    return module->activate();
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

void SimModuleController::delete_simmodule(const char* name)
{
    auto it = name ? modules.find(name) : modules.end();
    if (it == modules.end())
        return;
    if (active == it->second.get())
        active = nullptr;
    modules.erase(it);
}
