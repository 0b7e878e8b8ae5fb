// The command framework: registry, placement, activation checks, guarded invocation and
// what reaches the interpreter and the application logic.

#include <commands/Command.h>
#include <support/SettleEvents.h>
#include <support/HangGuard.h>
#include <commands/CommandAction.h>
#include <commands/SimModule.h>
#include <core/GfxDatabase.h>
#include <core/GuiProject.h>
#include <core/ObjectModes.h>
#include <core/qPelmoraApplication.h>
#include <mainwindow/MDIWindow.h>
#include <visualization/ViewFeeder.h>

#include <support/ConsoleCapture.h>
#include <support/ModalCloser.h>
#include <support/TestEnvironment.h>

#include <obj/Application.h>
#include <obj/Project.h>
#include <pmmsg/Message.h>
#include <vexil/Exception.h>

#include <QFile>
#include <QMenu>
#include <QPointer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>
#include <stdexcept>

using PelmoraTest::ConsoleCapture;

namespace {

// A command whose behaviour each test sets.
class TestCommand : public Gui::Command
{
public:
    explicit TestCommand(const char* name, const char* group = "Standard") : Gui::Command(name)
    {
        sGroup = group;
        sMenuText = "&Save";
        sToolTipText = "Save";
        sStatusTip = "Save the project";
    }
    const char* get_class_name() const override { return "TestCommand"; }
    void activated(int i) override
    {
        calls.push_back(i);
        if (work)
            work(i);
    }
    bool is_applicable() override
    {
        ++checks;
        return applicable;
    }
    void setShortcut(const char* keys) { sAccel = keys; }
    using Gui::Command::expandObject;
    void setModule(const char* module) { sAppModule = module; }

    std::vector<int> calls;
    std::function<void(int)> work;
    bool applicable = true;
    int checks = 0;
};

bool lineSent(const std::string& line)
{
    for (const auto& l : pmMsg::Journal::lines())
        if (l == line)
            return true;
    return false;
}

void registerGuiTypes()
{
    Obj::Application::init_types();
    if (!Gui::qPelmoraApplication::types_initialized())
        Gui::qPelmoraApplication::initialize_application();
    Gui::GfxDatabase::init();
}

class Commands : public ::testing::Test
{
protected:
    void SetUp() override { pmMsg::Journal::clear(); }
    void TearDown() override
    {
        Gui::Command::block_all_command(false);
        Gui::SimModuleController::destruct();
    }
    Gui::CommandController controller;
};

} // namespace

TEST_F(Commands, RegistryFindsByExactNameAndListsInNameOrder)
{
    controller.new_command(new TestCommand("Std_ViewZoomOut", "Standard-View"));
    controller.new_command(new TestCommand("Std_New"));
    controller.new_command(new TestCommand("Std_ViewExtents", "Standard-View"));
    auto* other = new TestCommand("Fem_Mesh");
    other->setModule("Fem");
    controller.new_command(other);

    EXPECT_NE(controller.get_command_by_name("Std_New"), nullptr);
    EXPECT_EQ(controller.get_command_by_name("std_new"), nullptr);
    EXPECT_EQ(controller.get_command_by_name(nullptr), nullptr);

    auto view = controller.get_group_commands("Standard-View");
    ASSERT_EQ(view.size(), 2u);
    EXPECT_STREQ(view[0]->get_name(), "Std_ViewExtents");
    EXPECT_STREQ(view[1]->get_name(), "Std_ViewZoomOut");
    auto fem = controller.get_module_commands("Fem");
    ASSERT_EQ(fem.size(), 1u);
    EXPECT_STREQ(fem[0]->get_name(), "Fem_Mesh");
    auto all = controller.get_all_commands();
    ASSERT_EQ(all.size(), 4u);
    EXPECT_STREQ(all.front()->get_name(), "Fem_Mesh");
}

