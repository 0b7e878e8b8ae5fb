// Simulation modules: activation lays out toolbars, docks and menus in that order after
// the old module's deactivation; the standard and the other built-in layouts; context
// menus; retranslation after a language switch.

#include "WorkspaceFixture.h"

#include <commands/ToolBarConsole.h>
#include <commands/ToolBoxManager.h>
#include <mainwindow/DockingWindowMediator.h>
#include <mainwindow/MenuCoordinator.h>
#include <mainwindow/MenuItem.h>
#include <mainwindow/ToolBarGadget.h>
#include <mainwindow/Translator.h>
#include <selection/TreeSelectionSingleton.h>

#include <support/ConsoleCapture.h>

#include <obj/Project.h>
#include <obj/ProjectObject.h>
#include <vexil/Exception.h>

#include <QAction>
#include <QDockWidget>
#include <QEvent>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>

#include <type_traits>

using namespace WorkspaceTest;

namespace WorkspaceModules {

std::vector<std::string> journal;

// Writes what it is asked, and what the window already shows at that moment.
class RecordingModule : public Gui::StdSimModule
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    Gui::ToolBarGadget* build_toolbars() const override
    {
        journal.push_back(name() + ":toolbars");
        return StdSimModule::build_toolbars();
    }
    Gui::DockingWindowItems* build_docking_windows() const override
    {
        Gui::MainWindow* mw = Gui::MainWindow::get_main_window_inst();
        journal.push_back(name() + ":docks" + (mw->findChild<QToolBar*>("FILE") ? " after toolbars" : ""));
        return StdSimModule::build_docking_windows();
    }
    Gui::MenuItem* build_menu_bar() const override
    {
        const bool docked = Gui::DockingWindowMediator::instance()->getDockedWindow("Output") != nullptr;
        journal.push_back(name() + ":menus" + (docked ? " after docks" : ""));
        return StdSimModule::build_menu_bar();
    }
    void activated() override { journal.push_back(name() + ":activated"); }
    void deactivated() override { journal.push_back(name() + ":deactivated"); }
    void build_context_popup_menu(Gui::MenuItem* item) const override
    {
        *item << "Test_Popup" << "Separator" << "No_Such_Command";
    }
};
VEXIL_TYPESYSTEM_SOURCE_P(RecordingModule);
Vexil::RootClass* RecordingModule::create() { return new RecordingModule(); }
void RecordingModule::init()
{
    initSubclass(classTypeId, "FemGui::SimModule", "Gui::StdSimModule", &create);
}

// Registered, buildable, but not a module.
class NotAModule : public Vexil::RootClass
{
    VEXIL_TYPESYSTEM_HEADER();
};
VEXIL_TYPESYSTEM_SOURCE_P(NotAModule);
Vexil::RootClass* NotAModule::create() { return new NotAModule(); }
void NotAModule::init()
{
    initSubclass(classTypeId, "WorkspaceTest::NotAModule", "Vexil::RootClass", &create);
}

} // namespace WorkspaceModules

using namespace WorkspaceModules;

namespace {

QStringList visibleBarTitles(Gui::MainWindow& mw)
{
    QStringList titles;
    for (QAction* a : mw.menuBar()->actions()) {
        if (a->isVisible())
            titles << (a->isSeparator() ? QStringLiteral("|") : a->text());
    }
    return titles;
}

QMenu* menuNamed(Gui::MainWindow& mw, const char* name)
{
    for (QAction* a : mw.menuBar()->actions())
        if (a->data().toString() == QLatin1String(name))
            return a->menu();
    return nullptr;
}

QStringList entries(const QList<QAction*>& actions)
{
    QStringList list;
    for (QAction* a : actions)
        list << (a->isSeparator() ? QStringLiteral("|") : a->data().toString());
    return list;
}

class Modules : public Workspace
{
protected:
    void SetUp() override
    {
        Workspace::SetUp();
        static bool registered = false;
        if (!registered) {
            RecordingModule::init();
            NotAModule::init();
            registered = true;
        }
        journal.clear();
        for (const char* name : {"Std_New", "Std_Quit", "Std_About2", "Std_ViewExtents", "Std_ViewZoomIn",
                                 "Std_ViewWindowDocking", "Std_Delete", "Test_Popup"})
            addCommand(name);
    }
};

} // namespace

