// Command actions in menus and toolbars, the module list, the toolbar console, the tool
// box and the dock mediator.

#include "WorkspaceFixture.h"

#include <commands/SimModuleGroup.h>
#include <commands/ToolBarConsole.h>
#include <commands/ToolBoxManager.h>
#include <mainwindow/DockingWindowMediator.h>
#include <mainwindow/ToolBarGadget.h>
#include <mainwindow/ToolBox.h>

#include <vexil/Parameter.h>
#include <vexil/PreferenceManager.h>

#include <QAction>
#include <QComboBox>
#include <QDockWidget>
#include <QEvent>
#include <QLabel>
#include <QMenu>
#include <QPixmap>
#include <QSignalSpy>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

using namespace WorkspaceTest;

namespace {

class GroupCommand : public PlainCommand
{
public:
    explicit GroupCommand(const char* name, bool dropdown) : PlainCommand(name), dropdown(dropdown) {}
    Gui::CommandAction* new_action() override
    {
        auto* group = new Gui::CmdActionGroup(this, Gui::MainWindow::get_main_window_inst());
        group->set_dropdown_list(dropdown);
        const char* colours[] = {"red", "green", "blue"};
        for (const char* colour : colours) {
            QPixmap pixmap(8, 8);
            pixmap.fill(QColor(QLatin1String(colour)));
            QAction* a = group->new_action(QString::fromLatin1(colour));
            a->setIcon(QIcon(pixmap));
            a->setCheckable(true);
        }
        return group;
    }
    bool dropdown;
};

class ModulesCommand : public PlainCommand
{
public:
    ModulesCommand() : PlainCommand("Std_Simmodule") {}
    Gui::CommandAction* new_action() override
    {
        return new Gui::SimModuleGroup(this, Gui::MainWindow::get_main_window_inst());
    }
    // The chosen slot's module becomes the active one.
    void activated(int i) override
    {
        PlainCommand::activated(i);
        auto* group = static_cast<Gui::SimModuleGroup*>(get_action());
        const QByteArray name = group->get_actions().at(i)->objectName().toUtf8();
        getGUIApplication()->activate_simmodule(name.constData());
    }
};

class MenuEntryCommand : public PlainCommand
{
public:
    MenuEntryCommand(const char* name, bool docks) : PlainCommand(name), docks(docks) {}
    Gui::CommandAction* new_action() override
    {
        QObject* parent = Gui::MainWindow::get_main_window_inst();
        if (docks)
            return new Gui::DockWindowAction(this, parent);
        return new Gui::ToolbarAction(this, parent);
    }
    bool docks;
};

Gui::ToolBarGadget* toolbarTree(const std::vector<std::pair<std::string, std::vector<std::string>>>& bars)
{
    auto* root = new Gui::ToolBarGadget();
    for (const auto& bar : bars) {
        auto* node = new Gui::ToolBarGadget(root);
        node->set_command(bar.first);
        for (const std::string& entry : bar.second)
            *node << entry;
    }
    return root;
}

QStringList dataOf(const QList<QAction*>& actions)
{
    QStringList list;
    for (QAction* a : actions)
        list << a->data().toString();
    return list;
}

QToolBar* toolBar(Gui::MainWindow& mw, const char* name)
{
    return mw.findChild<QToolBar*>(QLatin1String(name));
}

} // namespace

