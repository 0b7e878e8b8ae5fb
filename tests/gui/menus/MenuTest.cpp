// Menu trees and the coordinator that turns them into the menu bar and context menus,
// reusing menus and actions by their data across module switches.

#include <commands/Command.h>
#include <commands/CommandAction.h>
#include <commands/SimModule.h>
#include <core/qPelmoraApplication.h>
#include <mainwindow/MainWindow.h>
#include <mainwindow/MenuCoordinator.h>
#include <mainwindow/MenuItem.h>
#include <mainwindow/ToolBarGadget.h>

#include <support/TestEnvironment.h>

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

#include <gtest/gtest.h>

#include <memory>

namespace {

class NamedCommand : public Gui::Command
{
public:
    explicit NamedCommand(const char* name) : Gui::Command(name) { sMenuText = name; }
    const char* get_class_name() const override { return "NamedCommand"; }
    void activated(int i) override { calls.push_back(i); }
    std::vector<int> calls;
};

// Puts three alternatives as separate entries wherever it is placed.
class ThreeWayCommand : public NamedCommand
{
public:
    ThreeWayCommand() : NamedCommand("Test_ThreeWay") {}
    Gui::CommandAction* new_action() override
    {
        auto* group = new Gui::CmdActionGroup(this, Gui::MainWindow::get_main_window_inst());
        for (const char* text : {"One", "Two", "Three"})
            group->new_action(QString::fromLatin1(text));
        return group;
    }
};

QStringList texts(const QList<QAction*>& actions)
{
    QStringList list;
    for (QAction* a : actions) {
        if (!a->isVisible())
            continue;
        list << (a->isSeparator() ? QStringLiteral("|") : a->text());
    }
    return list;
}

QMenu* barMenu(Gui::MainWindow& mw, const char* name)
{
    for (QAction* a : mw.menuBar()->actions())
        if (a->data().toString() == QLatin1String(name))
            return a->menu();
    return nullptr;
}

class Menus : public ::testing::Test
{
protected:
    void SetUp() override
    {
        logic = std::make_unique<PelmoraTest::ScopedLogic>();
        app = std::make_unique<Gui::qPelmoraApplication>(false);
        window = std::make_unique<Gui::MainWindow>();
        for (const char* name : {"Test_New", "Test_Open", "Test_Quit", "Test_About"})
            app->get_command_manager().new_command(new NamedCommand(name));
        app->get_command_manager().new_command(new ThreeWayCommand());
    }
    void TearDown() override
    {
        Gui::MenuCoordinator::destruct();
        window.reset();
        Gui::SimModuleController::destruct();
        app.reset();
        logic.reset();
    }
    Gui::MenuCoordinator& coordinator() { return *Gui::MenuCoordinator::getInstance(); }
    Gui::Command* command(const char* name) { return app->get_command_manager().get_command_by_name(name); }

    std::unique_ptr<PelmoraTest::ScopedLogic> logic;
    std::unique_ptr<Gui::qPelmoraApplication> app;
    std::unique_ptr<Gui::MainWindow> window;
};

} // namespace