TEST_F(Modules, ActivationLaysOutToolbarsDocksAndMenusAfterTheOldModuleStepsDown)
{
    ASSERT_TRUE(app->activate_simmodule("FemWorkbench"));
    journal.clear();
    ASSERT_TRUE(app->activate_simmodule("MatWorkbench"));
    EXPECT_EQ(journal, (std::vector<std::string>{"MatWorkbench:toolbars", "MatWorkbench:docks after toolbars",
                                                 "MatWorkbench:menus after docks", "FemWorkbench:deactivated",
                                                 "MatWorkbench:activated"}));
    journal.clear();
    EXPECT_FALSE(app->activate_simmodule("MatWorkbench")) << "the active module is not laid out again";
    EXPECT_TRUE(journal.empty());
}

TEST_F(Modules, StandardLayoutSharesOneActionPerCommandAcrossMenusAndToolbars)
{
    ASSERT_TRUE(app->activate_simmodule("Standard"));
    EXPECT_EQ(visibleBarTitles(*window), (QStringList{"&FILE", "&EDIT", "&VIEW", "|", "&HELP"}));
    QMenu* file = menuNamed(*window, "&FILE");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(entries(file->actions()), (QStringList{"Std_New", "|", "|", "|", "|", "Std_Quit"}))
        << "unregistered commands leave no trace, each separator is its own";
    QMenu* view = menuNamed(*window, "&VIEW");
    ASSERT_NE(view, nullptr);
    QAction* standardViews = nullptr;
    for (QAction* a : view->actions())
        if (a->data().toString() == QLatin1String("Standard views"))
            standardViews = a;
    ASSERT_NE(standardViews, nullptr);
    EXPECT_EQ(entries(standardViews->menu()->actions()), (QStringList{"Std_ViewExtents", "Std_ViewZoomIn"}));

    QToolBar* bar = window->findChild<QToolBar*>(QStringLiteral("FILE"));
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(entries(bar->actions()), (QStringList{"Std_New", "Std_About2"}));
    QAction* newAction = commands().get_command_by_name("Std_New")->get_action()->action();
    EXPECT_EQ(bar->actions().first(), newAction);
    EXPECT_EQ(file->actions().first(), newAction);
    EXPECT_EQ(Gui::ToolBarConsole::look_for_action(bar->actions(), QStringLiteral("Std_About2")),
              commands().get_command_by_name("Std_About2")->get_action()->action());

    QStringList docks;
    for (QDockWidget* dock : window->findChildren<QDockWidget*>())
        if (!dock->isHidden())
            docks << dock->objectName();
    docks.sort();
    EXPECT_EQ(docks, (QStringList{"Chart", "Output", "Project Explorer", "Properties", "Selection View",
                                  "Tabular Data"}));

    // The minimal module: its own menus, the console, the rest left as it was.
    Gui::SimModuleController* controller = Gui::SimModuleController::instance();
    ASSERT_TRUE(controller->activate("None", "Gui::NoneSimModule"));
    EXPECT_EQ(visibleBarTitles(*window), (QStringList{"&File", "&Edit", "&View", "|", "&Help"}));
    EXPECT_EQ(entries(menuNamed(*window, "&Help")->actions()), (QStringList{"Std_About2"}));
    EXPECT_FALSE(window->findChild<QDockWidget*>(QStringLiteral("Chart"))->isHidden());
    EXPECT_FALSE(bar->isHidden()) << "an empty toolbar tree leaves the toolbars alone";

    // Back: the same menu objects, in the standard order again.
    ASSERT_TRUE(controller->activate("Standard", "Gui::StdSimModule"));
    EXPECT_EQ(menuNamed(*window, "&FILE"), file);
    EXPECT_EQ(visibleBarTitles(*window), (QStringList{"&FILE", "&EDIT", "&VIEW", "|", "&HELP"}));

    // The test module finds no "&Help" in the standard tree and adds nothing; its null
    // toolbar tree changes nothing either.
    ASSERT_TRUE(controller->activate("Test", "Gui::TestSimModule"));
    EXPECT_EQ(visibleBarTitles(*window), (QStringList{"&FILE", "&EDIT", "&VIEW", "|", "&HELP"}));
    EXPECT_EQ(entries(bar->actions()), (QStringList{"Std_New", "Std_About2"}));
}