TEST_F(Workspace, DropDownGroupShowsOneButtonThatRepeatsTheLastChoice)
{
    auto* command = new GroupCommand("Test_Colour", true);
    commands().new_command(command);
    QToolBar bar;
    ASSERT_TRUE(commands().add_to("Test_Colour", &bar));
    const QList<QToolButton*> buttons = bar.findChildren<QToolButton*>();
    QToolButton* button = nullptr;
    for (QToolButton* b : buttons)
        if (b->defaultAction() == command->get_action()->action())
            button = b;
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->popupMode(), QToolButton::MenuButtonPopup);
    ASSERT_NE(button->menu(), nullptr);
    ASSERT_EQ(button->menu()->actions().size(), 3);

    auto* group = static_cast<Gui::CmdActionGroup*>(command->get_action());
    EXPECT_EQ(group->get_checked_action(), -1);
    QAction* blue = button->menu()->actions().at(2);
    blue->trigger();
    EXPECT_EQ(command->calls, (std::vector<int>{2}));
    EXPECT_EQ(button->icon().cacheKey(), blue->icon().cacheKey());
    EXPECT_EQ(group->get_checked_action(), 2);
    command->get_action()->action()->trigger();
    EXPECT_EQ(command->calls, (std::vector<int>{2, 2}));

    // In a menu the drop-down becomes a submenu; without the flag, separate entries.
    QMenu menu;
    command->add_to(&menu);
    ASSERT_EQ(menu.actions().size(), 1);
    ASSERT_NE(menu.actions().first()->menu(), nullptr);
    EXPECT_EQ(menu.actions().first()->menu()->actions().size(), 3);
    auto* flat = new GroupCommand("Test_Flat", false);
    commands().new_command(flat);
    QMenu flatMenu;
    flat->add_to(&flatMenu);
    EXPECT_EQ(flatMenu.actions().size(), 3);
}

TEST_F(Workspace, DockAndToolbarEntriesGetTheirMenuOnceAndListToggles)
{
    commands().new_command(new MenuEntryCommand("Test_Docks", true));
    commands().new_command(new MenuEntryCommand("Test_Bars", false));
    ASSERT_TRUE(Gui::SimModuleController::instance()->activate("Standard", "Gui::StdSimModule"));
    QMenu first, second;
    commands().add_to("Test_Docks", &first);
    commands().add_to("Test_Docks", &second);
    QAction* docks = commands().get_command_by_name("Test_Docks")->get_action()->action();
    QMenu* dockMenu = docks->menu();
    ASSERT_NE(dockMenu, nullptr);
    commands().add_to("Test_Docks", &first);
    EXPECT_EQ(docks->menu(), dockMenu);

    Q_EMIT dockMenu->aboutToShow();
    QStringList titles;
    for (QAction* a : dockMenu->actions())
        titles << a->text();
    EXPECT_TRUE(titles.contains(QStringLiteral("Output")));
    EXPECT_TRUE(titles.contains(QStringLiteral("Project Explorer")));

    commands().add_to("Test_Bars", &first);
    QMenu* barMenu = commands().get_command_by_name("Test_Bars")->get_action()->action()->menu();
    ASSERT_NE(barMenu, nullptr);
    Q_EMIT barMenu->aboutToShow();
    QStringList bars;
    for (QAction* a : barMenu->actions())
        bars << a->text();
    EXPECT_TRUE(bars.contains(toolBar(*window, "FILE")->windowTitle()));
}

