// The older preferences shell: its class-wide page registry, the settings check of
// its pages, the export of the user parameters and clearing them.

#include <dialogs/preferences/DlgUserPrefImp.h>

#include <support/ModalCloser.h>
#include <support/TestEnvironment.h>

#include <obj/Application.h>
#include <vexil/Exception.h>
#include <vexil/Parameter.h>

#include <QDialogButtonBox>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using Gui::Dialog::DlgUserPrefImp;

namespace {

// A page whose settings check refuses while `refuse` is set.
class CheckedPage : public QWidget
{
    Q_OBJECT
public:
    explicit CheckedPage(const QString& title) { setWindowTitle(title); }
    bool refuse = false;
    int checks = 0;

public Q_SLOTS:
    void checkSettings()
    {
        ++checks;
        if (refuse)
            throw Vexil::ExceptionHandler("Radius must be positive");
    }
};

std::vector<std::pair<std::string, std::vector<std::string>>> registry()
{
    std::vector<std::pair<std::string, std::vector<std::string>>> out;
    for (const auto& g : DlgUserPrefImp::pages())
        out.emplace_back(g.first, std::vector<std::string>(g.second.begin(), g.second.end()));
    return out;
}

struct Shell
{
    DlgUserPrefImp dlg;
    QListWidget* list;
    QStackedWidget* stack;
    CheckedPage* first;
    CheckedPage* second;
    CheckedPage* third;

    Shell()
    {
        list = dlg.findChild<QListWidget*>(QStringLiteral("listBox"));
        stack = dlg.findChild<QStackedWidget*>(QStringLiteral("tabWidgetStack"));
        auto* general = new QTabWidget;
        first = new CheckedPage(QStringLiteral("Editor"));
        second = new CheckedPage(QStringLiteral("Files"));
        general->addTab(first, first->windowTitle());
        general->addTab(second, second->windowTitle());
        auto* display = new QTabWidget;
        third = new CheckedPage(QStringLiteral("3D View"));
        display->addTab(third, third->windowTitle());
        for (const char* group : {"General", "Display"}) {
            auto* item = new QListWidgetItem(QString::fromLatin1(group), list);
            item->setData(Qt::UserRole, QByteArray(group));
        }
        stack->addWidget(general);
        stack->addWidget(display);
    }
    QAbstractButton* button(QDialogButtonBox::StandardButton which)
    {
        return dlg.findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"))->button(which);
    }
};

} // namespace

TEST(OlderPreferencesDialog, PageRegistryKeepsGroupsAndNamesInOrder)
{
    DlgUserPrefImp::addPage("A", "G");
    DlgUserPrefImp::addPage("B", "G");
    DlgUserPrefImp::addPage("C", "H");
    DlgUserPrefImp::addPage("D", "H");
    using R = decltype(registry());
    EXPECT_EQ(registry(), (R{{"G", {"A", "B"}}, {"H", {"C", "D"}}}));
    DlgUserPrefImp::removePage("A", "G");
    DlgUserPrefImp::removePage("X", "G");   // absent name
    DlgUserPrefImp::removePage("A", "Z");   // absent group
    EXPECT_EQ(registry(), (R{{"G", {"B"}}, {"H", {"C", "D"}}}));
    DlgUserPrefImp::removePage("B", "G");
    EXPECT_EQ(registry(), (R{{"H", {"C", "D"}}}));
    DlgUserPrefImp::addPage("C", "H");   // added again
    EXPECT_EQ(registry(), (R{{"H", {"C", "D", "C"}}}));
    DlgUserPrefImp::removePage("", "H");
    EXPECT_TRUE(registry().empty());
}