TEST_F(Modules, ContextMenusAndTheWindowPopupComeFromTheActiveModule)
{
    Gui::MenuItem none;
    app->build_context_menu("View", &none);
    EXPECT_FALSE(none.has_items()) << "no active module, no entries";

    ASSERT_TRUE(app->activate_simmodule("Standard"));
    Gui::MenuItem view;
    app->build_context_menu("View", &view);
    ASSERT_EQ(view.number_of_items(), 5u);
    EXPECT_EQ(view.get_items().last()->command(), "Std_ViewWindowDocking");
    QMenu menu;
    Gui::MenuCoordinator::getInstance()->build_context_menu(&view, menu);
    EXPECT_EQ(entries(menu.actions()), (QStringList{"Std_ViewExtents", "Std_ViewZoomIn", "|", "Std_ViewWindowDocking"}));

    Gui::MenuItem tree, other;
    app->build_context_menu("Tree", &tree);
    app->build_context_menu("view", &other);
    EXPECT_FALSE(tree.has_items()) << "nothing selected";
    EXPECT_FALSE(other.has_items()) << "contexts are compared whole and case-sensitive";

    // With a project object selected both menus offer to delete it.
    Obj::Project* project = logic->app().create_project("P");
    Obj::ProjectObject* box = project->add_object("Obj::ProjectObject", "Box");
    ASSERT_TRUE(Gui::TreeSelectionSingleton::instance().add_selection("P", box->getObjectId(), ""));
    Gui::MenuItem viewSelected, treeSelected;
    app->build_context_menu("View", &viewSelected);
    app->build_context_menu("Tree", &treeSelected);
    ASSERT_EQ(viewSelected.number_of_items(), 7u);
    EXPECT_EQ(viewSelected.get_items().at(5)->command(), "Separator");
    EXPECT_EQ(viewSelected.get_items().at(6)->command(), "Std_Delete");
    ASSERT_EQ(treeSelected.number_of_items(), 2u);
    EXPECT_EQ(treeSelected.get_items().at(1)->command(), "Std_Delete");
    Gui::TreeSelectionSingleton::destruct();

    std::unique_ptr<QMenu> standardPopup(window->make_popup_menu());
    ASSERT_TRUE(standardPopup);
    for (QAction* a : standardPopup->actions())
        EXPECT_NE(a->data().toString(), QStringLiteral("Test_Popup"));

    ASSERT_TRUE(app->activate_simmodule("FemWorkbench"));
    std::unique_ptr<QMenu> popup(window->make_popup_menu());
    ASSERT_TRUE(popup);
    const QList<QAction*> actions = popup->actions();
    ASSERT_GE(actions.size(), 4);
    // The module's entries follow a separator after the toolbar and dock toggles.
    EXPECT_TRUE(actions.at(actions.size() - 3)->isSeparator());
    EXPECT_EQ(actions.at(actions.size() - 2), commands().get_command_by_name("Test_Popup")->get_action()->action());
    EXPECT_TRUE(actions.last()->isSeparator()) << "an unknown command adds nothing";
}