TEST_F(Workspace, ModuleGroupListsModulesAndTheComboBoxRelaysAndFollowsChoices)
{
    Obj::Application::mConfig["ExtraWorkbench"] = "Zeta;Alpha;Mid";
    // Only these three: the module classes other tests of this program register stay
    // registered for the rest of the process.
    Obj::Application::mConfig["HiddenWorkbench"] = "FemWorkbench;MatWorkbench;TotalSimmodule";
    auto* command = new ModulesCommand();
    commands().new_command(command);
    Gui::SimModuleController::instance()->activate("Alpha", "Gui::StdSimModule");

    QMenu menu;
    command->add_to(&menu);
    auto* group = static_cast<Gui::SimModuleGroup*>(command->get_action());
    const QList<QAction*> entries = group->get_actions();
    ASSERT_EQ(entries.size(), 50);
    EXPECT_EQ(entries.at(0)->text(), QStringLiteral("Alpha"));
    EXPECT_EQ(entries.at(1)->text(), QStringLiteral("Mid"));
    EXPECT_EQ(entries.at(2)->objectName(), QStringLiteral("Zeta"));
    for (int i = 3; i < 50; ++i) {
        EXPECT_FALSE(entries.at(i)->isVisible()) << i;
        EXPECT_TRUE(entries.at(i)->text().isEmpty()) << i;
        EXPECT_TRUE(entries.at(i)->objectName().isEmpty()) << i;
    }
    ASSERT_EQ(menu.actions().size(), 1);
    EXPECT_EQ(menu.actions().first()->menu()->actions().size(), 50);

    // A toolbar gets a combo box with one item per shown module.
    QToolBar bar;
    command->add_to(&bar);
    auto* box = bar.findChild<Gui::SimModuleComboBox*>();
    ASSERT_NE(box, nullptr);
    ASSERT_EQ(box->count(), 3);
    EXPECT_EQ(box->itemText(2), QStringLiteral("Zeta"));

    // Choosing in the box activates the module after the box's own event.
    box->setCurrentIndex(2);
    Q_EMIT box->activated(2);
    EXPECT_TRUE(command->calls.empty()) << "the choice is posted, not run at once";
    QCoreApplication::sendPostedEvents(group);
    EXPECT_EQ(command->calls, (std::vector<int>{2}));
    EXPECT_EQ(Gui::SimModuleController::instance()->active_simmodule()->name(), "Zeta");

    // Activated from elsewhere, the box follows; an already checked entry triggers nothing.
    app->activate_simmodule("Mid");
    EXPECT_EQ(box->currentIndex(), 1);
    EXPECT_EQ(command->calls, (std::vector<int>{2, 1}));
    Q_EMIT window->workbenchActivated(QStringLiteral("Mid"));
    EXPECT_EQ(command->calls, (std::vector<int>{2, 1}));

    // A new module takes the first free slot and shows up in the box; a removed one
    // leaves.  Unknown names and a full list change nothing.
    app->signal_new_simmodule("Extra");
    EXPECT_EQ(entries.at(3)->objectName(), QStringLiteral("Extra"));
    EXPECT_TRUE(entries.at(3)->isVisible());
    EXPECT_EQ(box->count(), 4);
    app->signal_delete_simmodule("Zeta");
    EXPECT_FALSE(entries.at(2)->isVisible());
    EXPECT_TRUE(entries.at(2)->objectName().isEmpty());
    EXPECT_EQ(box->count(), 3);
    app->signal_delete_simmodule("Nobody");
    EXPECT_EQ(box->count(), 3);
    for (int i = 0; i < 60; ++i)
        app->signal_new_simmodule(("M" + std::to_string(i)).c_str());
    int shown = 0;
    for (QAction* a : entries)
        shown += a->isVisible() ? 1 : 0;
    EXPECT_EQ(shown, 50);
    Obj::Application::mConfig.erase("ExtraWorkbench");
}

TEST_F(Workspace, ToolbarsKeepUserVisibilityAcrossModulesAndReuseTheirActions)
{
    for (const char* name : {"Cmd_A", "Cmd_B", "Cmd_C", "Cmd_D"})
        addCommand(name);
    Gui::ToolBarConsole* console = Gui::ToolBarConsole::getInstance();
    std::unique_ptr<Gui::ToolBarGadget> first(toolbarTree({{"Edit", {"Cmd_A", "Separator", "Cmd_B"}},
                                                          {"Only A", {"Cmd_C"}}}));
    console->setup(first.get());
    QToolBar* edit = toolBar(*window, "Edit");
    ASSERT_NE(edit, nullptr);
    EXPECT_FALSE(edit->isHidden()) << "a toolbar without a stored state is shown";
    EXPECT_EQ(dataOf(edit->actions()), (QStringList{"Cmd_A", "Separator", "Cmd_B"}));
    QAction* a = edit->actions().first();
    EXPECT_EQ(a, commands().get_command_by_name("Cmd_A")->get_action()->action());

    edit->hide();
    std::unique_ptr<Gui::ToolBarGadget> second(toolbarTree({{"Edit", {"Cmd_B", "Cmd_D"}}}));
    console->setup(second.get());
    EXPECT_EQ(toolBar(*window, "Edit"), edit) << "reused by name";
    EXPECT_TRUE(edit->isHidden()) << "the user's choice was saved before the switch";
    EXPECT_EQ(dataOf(edit->actions()), (QStringList{"Cmd_B", "Cmd_D"}))
        << "names no longer listed leave, new ones are appended";
    EXPECT_FALSE(toolBar(*window, "Only A")->isHidden()) << "a toolbar B does not name is left alone";

    edit->show();
    console->setup(first.get());
    EXPECT_FALSE(edit->isHidden());
    EXPECT_EQ(dataOf(edit->actions()), (QStringList{"Cmd_B", "Cmd_A", "Separator"}))
        << "kept actions keep their place";

    // Stored under the toolbar's name, read back by restoreState.
    edit->hide();
    console->saveState();
    EXPECT_FALSE(logic->app().getPrefMgr()->getBool(QStringLiteral("mainWinToolbar"), QStringLiteral("Edit"), true));
    edit->show();
    console->restoreState();
    EXPECT_TRUE(edit->isHidden());

    // Titles follow the module translation context.
    edit->setWindowTitle(QStringLiteral("x"));
    console->translate_widget();
    EXPECT_EQ(edit->windowTitle(), QStringLiteral("Edit"));
}

