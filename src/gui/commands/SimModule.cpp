#include "SimModule.h"

#include "commands/ToolBarConsole.h"
#include "commands/ToolBoxManager.h"
#include "mainwindow/DockingWindowMediator.h"
#include "mainwindow/MainWindow.h"
#include "mainwindow/MenuCoordinator.h"
#include "mainwindow/MenuItem.h"
#include "mainwindow/ToolBarGadget.h"
#include "selection/TreeSelectionSingleton.h"

#include <obj/Application.h>
#include <obj/ProjectObject.h>
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

namespace {

// Project objects selected in the tree (of the current project).
std::size_t selectedProjectObjects()
{
    return TreeSelectionSingleton::instance().get_num_objects_of_type(Obj::ProjectObject::getClassTypeId());
}

MenuItem* submenu(MenuItem* parent, const char* title)
{
    auto* item = new MenuItem(parent);
    item->set_command(title);
    return item;
}

} // namespace

SimModule::SimModule() = default;
SimModule::~SimModule() = default;

void SimModule::build_context_menu(const char*, MenuItem*) const {}
void SimModule::build_context_popup_menu(MenuItem*) const {}

bool SimModule::activate()
{
    // A null tree goes on as it is: its consumer ignores it.
    ToolBarGadget* toolbars = build_toolbars();
    ToolBarConsole::getInstance()->setup(toolbars);
    delete toolbars;

    std::unique_ptr<DockingWindowItems> docks(build_docking_windows());
    DockingWindowMediator::instance()->setup(docks.get());

    MenuItem* menuBar = build_menu_bar();
    MenuCoordinator::getInstance()->setup(menuBar);
    delete menuBar;
    return true;
}

void SimModule::translate_widget() const
{
    ToolBarConsole::getInstance()->translate_widget();
    ToolBoxManager::getInstance()->translate_widget();
    DockingWindowMediator::instance()->translate_widget();
    MenuCoordinator::getInstance()->translate_widget();
}

// ---------------------------------------------------------------------------------------
// The standard module

MenuItem* StdSimModule::build_menu_bar() const
{
    auto* root = new MenuItem();
    *submenu(root, "&FILE") << "Std_New" << "Std_OpenPMDB" << "Separator" << "Std_CloseCurrentWindow"
                            << "Std_CloseAllWnds" << "Separator" << "Std_Save" << "Std_SaveAs"
                            << "Separator" << "Std_DlgUserPref2" << "Separator" << "Std_Quit";
    // Copy, paste and duplicate have no other place, where the keys would reach them.
    *submenu(root, "&EDIT") << "Std_Copy" << "Std_Paste" << "Std_DuplicateSelection" << "Separator"
                            << "Std_Delete";
    MenuItem* view = submenu(root, "&VIEW");
    *view << "Std_OrthographicView" << "Std_PerspectiveView" << "Separator";
    *submenu(view, "Standard views") << "Std_ViewExtents" << "Std_ViewZoomIn" << "Std_ViewZoomOut";
    *view << "Separator" << "Std_ScalarBar" << "Std_ClipWidget";
    *view << "Separator" << "Std_ViewWindowDocking" << "Separator" << "Std_ToolbarViewMenu"
          << "Std_DockMenu" << "Separator" << "Std_ShowStatusBar";
    *root << "Separator";
    *submenu(root, "&HELP") << "Std_Documentation" << "Std_PelmoraWebsite" << "Std_PelmoraForum"
                            << "Separator" << "Std_About2";
    return root;
}

ToolBarGadget* StdSimModule::build_toolbars() const
{
    auto* root = new ToolBarGadget();
    auto* file = new ToolBarGadget(root);
    file->set_command("FILE");
    *file << "Std_New" << "Std_CloseCurrentWindow" << "Std_About2";
    return root;
}

ToolBarGadget* StdSimModule::build_message_bars() const
{
    return new ToolBarGadget();
}

DockingWindowItems* StdSimModule::build_docking_windows() const
{
    auto* items = new DockingWindowItems();
    items->add_docking_widget("Std_TreeView", Qt::LeftDockWidgetArea, true, false);
    items->add_docking_widget("Std_PropertyView", Qt::LeftDockWidgetArea, true, false);
    items->add_docking_widget("Std_SelectionView3", Qt::LeftDockWidgetArea, true, false);
    items->add_docking_widget("Std_ReportView", Qt::BottomDockWidgetArea, true, false);
    items->add_docking_widget("Std_TableView", Qt::RightDockWidgetArea, true, false);
    items->add_docking_widget("Std_GraphView", Qt::RightDockWidgetArea, true, false);
    if (Obj::Application::_pcSingleton && Obj::Application::instance().useOldSelectionView)
        items->add_docking_widget("Std_SelectionView", Qt::RightDockWidgetArea, false, false);
    return items;
}

