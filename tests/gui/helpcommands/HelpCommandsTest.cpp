// The help commands in a running main window: their texts, the module switcher relaying
// the layout, the web links, and the About box.

#include <commands/CommandAction.h>
#include <commands/HelpCommands.h>
#include <commands/SimModule.h>
#include <core/qPelmoraApplication.h>
#include <dialogs/DlgAboutPelmoraImp.h>
#include <mainwindow/DockingWindowMediator.h>
#include <mainwindow/MainWindow.h>
#include <mainwindow/MenuItem.h>
#include <mainwindow/ToolBarGadget.h>

#include <support/ModalCloser.h>
#include <support/TestEnvironment.h>

#include <obj/Application.h>
#include <pmmsg/Message.h>

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTextBrowser>
#include <QToolBar>
#include <QTranslator>
#include <QUrl>

#include <vtkVersionMacros.h>

#include <boost/version.hpp>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace HelpTest {

std::vector<std::string> journal;

// Records its layout calls; the second module lays out a toolbar, docks and menus of
// its own, so that a switch shows on screen.
class RecordingModule : public Gui::StdSimModule
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    Gui::ToolBarGadget* build_toolbars() const override
    {
        journal.push_back(name() + ":toolbars");
        if (name() != "MatWorkbench")
            return StdSimModule::build_toolbars();
        auto* root = new Gui::ToolBarGadget();
        auto* bar = new Gui::ToolBarGadget(root);
        bar->set_command("MAT");
        *bar << "Std_About2";
        return root;
    }
    Gui::DockingWindowItems* build_docking_windows() const override
    {
        journal.push_back(name() + ":docks");
        return StdSimModule::build_docking_windows();
    }
    Gui::MenuItem* build_menu_bar() const override
    {
        journal.push_back(name() + ":menus");
        if (name() != "MatWorkbench")
            return StdSimModule::build_menu_bar();
        auto* root = new Gui::MenuItem();
        auto* help = new Gui::MenuItem(root);
        help->set_command("&HELP");
        *help << "Std_About2";
        return root;
    }
    void activated() override { journal.push_back(name() + ":activated"); }
    void deactivated() override { journal.push_back(name() + ":deactivated"); }
};
VEXIL_TYPESYSTEM_SOURCE_P(RecordingModule);
Vexil::RootClass* RecordingModule::create() { return new RecordingModule(); }
void RecordingModule::init()
{
    initSubclass(classTypeId, "FemGui::SimModule", "Gui::StdSimModule", &create);
}

// Stands in for the desktop's browser.
class Browser : public QObject
{
    Q_OBJECT
public:
    QStringList opened;
public Q_SLOTS:
    void open(const QUrl& url) { opened << url.toString(); }
};

// A translation that moves the forum elsewhere.
class ForumTranslator : public QTranslator
{
public:
    bool isEmpty() const override { return false; }
    QString translate(const char* context, const char* source, const char*, int) const override
    {
        if (QByteArray(context) == "StdCmdPelmoraForum" && QByteArray(source).startsWith("https://"))
            return QStringLiteral("https://forum.example.org/de");
        return QString();
    }
};

class HelpCommands : public ::testing::Test
{
protected:
    void SetUp() override
    {
        static bool registered = false;
        if (!registered) {
            Obj::Application::init_types();
            if (!Gui::qPelmoraApplication::types_initialized())
                Gui::qPelmoraApplication::initialize_application();
            RecordingModule::init();
            registered = true;
        }
        journal.clear();
        logic = std::make_unique<PelmoraTest::ScopedLogic>();
        app = std::make_unique<Gui::qPelmoraApplication>(true);
        window = std::make_unique<Gui::MainWindow>();
        pmMsg::Journal::clear();
    }
    void TearDown() override
    {
        Gui::SimModuleController::destruct();
        window.reset();
        app.reset();
        logic.reset();
    }
    Gui::Command* command(const char* name) { return app->get_command_manager().get_command_by_name(name); }
    // The module entries of the switcher, placed into a menu of its own.
    QList<QAction*> moduleEntries(QMenu& menu)
    {
        command("Std_Simmodule")->add_to(&menu);
        auto* group = qobject_cast<Gui::CmdActionGroup*>(command("Std_Simmodule")->get_action());
        return group ? group->get_actions() : QList<QAction*>();
    }
    static QAction* entryFor(const QList<QAction*>& entries, const QString& module)
    {
        for (QAction* a : entries)
            if (a->objectName() == module && a->isVisible())
                return a;
        return nullptr;
    }
    QStringList menuTitles() const
    {
        QStringList titles;
        for (QAction* a : window->menuBar()->actions())
            if (a->isVisible() && !a->isSeparator())
                titles << a->text();
        return titles;
    }

    std::unique_ptr<PelmoraTest::ScopedLogic> logic;
    std::unique_ptr<Gui::qPelmoraApplication> app;
    std::unique_ptr<Gui::MainWindow> window;
};

} // namespace HelpTest