TEST_F(Commands, ANewerCommandOfTheSameNameReplacesTheFirstWhosePlacedActionStillWorks)
{
    auto* first = new TestCommand("Std_Save");
    controller.new_command(first);
    QMenu menu;
    ASSERT_TRUE(controller.add_to("Std_Save", &menu));
    auto* second = new TestCommand("Std_Save");
    controller.new_command(second);
    EXPECT_EQ(controller.get_command_by_name("Std_Save"), second);
    // The first command's action is still shown and still runs its command.
    menu.actions().front()->trigger();
    EXPECT_EQ(first->calls.size(), 1u);
    EXPECT_TRUE(second->calls.empty());
    delete first->get_action();
}

namespace {
// Counts its own destructions, to catch a command deleted twice or never.
class CountedCommand : public TestCommand
{
public:
    CountedCommand(const char* name, int& deaths) : TestCommand(name), deaths(deaths) {}
    ~CountedCommand() override { ++deaths; }
    int& deaths;
};
} // namespace

TEST(CommandRegistry, ACommandRegisteredAgainAfterBeingDisplacedIsDeletedOnce)
{
    int firstDeaths = 0;
    int secondDeaths = 0;
    {
        Gui::CommandController registry;
        auto* first = new CountedCommand("Std_Save", firstDeaths);
        auto* second = new CountedCommand("Std_Save", secondDeaths);
        registry.new_command(first);
        registry.new_command(second);
        registry.new_command(first);   // back in front of the second
        EXPECT_EQ(registry.get_command_by_name("Std_Save"), first);
        registry.delete_command(first);
        EXPECT_EQ(firstDeaths, 1);
        EXPECT_EQ(registry.get_command_by_name("Std_Save"), nullptr);
    }
    EXPECT_EQ(firstDeaths, 1);
    EXPECT_EQ(secondDeaths, 1);
}

TEST_F(Commands, DeletedCommandTakesItsActionAlong)
{
    int deaths = 0;
    auto* cmd = new CountedCommand("Std_Export", deaths);
    controller.new_command(cmd);
    QMenu menu;
    QToolBar bar;
    controller.add_to("Std_Export", &menu);
    controller.add_to("Std_Export", &bar);
    QPointer<Gui::CommandAction> action = cmd->get_action();
    ASSERT_FALSE(action.isNull());
    QPointer<QAction> qaction = action->action();

    controller.delete_command(cmd);
    EXPECT_EQ(deaths, 1);
    EXPECT_EQ(controller.get_command_by_name("Std_Export"), nullptr);
    EXPECT_TRUE(menu.actions().isEmpty());
    EXPECT_TRUE(bar.actions().isEmpty());
    // Until the event loop frees it, the action no longer reaches the deleted command.
    ASSERT_FALSE(action.isNull());
    EXPECT_EQ(action->command(), nullptr);
    qaction->trigger();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(action.isNull());
    EXPECT_TRUE(qaction.isNull());
}

TEST_F(Commands, DeletingADisplacedCommandLeavesTheRegisteredOne)
{
    int firstDeaths = 0;
    int secondDeaths = 0;
    auto* first = new CountedCommand("Std_Print", firstDeaths);
    auto* second = new CountedCommand("Std_Print", secondDeaths);
    controller.new_command(first);
    controller.new_command(second);
    controller.delete_command(first);
    EXPECT_EQ(firstDeaths, 1);
    EXPECT_EQ(secondDeaths, 0);
    EXPECT_EQ(controller.get_command_by_name("Std_Print"), second);
    // A command the controller does not own is left alone.
    int strayDeaths = 0;
    CountedCommand stray("Std_Print", strayDeaths);
    controller.delete_command(&stray);
    EXPECT_EQ(strayDeaths, 0);
    EXPECT_EQ(controller.get_command_by_name("Std_Print"), second);
}