void StdSimModule::build_context_menu(const char* context, MenuItem* item) const
{
    if (!context || !item)
        return;
    const std::string name = context;
    if (name == "View") {
        *item << "Std_ViewExtents" << "Std_ViewZoomIn" << "Std_ViewZoomOut" << "Separator"
              << "Std_ViewWindowDocking";
        if (selectedProjectObjects() > 0)
            *item << "Separator" << "Std_Delete";
    }
    else if (name == "Tree") {
        if (selectedProjectObjects() > 0)
            *item << "Separator" << "Std_Delete";
    }
}

// ---------------------------------------------------------------------------------------
// The blank module

void BlankSimModule::build_context_menu(const char*, MenuItem*) const {}
MenuItem* BlankSimModule::build_menu_bar() const { return new MenuItem(); }
ToolBarGadget* BlankSimModule::build_toolbars() const { return new ToolBarGadget(); }
ToolBarGadget* BlankSimModule::build_message_bars() const { return new ToolBarGadget(); }
DockingWindowItems* BlankSimModule::build_docking_windows() const { return new DockingWindowItems(); }

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

// ---------------------------------------------------------------------------------------
// The module without a model

void NoneSimModule::build_context_menu(const char*, MenuItem*) const {}

MenuItem* NoneSimModule::build_menu_bar() const
{
    auto* root = new MenuItem();
    *submenu(root, "&File") << "Std_Quit";
    *submenu(root, "&Edit") << "Std_DlgUserPref";
    *submenu(root, "&View") << "Std_Simmodule";
    *root << "Separator";
    *submenu(root, "&Help") << "Std_OnlineHelp" << "Std_About2" << "Std_AboutQt";
    return root;
}

ToolBarGadget* NoneSimModule::build_toolbars() const { return new ToolBarGadget(); }
ToolBarGadget* NoneSimModule::build_message_bars() const { return new ToolBarGadget(); }

DockingWindowItems* NoneSimModule::build_docking_windows() const
{
    auto* items = new DockingWindowItems();
    items->add_docking_widget("Std_ReportView", Qt::BottomDockWidgetArea, true, false);
    return items;
}

// ---------------------------------------------------------------------------------------
// The test module

MenuItem* TestSimModule::build_menu_bar() const
{
    MenuItem* root = StdSimModule::build_menu_bar();
    // The standard tree titles its help menu "&HELP": then nothing is added.
    MenuItem* help = nullptr;
    for (MenuItem* child : root->get_items()) {
        if (child->command_ref() == "&Help") {
            help = child;
            break;
        }
    }
    if (!help)
        return root;
    for (MenuItem* entry : help->get_items()) {
        if (entry->command_ref() == "Std_WhatsThis") {
            help->remove_item(entry);
            delete entry;
            break;
        }
    }
    auto* tests = new MenuItem();
    tests->set_command("Test &Commands");
    *tests << "Std_Test1" << "Std_Test2" << "Std_Test3" << "Std_Test4" << "Std_Test5" << "Std_Test6"
           << "Std_Test7" << "Std_Test8";
    root->insert_item(help, tests);
    auto* inventor = new MenuItem();
    inventor->set_command("&Inventor View");
    *inventor << "Std_ViewTest1" << "Std_ViewTest2" << "Std_ViewTest3";
    root->insert_item(help, inventor);
    return root;
}

ToolBarGadget* TestSimModule::build_toolbars() const { return nullptr; }
ToolBarGadget* TestSimModule::build_message_bars() const { return nullptr; }

// ---------------------------------------------------------------------------------------
// The controller

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
    activeModule = nullptr;
    modules.clear();
    MenuCoordinator::destruct();
    ToolBarConsole::destruct();
    ToolBoxManager::destruct();
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
    // A module that fails to come up does not stay the active one: the one before it
    // still is, and a later attempt tries again (and is reported again).
    SimModule* before = activeModule;
    activeModule = module;
    try {
        return module->activate();
    }
    catch (...) {
        activeModule = before;
        throw;
    }
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

std::list<std::string> SimModuleController::get_simmodules() const
{
    std::list<std::string> names;
    for (const auto& entry : modules)
        names.push_back(entry.first);
    return names;
}

void SimModuleController::delete_simmodule(const char* name)
{
    auto it = name ? modules.find(name) : modules.end();
    if (it == modules.end())
        return;
    if (activeModule == it->second.get())
        activeModule = nullptr;
    modules.erase(it);
}