using namespace HelpTest;

TEST_F(HelpCommands, EveryHelpCommandIsRegisteredWithItsTexts)
{
    for (const char* name : {"Std_About2", "Std_DlgUserPref", "Std_DlgUserPref2", "Std_Simmodule", "Std_OnlineDoc",
                             "Std_Documentation", "Std_PelmoraWebsite", "Std_PelmoraForum", "Std_PelmoraFAQs",
                             "Std_ReportAnIssue", "Std_ChatOnDiscord", "Std_FollowOnTwitter", "Std_CheckForUpdates"})
        ASSERT_NE(command(name), nullptr) << name;

    QCoreApplication::setApplicationName(QStringLiteral("Pelmora"));
    QMenu menu;
    command("Std_About2")->add_to(&menu);
    QAction* about = command("Std_About2")->get_action()->action();
    EXPECT_EQ(about->text(), "&About Pelmora");
    EXPECT_EQ(about->toolTip(), "About Pelmora");
    EXPECT_EQ(about->statusTip(), "About Pelmora");
    EXPECT_EQ(about->whatsThis(), "Std_About");
    EXPECT_EQ(about->menuRole(), QAction::ApplicationSpecificRole);
    EXPECT_FALSE(about->icon().isNull());
    // A language change fills the texts again, with the name of the moment.
    QCoreApplication::setApplicationName(QStringLiteral("Other"));
    command("Std_About2")->on_language_changed();
    EXPECT_EQ(about->text(), "&About Other");
    EXPECT_EQ(about->statusTip(), "About Other");
    EXPECT_EQ(about->whatsThis(), "Std_About");
    QCoreApplication::setApplicationName(QStringLiteral("Pelmora"));

    // The two preference entries look alike.
    command("Std_DlgUserPref")->add_to(&menu);
    command("Std_DlgUserPref2")->add_to(&menu);
    QAction* first = command("Std_DlgUserPref")->get_action()->action();
    QAction* second = command("Std_DlgUserPref2")->get_action()->action();
    EXPECT_EQ(first->text(), "&Preferences ...");
    EXPECT_EQ(second->text(), first->text());
    EXPECT_EQ(second->toolTip(), "Set user preferences");
    EXPECT_STREQ(command("Std_DlgUserPref2")->get_action_info(), "Std_DlgUserPref");

    command("Std_PelmoraWebsite")->add_to(&menu);
    EXPECT_TRUE(command("Std_PelmoraWebsite")->get_action()->action()->toolTip().startsWith("Visit website https://"));
    EXPECT_STREQ(command("Std_Simmodule")->get_group_name(), "View");
    EXPECT_STREQ(command("Std_CheckForUpdates")->get_group_name(), "Help");
}

TEST_F(HelpCommands, ChoosingAModuleRelaysTheWindowAndTheActiveOneIsLeftAlone)
{
    ASSERT_TRUE(app->activate_simmodule("FemWorkbench"));
    ASSERT_NE(window->findChild<QToolBar*>("FILE"), nullptr);
    EXPECT_EQ(menuTitles(), (QStringList{"&FILE", "&EDIT", "&VIEW", "&HELP"}));

    QMenu menu;
    const QList<QAction*> entries = moduleEntries(menu);
    QAction* mat = entryFor(entries, "MatWorkbench");
    QAction* fem = entryFor(entries, "FemWorkbench");
    ASSERT_NE(mat, nullptr);
    ASSERT_NE(fem, nullptr);
    EXPECT_EQ(menu.actions().size(), 1) << "the modules are listed in one submenu";

    journal.clear();
    pmMsg::Journal::clear();
    mat->trigger();
    EXPECT_EQ(pmMsg::Journal::lines(), std::vector<std::string>{"runString Gui.activate_simmodule(\"MatWorkbench\")"});
    EXPECT_EQ(journal, (std::vector<std::string>{"MatWorkbench:toolbars", "MatWorkbench:docks", "MatWorkbench:menus",
                                                 "FemWorkbench:deactivated", "MatWorkbench:activated"}));
    EXPECT_EQ(Gui::SimModuleController::instance()->active()->name(), "MatWorkbench");
    QToolBar* matBar = window->findChild<QToolBar*>("MAT");
    ASSERT_NE(matBar, nullptr);
    EXPECT_FALSE(matBar->isHidden());
    EXPECT_EQ(menuTitles(), QStringList{"&HELP"});
    EXPECT_NE(Gui::DockingWindowMediator::instance()->getDockedWindow("Output"), nullptr);

    // The active module again: no script line, no layout.
    journal.clear();
    pmMsg::Journal::clear();
    mat->trigger();
    EXPECT_TRUE(pmMsg::Journal::lines().empty());
    EXPECT_TRUE(journal.empty());

    // And back.
    fem->trigger();
    EXPECT_EQ(Gui::SimModuleController::instance()->active()->name(), "FemWorkbench");
    EXPECT_EQ(menuTitles(), (QStringList{"&FILE", "&EDIT", "&VIEW", "&HELP"}));
}