TEST(MenuTree, ChainsLooksUpOneLevelInsertsAndCopiesDeeply)
{
    Gui::MenuItem root;
    auto* file = new Gui::MenuItem(&root);
    file->set_command("&File");
    *file << "Std_New" << "Separator" << "Std_Quit";
    auto* help = new Gui::MenuItem();
    help->set_command("&Help");
    root << help;

    EXPECT_EQ(root.number_of_items(), 2u);
    EXPECT_EQ(root.look_for_item("&Help"), help);
    EXPECT_EQ(root.look_for_item(""), &root);
    EXPECT_EQ(root.look_for_item("Std_New"), nullptr) << "grandchildren are not searched";
    EXPECT_EQ(root.next_item(file), help);
    EXPECT_EQ(root.next_item(help), nullptr);

    Gui::MenuItem stranger;
    auto* extra = new Gui::MenuItem();
    EXPECT_FALSE(root.insert_item(&stranger, extra));
    EXPECT_EQ(root.number_of_items(), 2u);
    EXPECT_TRUE(root.insert_item(help, extra));
    EXPECT_EQ(root.get_items(), (QList<Gui::MenuItem*>{file, extra, help}));
    root.remove_item(extra);
    EXPECT_EQ(root.number_of_items(), 2u);
    delete extra; // not deleted by remove_item: this must be its only deletion

    std::unique_ptr<Gui::MenuItem> copy(root.copy_item());
    ASSERT_EQ(copy->number_of_items(), 2u);
    Gui::MenuItem* copiedFile = copy->get_items().first();
    EXPECT_NE(copiedFile, file);
    EXPECT_EQ(copiedFile->command(), "&File");
    ASSERT_EQ(copiedFile->number_of_items(), 3u);
    EXPECT_EQ(copiedFile->get_items().at(1)->command(), "Separator");
    file->clear_items();
    EXPECT_EQ(copiedFile->number_of_items(), 3u);

    Gui::ToolBarGadget bars;
    auto* bar = new Gui::ToolBarGadget(&bars);
    *bar << "A" << "B";
    EXPECT_EQ(bars.count(), 1u);
    std::unique_ptr<Gui::ToolBarGadget> barsCopy(bars.copy());
    EXPECT_EQ(barsCopy->get_items().first()->count(), 2u);
}

TEST_F(Menus, AModuleSwitchReusesMenusInTheNewOrderAndHidesTheRest)
{
    Gui::MenuItem a;
    auto* file = new Gui::MenuItem(&a);
    file->set_command("&File");
    *file << "Test_New" << "Separator" << "Test_Quit";
    a << "Separator";
    auto* edit = new Gui::MenuItem(&a);
    edit->set_command("&Edit");
    *edit << "Test_Open";
    a << "Separator";
    auto* help = new Gui::MenuItem(&a);
    help->set_command("&Help");
    *help << "Test_About";
    coordinator().setup(&a);

    EXPECT_EQ(texts(window->menuBar()->actions()),
              (QStringList{"&File", "|", "&Edit", "|", "&Help"}));
    QMenu* fileMenu = barMenu(*window, "&File");
    ASSERT_NE(fileMenu, nullptr);
    EXPECT_EQ(texts(fileMenu->actions()), (QStringList{"Test_New", "|", "Test_Quit"}));
    QAction* quit = command("Test_Quit")->get_action()->action();
    EXPECT_EQ(quit->data().toString(), QStringLiteral("Test_Quit"));

    // B names "&Help" first, "&File" again without its separator, one separator only.
    Gui::MenuItem b;
    auto* help2 = new Gui::MenuItem(&b);
    help2->set_command("&Help");
    *help2 << "Test_About";
    b << "Separator";
    auto* file2 = new Gui::MenuItem(&b);
    file2->set_command("&File");
    *file2 << "Test_Quit" << "Test_New";
    const int barActions = window->menuBar()->actions().size();
    coordinator().setup(&b);

    EXPECT_EQ(barMenu(*window, "&File"), fileMenu) << "the menu object is kept";
    EXPECT_EQ(texts(window->menuBar()->actions()), (QStringList{"&Help", "|", "&File"}));
    EXPECT_EQ(window->menuBar()->actions().size(), barActions) << "nothing new was created";
    EXPECT_FALSE(barMenu(*window, "&Edit")->menuAction()->isVisible());
    EXPECT_EQ(texts(fileMenu->actions()), (QStringList{"Test_Quit", "Test_New"}))
        << "the separator the tree no longer names is taken out";
    EXPECT_EQ(command("Test_Quit")->get_action()->action(), quit) << "one action per command";

    // A again: the hidden menu comes back in A's order, a second separator is made.
    coordinator().setup(&a);
    EXPECT_EQ(texts(window->menuBar()->actions()),
              (QStringList{"&File", "|", "&Edit", "|", "&Help"}));
    EXPECT_EQ(texts(fileMenu->actions()), (QStringList{"Test_New", "|", "Test_Quit"}));

    const QList<QAction*> before = window->menuBar()->actions();
    coordinator().setup(nullptr);
    EXPECT_EQ(window->menuBar()->actions(), before);
}