TEST_F(Commands, UnknownNamesAreIgnoredSilently)
{
    ConsoleCapture console;
    QMenu menu;
    EXPECT_FALSE(controller.add_to("Std_Missing", &menu));
    EXPECT_TRUE(menu.actions().isEmpty());
    controller.run_command_by_name("Std_Missing");
    EXPECT_TRUE(console.lines().empty());
}

TEST_F(Commands, OneActionIsSharedByEveryPlaceWithItsTexts)
{
    auto* cmd = new TestCommand("Std_Save");
    cmd->setShortcut("Ctrl+S");
    controller.new_command(cmd);
    QMenu menu;
    QToolBar bar;
    controller.add_to("Std_Save", &menu);
    controller.add_to("Std_Save", &bar);
    ASSERT_EQ(menu.actions().size(), 1);
    ASSERT_EQ(bar.actions().size(), 1);
    QAction* action = menu.actions().front();
    EXPECT_EQ(action, bar.actions().front());
    EXPECT_EQ(action->objectName(), QStringLiteral("Std_Save"));
    EXPECT_EQ(action->text(), QStringLiteral("&Save"));
    EXPECT_EQ(action->toolTip(), QStringLiteral("Save (Ctrl+S)"));
    EXPECT_EQ(action->statusTip(), QStringLiteral("(Ctrl+S)\tSave the project"));

    cmd->get_action()->set_enabled(false);
    EXPECT_FALSE(menu.actions().front()->isEnabled());
    EXPECT_FALSE(bar.actions().front()->isEnabled());
    delete cmd->get_action();
}

TEST_F(Commands, ActivationCheckFollowsApplicabilityAndTheGlobalBlock)
{
    auto* placed = new TestCommand("Std_A");
    auto* unplaced = new TestCommand("Std_B");
    controller.new_command(placed);
    controller.new_command(unplaced);
    QMenu menu;
    controller.add_to("Std_A", &menu);
    QAction* action = menu.actions().front();

    placed->applicable = false;
    controller.check_activation();
    EXPECT_FALSE(action->isEnabled());
    EXPECT_EQ(unplaced->checks, 0);   // only placed commands are asked

    placed->applicable = true;
    Gui::Command::block_all_command(true);
    controller.check_activation();
    EXPECT_FALSE(action->isEnabled());
    Gui::Command::block_all_command(false);
    controller.check_activation();
    EXPECT_TRUE(action->isEnabled());
    delete placed->get_action();
}

TEST_F(Commands, CheckableActionsInvokeWithTheirStateAndRespectApplicability)
{
    auto* cmd = new TestCommand("Std_Toggle");
    controller.new_command(cmd);
    QMenu menu;
    controller.add_to("Std_Toggle", &menu);
    Gui::CommandAction* action = cmd->get_action();
    action->set_checkable(true);
    action->action()->toggle();
    action->action()->toggle();
    EXPECT_EQ(cmd->calls, (std::vector<int>{1, 0}));
    action->set_checked(true, false);
    EXPECT_EQ(cmd->calls.size(), 2u);
    cmd->applicable = false;
    action->action()->toggle();
    EXPECT_EQ(cmd->calls.size(), 2u);
    delete action;
}

TEST_F(Commands, InvokeReportsEachKindOfFailureItsOwnWay)
{
    PelmoraTest::ModalCloser closer(QMessageBox::Ok);
    ConsoleCapture console;
    auto* cmd = new TestCommand("Std_Fail");
    controller.new_command(cmd);

    cmd->work = [](int) { throw Vexil::ExceptionAbortion(); };
    cmd->invoke(0);
    PelmoraTest::settleQueuedEvents();
    EXPECT_EQ(closer.count(), 0);
    EXPECT_TRUE(console.lines().empty());

    cmd->work = [](int) { throw Vexil::ExceptionHandler("Mesh is corrupt"); };
    cmd->invoke(0);
    ASSERT_EQ(closer.count(), 1);
    EXPECT_EQ(closer.titles().front(), QStringLiteral("Pelmora Exception"));
    EXPECT_EQ(closer.texts().front(), QStringLiteral("Mesh is corrupt"));

    console.clear();
    cmd->work = [](int) { throw std::runtime_error("boom"); };
    cmd->invoke(0);
    EXPECT_TRUE(console.contains(ConsoleCapture::Level::Error, "Error: C++ exception: (boom)"));

    cmd->work = [](int) { throw "plain text"; };
    cmd->invoke(0);
    EXPECT_TRUE(console.contains(ConsoleCapture::Level::Error, "plain text\n"));

    cmd->work = [](int) { throw 42; };
    cmd->invoke(4);
    EXPECT_TRUE(console.contains(ConsoleCapture::Level::Error,
                                 "Gui::Command::activated(4): Unknown C++ exception thrown"));
    EXPECT_EQ(closer.count(), 1);
}