TEST_F(Modules, CreationFailuresBlankModuleAndDeletingTheActiveOne)
{
    Gui::SimModuleController* controller = Gui::SimModuleController::instance();
    PelmoraTest::ConsoleCapture console;
    EXPECT_EQ(controller->new_simmodule("Abstract", "Gui::SimModule"), nullptr);
    EXPECT_TRUE(console.contains(PelmoraTest::ConsoleCapture::Level::Log,
                                 "Can not create SimModule instance with type: Gui::SimModule"));
    EXPECT_FALSE(controller->activate("Abstract", "Gui::SimModule"));
    EXPECT_EQ(controller->active_simmodule(), nullptr);
    try {
        controller->new_simmodule("Item", "WorkspaceTest::NotAModule");
        ADD_FAILURE() << "a class that is not a module must be refused";
    }
    catch (const Vexil::ExceptionHandler& e) {
        EXPECT_STREQ(e.what(), "'WorkspaceTest::NotAModule' not a workbench type");
    }
    EXPECT_TRUE(controller->simmodules().isEmpty());

    ASSERT_TRUE(controller->activate("Standard", "Gui::StdSimModule"));
    EXPECT_EQ(controller->new_simmodule("Standard", "Gui::BlankSimModule"), controller->active_simmodule())
        << "one module per name, whatever class is asked for later";
    ASSERT_TRUE(controller->activate("Blank", "Gui::BlankSimModule"));
    EXPECT_EQ(controller->get_simmodules(), (std::list<std::string>{"Blank", "Standard"}));
    EXPECT_EQ(controller->get_simodulue("Standard")->name(), "Standard");
    ASSERT_TRUE(controller->activate("Standard", "Gui::StdSimModule"));
    controller->delete_simmodule("Standard");
    EXPECT_EQ(controller->active(), nullptr);
    EXPECT_EQ(controller->get_simmodule("Standard"), nullptr);
}

TEST(ModuleOwnership, ClassesThatOwnOrShareWidgetsCannotBeCopied)
{
    EXPECT_FALSE(std::is_copy_constructible<Gui::SimModuleController>::value);
    EXPECT_FALSE(std::is_copy_assignable<Gui::SimModuleController>::value);
    EXPECT_FALSE(std::is_copy_constructible<Gui::ToolBarConsole>::value);
    EXPECT_FALSE(std::is_copy_constructible<Gui::ToolBoxManager>::value);
    EXPECT_FALSE(std::is_copy_constructible<Gui::MenuCoordinator>::value);
    EXPECT_FALSE(std::is_copy_constructible<Gui::MenuItem>::value);
    EXPECT_FALSE(std::is_copy_assignable<Gui::ToolBarGadget>::value);
    EXPECT_TRUE(std::is_copy_constructible<Gui::DockingWindowItems>::value);
}

TEST_F(Modules, ALanguageSwitchRetranslatesMenusDocksAndToolbars)
{
    ASSERT_TRUE(app->activate_simmodule("Standard"));
    QDockWidget* output = window->findChild<QDockWidget*>(QStringLiteral("Output"));
    QToolBar* bar = window->findChild<QToolBar*>(QStringLiteral("FILE"));
    ASSERT_TRUE(output && bar);
    Gui::Translator::instance()->activateLanguage("German");
    QCoreApplication::processEvents();
    EXPECT_EQ(visibleBarTitles(*window), (QStringList{"&DATEI", "&BEARBEITEN", "&ANSICHT", "|", "&HILFE"}));
    EXPECT_EQ(output->windowTitle(), QStringLiteral("Ausgabe"));
    EXPECT_EQ(bar->windowTitle(), QStringLiteral("DATEI"));
    QMenu* view = menuNamed(*window, "&VIEW");
    QStringList subTitles;
    for (QAction* a : view->actions())
        if (a->menu())
            subTitles << a->menu()->title();
    EXPECT_EQ(subTitles, QStringList{"Standardansichten"});

    Gui::Translator::instance()->activateLanguage("English");
    QCoreApplication::processEvents();
    EXPECT_EQ(visibleBarTitles(*window), (QStringList{"&FILE", "&EDIT", "&VIEW", "|", "&HELP"}));
    EXPECT_EQ(output->windowTitle(), QStringLiteral("Output"));
    EXPECT_EQ(bar->windowTitle(), QStringLiteral("FILE"));
    Gui::Translator::destruct();
}