TEST_F(Menus, SubmenusUnknownNamesAndMultiActionCommandsInContextMenus)
{
    Gui::MenuItem tree;
    tree << "Test_ThreeWay" << "No_Such_Command";
    auto* sub = new Gui::MenuItem(&tree);
    sub->set_command("Standard views");
    *sub << "Test_New" << "Test_Open";

    QMenu menu;
    menu.addAction(QStringLiteral("stale"));
    coordinator().build_context_menu(&tree, menu);
    ASSERT_EQ(texts(menu.actions()), (QStringList{"One", "Two", "Three", "Standard views"}));
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(menu.actions().at(i)->data().toString(), QStringLiteral("Test_ThreeWay"));
    QMenu* views = menu.actions().at(3)->menu();
    ASSERT_NE(views, nullptr);
    EXPECT_EQ(texts(views->actions()), (QStringList{"Test_New", "Test_Open"}));

    // Rebuilt from a tree without "Test_Open": the run of three is reused whole, the
    // submenu loses the entry.
    Gui::MenuItem tree2;
    auto* sub2 = new Gui::MenuItem(&tree2);
    sub2->set_command("Standard views");
    *sub2 << "Test_New";
    tree2 << "Test_ThreeWay";
    const QAction* first = menu.actions().at(0);
    coordinator().build_context_menu(&tree2, menu);
    EXPECT_EQ(texts(menu.actions()), (QStringList{"Standard views", "One", "Two", "Three"}));
    EXPECT_EQ(menu.actions().at(1), first);
    EXPECT_EQ(menu.actions().at(0)->menu(), views);
    EXPECT_EQ(texts(views->actions()), (QStringList{"Test_New"}));

    // add_context_menu keeps what the menu held.
    Gui::MenuItem extra;
    extra << "Separator" << "Test_Quit";
    coordinator().add_context_menu(&extra, menu);
    EXPECT_EQ(texts(menu.actions()),
              (QStringList{"Standard views", "One", "Two", "Three", "|", "Test_Quit"}));

    // Triggering an entry invokes the command with its index.
    menu.actions().at(2)->trigger();
    EXPECT_EQ(static_cast<NamedCommand*>(command("Test_ThreeWay"))->calls, (std::vector<int>{1}));
}

TEST_F(Menus, OneActionServesMenuAndToolbarAndIsGreyedInBoth)
{
    Gui::MenuItem tree;
    auto* file = new Gui::MenuItem(&tree);
    file->set_command("&File");
    *file << "Test_New";
    coordinator().setup(&tree);
    QToolBar bar;
    ASSERT_TRUE(app->get_command_manager().add_to("Test_New", &bar));

    QAction* inMenu = barMenu(*window, "&File")->actions().first();
    EXPECT_EQ(inMenu, bar.actions().first());
    command("Test_New")->get_action()->set_enabled(false);
    EXPECT_FALSE(inMenu->isEnabled());
    EXPECT_FALSE(bar.actions().first()->isEnabled());
}

TEST_F(Menus, RetranslationTakesCommandTextsForCommandMenusAndModuleTitlesOtherwise)
{
    Gui::MenuItem tree;
    auto* file = new Gui::MenuItem(&tree);
    file->set_command("&File");
    *file << "Test_New";
    coordinator().setup(&tree);
    QMenu* fileMenu = barMenu(*window, "&File");
    fileMenu->setTitle(QStringLiteral("changed"));
    coordinator().translate_widget();
    EXPECT_EQ(fileMenu->title(), QStringLiteral("&File"));
}