TEST_F(Commands, ScriptLinesReachTheInterpreterWhole)
{
    // Far longer than the format plus the old fixed margin of 4023 characters.
    const std::string name(6000, 'm');
    Gui::Command::do_command(Gui::Command::Doc, "import %s", name.c_str());
    EXPECT_TRUE(lineSent("runString import " + name));

    Gui::Command::run_command(Gui::Command::Doc, "import Fem");
    EXPECT_TRUE(lineSent("runString import Fem"));
    EXPECT_THROW(Gui::Command::do_command(Gui::Command::Doc, "no such %s", "form"), Vexil::ExceptionHandler);
}

TEST_F(Commands, ValidateSimmoduleWithoutAnActiveModuleActivatesTheWantedOne)
{
    PelmoraTest::ScopedLogic logic;
    std::string activated;
    pmMsg::InterpreterSingleton::Instance().setGuiHandler(
        "activate_simmodule", [&activated](const std::string& n) { activated = n; });
    EXPECT_EQ(Gui::Command::validate_simmodule("FemWorkbench"), "");
    EXPECT_EQ(activated, "FemWorkbench");
    EXPECT_TRUE(lineSent("runString Gui.activate_simmodule('FemWorkbench')"));

    // Quotes in the name stay inside the one argument.
    activated.clear();
    EXPECT_EQ(Gui::Command::validate_simmodule("Fem'); Gui.quit('"), "");
    EXPECT_EQ(activated, "Fem'); Gui.quit('");
    EXPECT_TRUE(lineSent("runString Gui.activate_simmodule('Fem\\'); Gui.quit(\\'')"));
    pmMsg::InterpreterSingleton::Instance().clearGuiHandlers();
}

TEST_F(Commands, ValidateSimmoduleWithTheActiveModuleRunsNothing)
{
    PelmoraTest::ScopedLogic logic;
    Obj::Application::init_types();
    if (!Gui::qPelmoraApplication::types_initialized())
        Gui::qPelmoraApplication::initialize_application();
    ASSERT_TRUE(Gui::SimModuleController::instance()->activate("TestModule", "Gui::StdSimModule"));
    pmMsg::Journal::clear();
    EXPECT_EQ(Gui::Command::validate_simmodule("TestModule"), "TestModule");
    EXPECT_TRUE(pmMsg::Journal::lines().empty());
}

TEST_F(Commands, UpdateCurrentSendsTheCurrentProjectOnly)
{
    PelmoraTest::ScopedLogic logic;
    Gui::Command::update_current();
    EXPECT_TRUE(pmMsg::Journal::lines().empty());
    logic.app().create_project("Part1", "Part1");
    logic.app().set_current_project("Part1");
    Gui::Command::update_current();
    EXPECT_TRUE(lineSent("runCommand 20 Part1"));
}