TEST_F(Workspace, NewToolbarsWiderThanTheWindowStartANewRow)
{
    window->resize(1000, 600);
    const int width = window->width();
    QToolBar probe;
    const int icon = probe.iconSize().width();
    ASSERT_GT(icon, 0);
    // Each bar takes a bit over 40% of the width: two fit in a row, three do not.
    const int perBar = (width * 2 / 5) / icon + 1;
    ASSERT_LE((perBar + 1) * icon * 2, width);
    std::vector<std::pair<std::string, std::vector<std::string>>> bars;
    for (const char* bar : {"Row1", "Row2", "Row3"}) {
        std::vector<std::string> entries;
        for (int i = 0; i < perBar; ++i) {
            entries.push_back(std::string(bar) + "_" + std::to_string(i));
            addCommand(entries.back());
        }
        bars.emplace_back(bar, entries);
    }
    std::unique_ptr<Gui::ToolBarGadget> tree(toolbarTree(bars));
    Gui::ToolBarConsole::getInstance()->setup(tree.get());
    EXPECT_FALSE(window->toolBarBreak(toolBar(*window, "Row1")));
    EXPECT_FALSE(window->toolBarBreak(toolBar(*window, "Row2")));
    EXPECT_TRUE(window->toolBarBreak(toolBar(*window, "Row3")));

    // Setting the same bars up again adds no break of its own.
    Gui::ToolBarConsole::getInstance()->setup(tree.get());
    EXPECT_FALSE(window->toolBarBreak(toolBar(*window, "Row2")));
}

TEST_F(Workspace, ToolBoxPagesFollowTheTreeAndTheirTitlesFollowTheLanguage)
{
    addCommand("Cmd_A");
    addCommand("Cmd_B");
    Gui::ToolBoxManager* manager = Gui::ToolBoxManager::getInstance();
    std::unique_ptr<Gui::ToolBarGadget> tree(toolbarTree({{"Sketch", {"Cmd_A", "Separator", "Cmd_B", "Nope"}},
                                                         {"Mesh", {"Cmd_B"}}}));
    manager->setup(tree.get()); // no tool box yet: nothing happens
    manager->translate_widget();

    Gui::DockWindow::ToolBox box;
    manager->setToolBox(&box);
    EXPECT_EQ(box.addItem(new QLabel(), QStringLiteral("stale")), 0);
    manager->setup(tree.get());
    ASSERT_EQ(box.count(), 2);
    EXPECT_EQ(box.itemText(0), QStringLiteral("Sketch"));
    auto* page = qobject_cast<QToolBar*>(box.widget(0));
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->orientation(), Qt::Vertical);
    EXPECT_EQ(dataOf(page->actions()).size(), 2) << "no separator, nothing for an unknown name";
    for (QToolButton* button : page->findChildren<QToolButton*>()) {
        if (!button->defaultAction())
            continue;
        EXPECT_FALSE(button->icon().isNull()) << "a blank icon lines the texts up";
        EXPECT_EQ(button->sizePolicy().horizontalPolicy(), QSizePolicy::Expanding);
    }

    // The tab text is taken from the page's window title after a language change.
    box.setItemText(0, QStringLiteral("explicit"));
    page->setWindowTitle(QStringLiteral("Renamed"));
    QEvent change(QEvent::LanguageChange);
    QCoreApplication::sendEvent(&box, &change);
    EXPECT_EQ(box.itemText(0), QStringLiteral("Renamed"));
    manager->translate_widget();
    EXPECT_EQ(box.itemText(0), QStringLiteral("Sketch"));

    QSignalSpy current(&box, &Gui::DockWindow::ToolBox::currentChanged);
    box.setCurrentIndex(1);
    ASSERT_EQ(current.size(), 1);
    EXPECT_EQ(current.first().first().toInt(), 1);

    QWidget* mesh = box.widget(1);
    box.remove_item(1);
    EXPECT_EQ(box.count(), 1);
    EXPECT_EQ(box.indexOf(mesh), -1);
    delete mesh; // still alive: deleting it here must be fine
}