TEST(OlderPreferencesDialog, ARefusedSettingKeepsTheDialogOpenOnThatPageAndSavesNothing)
{
    QTemporaryDir dir;
    const std::string target = dir.filePath(QStringLiteral("user.cfg")).toStdString();
    PelmoraTest::ScopedLogic logic({{"UserParameter", target}});
    logic.app().get_user_preference().get_parameter_group("BaseApp/Preferences/Editor")->set_int_value("Tab", 4);

    Shell shell;
    shell.dlg.show();
    shell.second->refuse = true;
    shell.dlg.activateGroupPage(QStringLiteral("Display"), 0);
    EXPECT_EQ(shell.stack->currentIndex(), 1);

    PelmoraTest::ModalCloser closer(QMessageBox::Ok);
    shell.button(QDialogButtonBox::Ok)->click();
    ASSERT_EQ(closer.count(), 1);
    EXPECT_EQ(closer.titles().front(), QStringLiteral("Wrong parameter"));
    EXPECT_EQ(closer.texts().front(), QStringLiteral("Radius must be positive"));
    EXPECT_TRUE(shell.dlg.isVisible());
    EXPECT_EQ(shell.list->currentRow(), 0);
    EXPECT_EQ(static_cast<QTabWidget*>(shell.stack->currentWidget())->currentIndex(), 1);
    EXPECT_EQ(shell.third->checks, 0);   // stopped at the refusing page
    EXPECT_FALSE(QFile::exists(QString::fromStdString(target)));

    // Once every page agrees, Apply exports the user parameters and OK closes.
    shell.second->refuse = false;
    shell.button(QDialogButtonBox::Apply)->click();
    EXPECT_EQ(shell.third->checks, 1);
    EXPECT_TRUE(shell.dlg.isVisible());
    auto exported = Vexil::ParameterManager::create(target);
    ASSERT_TRUE(exported->load());
    EXPECT_EQ(exported->get_parameter_group("BaseApp/Preferences/Editor")->get_int_value("Tab"), 4);

    shell.button(QDialogButtonBox::Ok)->click();
    EXPECT_FALSE(shell.dlg.isVisible());
    EXPECT_EQ(shell.dlg.result(), int(QDialog::Accepted));
    EXPECT_EQ(closer.count(), 1);
}

TEST(OlderPreferencesDialog, NoExportWhenTheUserTurnedSavingOff)
{
    QTemporaryDir dir;
    const std::string target = dir.filePath(QStringLiteral("user.cfg")).toStdString();
    PelmoraTest::ScopedLogic logic({{"UserParameter", target}});
    logic.app().get_preference_group_by_path("User parameter:BaseApp/Preferences/General")
        ->set_parameter_bool("SaveUserParameter", false);
    Shell shell;
    shell.button(QDialogButtonBox::Apply)->click();
    EXPECT_EQ(shell.first->checks, 1);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(target)));
}

TEST(OlderPreferencesDialog, WithoutAnExportFileOkClosesQuietly)
{
    PelmoraTest::ScopedLogic logic;   // no "UserParameter" in the configuration
    Shell shell;
    shell.dlg.show();
    PelmoraTest::ModalCloser closer(QMessageBox::Ok);
    shell.button(QDialogButtonBox::Ok)->click();
    EXPECT_EQ(closer.count(), 0) << closer.titles().join(QLatin1Char(' ')).toStdString();
    EXPECT_EQ(shell.dlg.result(), int(QDialog::Accepted));
}

TEST(OlderPreferencesDialog, RestoreDefaultsClearsEverythingButTheSaveChoice)
{
    PelmoraTest::ScopedLogic logic;
    Vexil::ParameterManager& user = logic.app().get_user_preference();
    user.get_parameter_group("BaseApp/Preferences/Editor")->set_int_value("Tab", 4);
    logic.app().get_preference_group_by_path("User parameter:BaseApp/Preferences/General")
        ->set_parameter_bool("SaveUserParameter", false);

    {
        Shell shell;
        PelmoraTest::ModalCloser closer(QMessageBox::No);
        shell.button(QDialogButtonBox::RestoreDefaults)->click();
        ASSERT_EQ(closer.count(), 1);
        EXPECT_EQ(closer.titles().front(), QStringLiteral("Clear user settings"));
        EXPECT_TRUE(user.get_parameter_group("BaseApp/Preferences/Editor")->has_entry("Tab"));
    }
    Shell shell;
    shell.dlg.show();
    PelmoraTest::ModalCloser closer(QMessageBox::Yes);
    shell.button(QDialogButtonBox::RestoreDefaults)->click();
    EXPECT_FALSE(user.get_parameter_group("BaseApp/Preferences/Editor")->has_entry("Tab"));
    EXPECT_FALSE(logic.app()
                     .get_preference_group_by_path("User parameter:BaseApp/Preferences/General")
                     ->get_parameter_bool("SaveUserParameter", true));
    EXPECT_FALSE(shell.dlg.isVisible());
    EXPECT_EQ(shell.dlg.result(), int(QDialog::Rejected));
}

#include "OlderPreferencesDialogTest.moc"