TEST_F(Commands, ProjectHelpersFollowTheCurrentGuiProject)
{
    registerGuiTypes();
    PelmoraTest::ScopedLogic logic;
    Gui::qPelmoraApplication app(true);
    TestCommand probe("Std_Probe");

    // Nothing current: every helper answers "none".
    EXPECT_EQ(probe.get_project(), nullptr);
    EXPECT_FALSE(probe.has_object(1));
    EXPECT_EQ(probe.getUniqueObjectName(nullptr, "Box"), "");
    EXPECT_FALSE(Gui::Command::is_activated_object_valid());
    EXPECT_FALSE(probe.is_view_belongto_type(Gui::MDIWindow::getClassTypeId()));

    Obj::Project* part = logic.app().create_project("Part1", "Part1");
    Obj::ProjectObject* marker = part->add_object("Obj::AnnotationFiducial", "Marker");
    ASSERT_NE(marker, nullptr);
    Gui::GuiProject* gui = app.get_project(part);
    ASSERT_NE(gui, nullptr);
    app.set_current_project(gui);

    EXPECT_EQ(probe.get_project(), part);
    EXPECT_EQ(probe.get_project("Part1"), part);
    EXPECT_EQ(probe.get_project("NoSuchProject"), nullptr);
    EXPECT_EQ(probe.get_object(marker->getObjectId()), marker);
    EXPECT_FALSE(probe.has_object(marker->getObjectId() + 100));
    EXPECT_EQ(probe.getUniqueObjectName(nullptr, "Marker"), part->get_unique_object_name("Marker"));
    EXPECT_NE(probe.getUniqueObjectName("Part1", "Marker"), "Marker");

    part->activate_object(marker->getObjectId());
    EXPECT_TRUE(Gui::Command::is_activated_object_valid());
    marker->set_error(true, "broken");
    EXPECT_FALSE(Gui::Command::is_activated_object_valid());

    // Expanding asks the tree through the GUI project's signal, with mode "expand".
    std::vector<int> modes;
    gui->signal_expand_object.connect(
        [&](const Gui::ViewFeederProjectObject&, const Gui::TreeItemMode& mode) { modes.push_back(mode); });
    probe.expandObject(part, marker);
    probe.expandObject(part, nullptr);
    EXPECT_EQ(modes, std::vector<int>{Gui::ExpandItem});
}

TEST(CommandTexts, EachCommandsTextsAreMarkedForTranslationWhereTheyAreLookedUp)
{
    // The texts a translator is handed: what lupdate finds in the library's sources.
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString ts = dir.filePath(QStringLiteral("marked.ts"));
    QProcess lupdate;
    lupdate.start(QStringLiteral(PELMORA_LUPDATE),
                  {QStringLiteral("-silent"), QStringLiteral(PELMORA_GUI_SOURCE_DIR), QStringLiteral("-ts"), ts});
    ASSERT_TRUE(lupdate.waitForFinished(PelmoraTest::HangGuardMs)) << "lupdate did not finish";
    ASSERT_EQ(lupdate.exitCode(), 0) << lupdate.readAllStandardError().toStdString();
    QFile file(ts);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    std::set<std::pair<std::string, std::string>> marked;
    std::string context;
    for (QXmlStreamReader xml(&file); !xml.atEnd();) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == QLatin1String("name"))
            context = xml.readElementText().toStdString();
        else if (xml.name() == QLatin1String("source"))
            marked.emplace(context, xml.readElementText().toStdString());
    }

    // The commands look their texts up in the context of their class name. (Tool tips
    // that join a literal and a macro are left out: lupdate does not join them.)
    registerGuiTypes();
    PelmoraTest::ScopedLogic logic;
    Gui::qPelmoraApplication app(true);
    std::vector<std::string> unmarked;
    for (Gui::Command* cmd : app.get_command_manager().get_all_commands()) {
        const char* text = cmd->get_menu_info();
        if (text && *text && !marked.count({cmd->get_class_name(), text}))
            unmarked.push_back(std::string(cmd->get_name()) + ": " + cmd->get_class_name() + " / " + text);
    }
    EXPECT_EQ(unmarked, std::vector<std::string>{});
}