TEST_F(Workspace, MediatorSavesStatusFindsRetitlesAndTakesDocksApart)
{
    Gui::DockingWindowMediator* mediator = Gui::DockingWindowMediator::instance();
    Gui::DockingWindowItems layout;
    layout.add_docking_widget("Std_TreeView", Qt::LeftDockWidgetArea, true, false);
    layout.add_docking_widget("Std_ReportView", Qt::BottomDockWidgetArea, true, false);
    layout.add_docking_widget("Std_Unknown", Qt::BottomDockWidgetArea, true, false);
    mediator->setup(&layout);
    QWidget* report = mediator->getDockedWindow("Output");
    ASSERT_NE(report, nullptr);
    EXPECT_EQ(report, mediator->getDockingWindow("Std_ReportView"));
    EXPECT_EQ(mediator->getDockedWindow("Std_ReportView"), nullptr) << "found by object name only";

    auto* reportDock = qobject_cast<QDockWidget*>(report->parentWidget());
    ASSERT_NE(reportDock, nullptr);
    reportDock->hide();
    mediator->save_status();
    Vexil::ParameterGroup::Handle group =
        logic->app().get_user_preference().get_parameter_group("BaseApp/MainWindow/DockWindows");
    EXPECT_EQ(group->get_entry_keys(), (std::vector<std::string>{"Std_ReportView", "Std_TreeView"}));
    EXPECT_FALSE(group->get_parameter_bool("Std_ReportView", true));
    EXPECT_TRUE(group->get_parameter_bool("Std_TreeView", false));

    // The next layout shows the hidden dock again, after saving the outgoing state.
    reportDock->show();
    Gui::DockingWindowItems next;
    next.add_docking_widget("Std_ReportView", Qt::BottomDockWidgetArea, true, false);
    reportDock->hide();
    mediator->setup(&next);
    EXPECT_FALSE(reportDock->isHidden());
    EXPECT_FALSE(group->get_parameter_bool("Std_ReportView", true));

    mediator->setDockingWindowTitle(QStringLiteral("Std_ReportView"), QStringLiteral("Output - run 3"));
    EXPECT_EQ(reportDock->windowTitle(), QStringLiteral("Output - run 3"));
    mediator->setDockingWindowTitle(QStringLiteral("Std_Unknown"), QStringLiteral("x"));
    mediator->translate_widget();
    EXPECT_EQ(reportDock->windowTitle(), QStringLiteral("Output"));

    QWidget* panel = mediator->delete_docking_window("Output");
    EXPECT_EQ(panel, report);
    EXPECT_EQ(panel->parent(), nullptr);
    EXPECT_EQ(mediator->getDockedWindow("Output"), nullptr);
    EXPECT_EQ(mediator->getDockingWindow("Std_ReportView"), panel) << "it stays registered";
    EXPECT_EQ(mediator->get_docking_windows().size(), 1);
    EXPECT_EQ(mediator->delete_docking_window("Output"), nullptr);
    // Back into a dock by the next layout that names it.
    mediator->setup(&next);
    EXPECT_EQ(mediator->getDockedWindow("Output"), panel);
    mediator->delete_docking_window(panel);
    EXPECT_EQ(mediator->getDockedWindow("Output"), nullptr);
    delete panel;
}