TEST_F(HelpCommands, AFailedSwitchIsReportedAndKeepsTheModule)
{
    ASSERT_TRUE(app->activate_simmodule("FemWorkbench"));
    QMenu menu;
    QAction* mat = entryFor(moduleEntries(menu), "MatWorkbench");
    ASSERT_NE(mat, nullptr);
    // Without the user interface's handler the interpreter cannot run the line.
    pmMsg::InterpreterSingleton::Instance().clearGuiHandlers();
    PelmoraTest::ModalCloser closer(QMessageBox::Ok);
    mat->trigger();
    EXPECT_EQ(closer.titles(), QStringList{"Cannot load simulation module"});
    EXPECT_EQ(closer.texts(), QStringList{"An internal error occurred at loading the simulation module"});
    EXPECT_EQ(Gui::SimModuleController::instance()->active()->name(), "FemWorkbench");
}

TEST_F(HelpCommands, LinksOpenTheirPagesAndATranslationMayMoveThem)
{
    Browser browser;
    QDesktopServices::setUrlHandler("https", &browser, "open");
    const char* links[] = {"Std_OnlineDoc", "Std_Documentation", "Std_PelmoraWebsite", "Std_PelmoraForum",
                           "Std_PelmoraFAQs", "Std_ReportAnIssue", "Std_ChatOnDiscord", "Std_FollowOnTwitter"};
    for (const char* name : links)
        app->get_command_manager().run_command_by_name(name);
    ASSERT_EQ(browser.opened.size(), 8);
    QStringList distinct = browser.opened;
    distinct.removeDuplicates();
    EXPECT_EQ(distinct.size(), 8) << browser.opened.join(' ').toStdString();
    QMenu menu;
    command("Std_PelmoraWebsite")->add_to(&menu);
    EXPECT_TRUE(command("Std_PelmoraWebsite")->get_action()->action()->toolTip().endsWith(browser.opened.at(2)));
    EXPECT_TRUE(pmMsg::Journal::lines().empty()) << "links send nothing to the logic";

    ForumTranslator translator;
    QCoreApplication::installTranslator(&translator);
    app->get_command_manager().run_command_by_name("Std_PelmoraForum");
    QCoreApplication::removeTranslator(&translator);
    QDesktopServices::unsetUrlHandler("https");
    EXPECT_EQ(browser.opened.last(), "https://forum.example.org/de");
}

TEST_F(HelpCommands, AboutBoxShowsVersionAndMachineAndCopiesBoth)
{
    {
        PelmoraTest::ModalCloser closer;
        app->get_command_manager().run_command_by_name("Std_About2");
        EXPECT_EQ(closer.titles(), QStringList{"About PELMORA"});
    }

    {
        Gui::DlgAboutPelmoraImp dlg(window.get());
        auto* version = dlg.findChild<QLabel*>("lbl_copyright");
        auto* details = dlg.findChild<QTextBrowser*>("txt_details");
        ASSERT_TRUE(version && details);
        EXPECT_TRUE(version->text().startsWith("PELMORA 2022\n  Version: 2.1.6689 Release\n  Build date: 2022-2-8\n"))
            << version->text().toStdString();
        const QStringList lines = details->toPlainText().split('\n');
        ASSERT_GT(lines.size(), 20);
        EXPECT_TRUE(lines.first().startsWith("CPU Architecture : "));
        EXPECT_TRUE(lines.contains("Endianness : Little Endian"));
        // The versions the program was built with, in the forms "1_74" and "9.1.0".
        EXPECT_TRUE(lines.contains("Boost version : " BOOST_LIB_VERSION)) << details->toPlainText().toStdString();
        EXPECT_TRUE(lines.contains("VTK version : " VTK_VERSION));
        EXPECT_EQ(lines.filter("Total Physical Memory: ").size(), 1);
        EXPECT_FALSE(lines.filter(QRegularExpression("^Total Physical Memory: [1-9][0-9]* MB$")).isEmpty())
            << "the memory figure is the machine's";
        EXPECT_EQ(lines.filter("Machine Host Name : ").size(), 2);
        EXPECT_TRUE(dlg.findChild<QPushButton*>("btn_dxdiag")->isHidden());

        PelmoraTest::ModalCloser closer(QMessageBox::Ok);
        dlg.findChild<QPushButton*>("btn_copy")->click();
        EXPECT_EQ(closer.titles(), QStringList{"Copied"});
        EXPECT_EQ(QApplication::clipboard()->text(), version->text() + "\n" + details->toPlainText());

    }

    // No main window: nothing opens.
    Gui::SimModuleController::destruct();
    window.reset();
    PelmoraTest::ModalCloser none;
    app->get_command_manager().run_command_by_name("Std_About2");
    EXPECT_EQ(none.count(), 0);
}

#include "HelpCommandsTest.moc"
