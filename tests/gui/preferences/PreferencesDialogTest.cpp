// The preferences dialog as a user meets it: opened by its command, filling unset
// folders, listeners following each change, reset, a settings file that cannot be
// written, shortcuts, and a second process reading what the first one stored.

#include <commands/Command.h>
#include <support/HangGuard.h>
#include <commands/PreferenceCommands.h>
#include <commands/SimModule.h>
#include <core/FolderSettings.h>
#include <core/qPelmoraApplication.h>
#include <dialogs/preferences/DlgUserPrefImp.h>
#include <dialogs/preferences/OutputPageImp.h>
#include <dialogs/preferences/PreferencesDialogImp.h>
#include <dialogs/preferences/ShortcutsPageImp.h>
#include <mainwindow/MainWindow.h>
#include <mainwindow/MenuItem.h>
#include <mainwindow/ReportOutput.h>

#include <support/ConsoleCapture.h>
#include <support/LockHolder.h>
#include <support/ModalCloser.h>
#include <support/SmallDisk.h>
#include <support/TestEnvironment.h>

#include <obj/Application.h>
#include <pmunit/Units.h>
#include <vexil/Parameter.h>
#include <vexil/MsgConsole.h>
#include <vexil/PreferenceManager.h>

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QKeySequenceEdit>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QSignalSpy>
#include <QSpinBox>
#include <QStackedWidget>
#include <QStandardItemModel>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTranslator>
#include <QTreeView>
#include <QWindow>

#include <gtest/gtest.h>

#include <memory>
#include <set>

using Gui::Dialog::PreferencesDialogImp;

namespace {

template <typename Pred>
bool waitFor(Pred done, int timeoutMs = PelmoraTest::HangGuardMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QTest::qWait(5);
    }
    return true;
}

QAbstractButton* standardButton(QDialog& dlg, QDialogButtonBox::StandardButton which)
{
    auto* box = dlg.findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
    return box ? box->button(which) : nullptr;
}

class PreferencesDialog : public ::testing::Test
{
protected:
    void SetUp() override
    {
        prefs = logic.app().getPrefMgr();
        ASSERT_NE(prefs, nullptr);
    }
    PelmoraTest::ScopedLogic logic;
    Vexil::PreferenceManager* prefs = nullptr;
};

} // namespace

TEST_F(PreferencesDialog, FillsUnsetFoldersBeforeThePagesShowThem)
{
    prefs->set(Vexil::PM_TEMP_FOLDER, QStringLiteral("Undefined"), false);
    prefs->set(Vexil::PM_EXECUTABLE_FOLDER, QString(), false);
    prefs->set(Vexil::PM_REPORT_GENERATOR_FOLDER, QStringLiteral("/my/reports"), false);
    PreferencesDialogImp dlg;
    dlg.setPreferenceManager(prefs);

    const QString home = QString::fromStdString(logic.app().get_home_directory());
    EXPECT_EQ(prefs->getString(Vexil::PM_TEMP_FOLDER), Gui::FolderSettings::fallback(Vexil::PM_TEMP_FOLDER));
    EXPECT_EQ(prefs->getString(Vexil::PM_DEFAULT_FOLDER), home);
    EXPECT_EQ(prefs->getString(Vexil::PM_EXECUTABLE_FOLDER), home);
    EXPECT_EQ(prefs->getString(Vexil::PM_NGSOLVE_EXECUTABLE), Gui::FolderSettings::fallback(Vexil::PM_NGSOLVE_EXECUTABLE));
    EXPECT_EQ(prefs->getString(Vexil::PM_REPORT_GENERATOR_FOLDER), QStringLiteral("/my/reports"));
    // What the dialog writes is what the rest of the application assumes for unset folders.
    EXPECT_EQ(dlg.findChild<QLineEdit*>(QStringLiteral("leTempFolder"))->text(),
              Gui::FolderSettings::read(prefs, Vexil::PM_TEMP_FOLDER));

    // Four of the six pages are offered; the stack starts on General with no row chosen.
    auto* list = dlg.findChild<QListWidget*>(QStringLiteral("contentsWidget"));
    ASSERT_NE(list, nullptr);
    QStringList visible;
    for (int i = 0; i < list->count(); ++i)
        if (!list->item(i)->isHidden())
            visible << list->item(i)->text();
    EXPECT_EQ(visible, (QStringList{"General", "3D Graphics", "Output", "Analysis"}));
    EXPECT_EQ(list->currentRow(), -1);
    list->setCurrentRow(2);
    auto* stack = dlg.findChild<QStackedWidget*>(QStringLiteral("pagesWidget"));
    EXPECT_EQ(stack->currentWidget()->objectName(), QStringLiteral("output"));
}

TEST_F(PreferencesDialog, OpensAtASizeThatShowsEachPageWhole)
{
    PreferencesDialogImp dlg;
    dlg.setPreferenceManager(prefs);
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg, PelmoraTest::HangGuardMs));
    EXPECT_GE(dlg.width(), 600);
    EXPECT_GE(dlg.height(), 600);
    auto* list = dlg.findChild<QListWidget*>(QStringLiteral("contentsWidget"));
    auto* pages = dlg.findChild<QStackedWidget*>(QStringLiteral("pagesWidget"));
    ASSERT_TRUE(list && pages);
    for (int row = 0; row < 4; ++row) {
        list->setCurrentRow(row);
        QCoreApplication::processEvents();
        SCOPED_TRACE(list->item(row)->text().toStdString());
        auto* area = pages->currentWidget()->findChild<QScrollArea*>();
        ASSERT_NE(area, nullptr);
        EXPECT_FALSE(area->horizontalScrollBar()->isVisible());
        EXPECT_FALSE(area->verticalScrollBar()->isVisible());
        // Every button lies within what the page shows.
        for (QPushButton* button : area->widget()->findChildren<QPushButton*>()) {
            const QRect shown = QRect(button->mapTo(area->viewport(), QPoint(0, 0)), button->size());
            EXPECT_TRUE(area->viewport()->rect().contains(shown)) << button->objectName().toStdString();
        }
    }
}

TEST_F(PreferencesDialog, ApplyAndCancelKeepWhatWasChangedAndResetAsksFirst)
{
    auto* dlg = new PreferencesDialogImp;
    dlg->setAttribute(Qt::WA_DeleteOnClose);
    dlg->setPreferenceManager(prefs);
    dlg->show();
    QPointer<PreferencesDialogImp> guard(dlg);
    dlg->findChild<QSpinBox*>(QStringLiteral("spinNumUsedFiles"))->setValue(9);
    standardButton(*dlg, QDialogButtonBox::Apply)->click();
    EXPECT_TRUE(dlg->isVisible());
    EXPECT_EQ(prefs->getInt(Vexil::PM_RECENT_FILES), 9);

    {
        PelmoraTest::ModalCloser closer(QMessageBox::No);
        standardButton(*dlg, QDialogButtonBox::Reset)->click();
        ASSERT_EQ(closer.count(), 1);
        EXPECT_EQ(closer.titles().front(), QStringLiteral("Reset user settings"));
    }
    EXPECT_EQ(prefs->getInt(Vexil::PM_RECENT_FILES), 9);

    {
        PelmoraTest::ModalCloser closer(QMessageBox::Yes);
        prefs->set(Vexil::PM_TEMP_FOLDER, QStringLiteral("/elsewhere"), false);
        standardButton(*dlg, QDialogButtonBox::Reset)->click();
    }
    EXPECT_EQ(prefs->getInt(Vexil::PM_RECENT_FILES), 4);
    EXPECT_EQ(prefs->getString(Vexil::PM_TEMP_FOLDER), Gui::FolderSettings::fallback(Vexil::PM_TEMP_FOLDER));
    // The pages show the defaults again.
    EXPECT_EQ(dlg->findChild<QSpinBox*>(QStringLiteral("spinNumUsedFiles"))->value(), 4);
    EXPECT_EQ(dlg->findChild<QLineEdit*>(QStringLiteral("leTempFolder"))->text(),
              Gui::FolderSettings::fallback(Vexil::PM_TEMP_FOLDER));

    dlg->findChild<QSpinBox*>(QStringLiteral("spinNumDigits"))->setValue(11);
    standardButton(*dlg, QDialogButtonBox::Cancel)->click();
    ASSERT_TRUE(waitFor([&] { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); return guard.isNull(); }));
    EXPECT_EQ(prefs->getInt(Vexil::PM_SIGNIFICANT_DIGITS), 11);
}

TEST_F(PreferencesDialog, TheUserIsToldWhenTheSettingsFileCannotBeWritten)
{
    // A folder that is a file: no write can succeed, not even for root.
    QTemporaryDir dir;
    QFile blocker(dir.filePath(QStringLiteral("blocked")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    Vexil::PreferenceManager unwritable(dir.filePath(QStringLiteral("blocked/prefs.ini")));

    PreferencesDialogImp dlg;
    dlg.setPreferenceManager(&unwritable);   // the folder fallbacks already fail to save
    dlg.show();
    ASSERT_TRUE(waitFor([&] { return dlg.findChild<QMessageBox*>(QStringLiteral("saveFailedBox")) != nullptr; }));
    auto* box = dlg.findChild<QMessageBox*>(QStringLiteral("saveFailedBox"));
    EXPECT_EQ(box->windowTitle(), QStringLiteral("Cannot save preferences"));
    EXPECT_TRUE(box->text().contains(QStringLiteral("prefs.ini")));
    box->accept();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    // One report per failing streak, not one per keystroke.
    dlg.findChild<QSpinBox*>(QStringLiteral("spinNumDigits"))->setValue(8);
    dlg.findChild<QSpinBox*>(QStringLiteral("spinNumDigits"))->setValue(9);
    QCoreApplication::processEvents();
    EXPECT_EQ(dlg.findChild<QMessageBox*>(QStringLiteral("saveFailedBox")), nullptr);
    // The value is still in effect for this run.
    EXPECT_EQ(unwritable.getInt(Vexil::PM_SIGNIFICANT_DIGITS), 9);
}

TEST_F(PreferencesDialog, ListenersFollowEveryChangeAtOnce)
{
    auto app = std::make_unique<Gui::qPelmoraApplication>(false);
    auto window = std::make_unique<Gui::MainWindow>();
    Gui::DockWindow::ReportOutput output;
    PreferencesDialogImp dlg;
    dlg.setPreferenceManager(prefs);

    // Unit label in the status bar.
    dlg.findChild<QRadioButton*>(QStringLiteral("radioUnitsBFT"))->setChecked(true);
    auto* unitLabel = window->statusBar()->findChild<QLabel*>(QStringLiteral("UnitLabel"));
    ASSERT_NE(unitLabel, nullptr);
    EXPECT_EQ(unitLabel->text(), pmUnit::UnitsManager::instance()->getUnitStatusLabel());
    const QString before = unitLabel->text();
    dlg.findChild<QRadioButton*>(QStringLiteral("radioTempUnitK"))->setChecked(true);
    EXPECT_NE(unitLabel->text(), before);
    EXPECT_TRUE(unitLabel->text().contains(QStringLiteral("Kelvin")));

    // The Output dock stops showing warnings the moment the box is unchecked.
    dlg.findChild<QCheckBox*>(QStringLiteral("checkWarning"))->setChecked(false);
    Vexil::MsgConsoleSingleton::Instance().Warning("hidden warning\n");
    Vexil::MsgConsoleSingleton::Instance().Message("shown message\n");
    ASSERT_TRUE(waitFor([&] { return output.toPlainText().contains(QStringLiteral("shown message")); }));
    EXPECT_FALSE(output.toPlainText().contains(QStringLiteral("hidden warning")));
    dlg.findChild<QCheckBox*>(QStringLiteral("checkWarning"))->setChecked(true);
    Vexil::MsgConsoleSingleton::Instance().Warning("visible warning\n");
    ASSERT_TRUE(waitFor([&] { return output.toPlainText().contains(QStringLiteral("visible warning")); }));

    window.reset();
    Gui::SimModuleController::destruct();
}

TEST_F(PreferencesDialog, ResetAnnouncesTheListenedToSettingsItChanged)
{
    prefs->set(Vexil::PM_COLOR_WARNING, 0x11223344u, true);
    prefs->set(Vexil::PM_BACKGROUND_COLOR, 0x55667788u, true);
    prefs->set(Vexil::PM_RECENT_FILES, 9, false);
    PreferencesDialogImp dlg;
    dlg.setPreferenceManager(prefs);
    QSignalSpy spy(prefs, &Vexil::PreferenceManager::optionChanged);
    {
        PelmoraTest::ModalCloser closer(QMessageBox::Yes);
        standardButton(dlg, QDialogButtonBox::Reset)->click();
    }
    std::set<int> announced;
    for (const QList<QVariant>& args : spy)
        announced.insert(args.at(0).value<Vexil::PM_SETTING>());
    // Only the changed settings that listeners follow; the stored values are the defaults.
    EXPECT_EQ(announced, (std::set<int>{Vexil::PM_COLOR_WARNING, Vexil::PM_BACKGROUND_COLOR}));
    EXPECT_EQ(spy.count(), 2);
    EXPECT_EQ(prefs->getUInt(Vexil::PM_COLOR_WARNING), 0xffffaa00u);
    EXPECT_EQ(prefs->getInt(Vexil::PM_RECENT_FILES), 4);
}

TEST_F(PreferencesDialog, StatusBarFollowsTheOutputColoursAfterRestoreDefaults)
{
    auto app = std::make_unique<Gui::qPelmoraApplication>(false);
    auto window = std::make_unique<Gui::MainWindow>();
    auto* label = window->statusBar()->findChild<QLabel*>(QStringLiteral("MessageLabel"));
    ASSERT_NE(label, nullptr);
    auto output = [&] {
        return logic.app().get_user_preference().get_parameter_group("BaseApp/Preferences/OutputWindow");
    };
    auto shows = [&](const QString& text) { return waitFor([&] { return label->text() == text; }); };

    output()->set_unsigned_value("colorWarning", 0x112233ffUL);
    Vexil::MsgConsoleSingleton::Instance().Warning("before");
    EXPECT_TRUE(shows(QStringLiteral("<font color=\"#112233\">before</font>")));
    {
        Gui::Dialog::DlgUserPrefImp dlg;
        PelmoraTest::ModalCloser closer(QMessageBox::Yes);
        dlg.findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"))
            ->button(QDialogButtonBox::RestoreDefaults)->click();
    }
    // The cleared colour is back to its default at once ...
    Vexil::MsgConsoleSingleton::Instance().Warning("cleared");
    EXPECT_TRUE(shows(QStringLiteral("<font color=\"#ffaa00\">cleared</font>")));
    // ... and a later change to the group now in use still reaches the status bar.
    output()->set_unsigned_value("colorWarning", 0x445566ffUL);
    Vexil::MsgConsoleSingleton::Instance().Warning("after");
    EXPECT_TRUE(shows(QStringLiteral("<font color=\"#445566\">after</font>")));

    window.reset();
    Gui::SimModuleController::destruct();
}

TEST_F(PreferencesDialog, TheMenuCommandOpensAFurtherModelessDialogEachTime)
{
    auto app = std::make_unique<Gui::qPelmoraApplication>(true);
    auto window = std::make_unique<Gui::MainWindow>();
    Gui::CommandController& commands = app->get_command_manager();
    Gui::Command* cmd = commands.get_command_by_name("Std_DlgUserPref2");
    ASSERT_NE(cmd, nullptr);
    EXPECT_STREQ(cmd->get_menu_info(), "&Preferences ...");
    Gui::Command* older = commands.get_command_by_name("Std_DlgUserPref");
    ASSERT_NE(older, nullptr);
    EXPECT_STREQ(older->get_tooltip_info(), cmd->get_tooltip_info());

    // The standard module's File menu offers it.
    Gui::StdSimModule module;
    std::unique_ptr<Gui::MenuItem> menu(module.build_menu_bar());
    ASSERT_NE(menu->look_for_item("&FILE"), nullptr);
    EXPECT_NE(menu->look_for_item("&FILE")->look_for_item("Std_DlgUserPref2"), nullptr);

    cmd->invoke(0);
    cmd->invoke(0);
    const auto dialogs = window->findChildren<PreferencesDialogImp*>();
    ASSERT_EQ(dialogs.size(), 2);
    for (PreferencesDialogImp* dlg : dialogs) {
        EXPECT_TRUE(dlg->isVisible());
        EXPECT_FALSE(dlg->isModal());
        EXPECT_TRUE(dlg->testAttribute(Qt::WA_DeleteOnClose));
    }
    // A change in one dialog is in the store at once.
    dialogs.front()->findChild<QSpinBox*>(QStringLiteral("spinCompressLevel"))->setValue(1);
    EXPECT_EQ(prefs->getInt(Vexil::PM_COMPRESSION_LEVEL), 1);
    for (PreferencesDialogImp* dlg : dialogs)
        dlg->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window->findChildren<PreferencesDialogImp*>().isEmpty());
    window.reset();
    Gui::SimModuleController::destruct();
}

TEST_F(PreferencesDialog, ARestartKeepsWhatTheDialogStored)
{
    {
        PreferencesDialogImp dlg;
        dlg.setPreferenceManager(prefs);
        dlg.findChild<QRadioButton*>(QStringLiteral("radioUnitsNMMTON"))->setChecked(true);
        dlg.findChild<QCheckBox*>(QStringLiteral("checkGotoEnd"))->setChecked(false);
        dlg.findChild<QLineEdit*>(QStringLiteral("leFreqMax"))->setText(QStringLiteral("2500"));
    }
    QProcess second;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("PELMORA_TEST_PREFERENCES"), prefs->fileName());
    second.setProcessEnvironment(env);
    second.start(QCoreApplication::applicationFilePath(),
                 {QStringLiteral("--gtest_filter=SecondProcess.ReadsWhatTheFirstStored"), QStringLiteral("-platform"),
                  QStringLiteral("offscreen")});
    ASSERT_TRUE(second.waitForFinished(PelmoraTest::HangGuardMs));
    const QByteArray out = second.readAllStandardOutput();
    EXPECT_EQ(second.exitCode(), 0) << out.constData();
    EXPECT_TRUE(out.contains("[  PASSED  ] 1 test")) << out.constData();
}

// Runs only as the second process of the test above.
TEST(SecondProcess, ReadsWhatTheFirstStored)
{
    const QString file = qEnvironmentVariable("PELMORA_TEST_PREFERENCES");
    if (file.isEmpty())
        GTEST_SKIP() << "run by ARestartKeepsWhatTheDialogStored";
    Vexil::PreferenceManager prefs(file);
    EXPECT_EQ(prefs.getString(Vexil::PM_UNIT_SYSTEM), QStringLiteral("NMMTON"));
    EXPECT_FALSE(prefs.isOn(Vexil::PM_AUTO_SCROLL));
    EXPECT_EQ(prefs.getInt(Vexil::PM_MAX_RANGE), 2500);
    EXPECT_FALSE(Gui::FolderSettings::isUnset(prefs.getString(Vexil::PM_DEFAULT_FOLDER)));
}

namespace {

// Translates every text, as a language switch would change the page's own words.
class ShoutingTranslator : public QTranslator
{
public:
    bool isEmpty() const override { return false; }
    QString translate(const char*, const char* source, const char* = nullptr, int = -1) const override
    {
        return QString::fromUtf8(source).toUpper() + QStringLiteral("_X");
    }
};

class Shortcuts : public PreferencesDialog
{
protected:
    void SetUp() override
    {
        PreferencesDialog::SetUp();
        page.setPreferenceManager(prefs);
        page.model()->appendRow({new QStandardItem(QStringLiteral("Save")), new QStandardItem(QStringLiteral("Ctrl+S"))});
        page.model()->appendRow({new QStandardItem(QStringLiteral("Open")), new QStandardItem(QString())});
        std::string file;
        QSettings::Format format;
        prefs->getFileAndType(file, format);
        shortcutsFile = QString::fromStdString(file);
    }
    void TearDown() override { Gui::Dialog::ShortcutsPageImp::setDefaultsFile(QStringLiteral(":resources/kb.ini")); }

    void edit(int row, const QKeySequence& keys)
    {
        page.tableItemClicked(page.model()->index(row, 0));
        auto* editor = page.findChild<QKeySequenceEdit*>(QStringLiteral("keySequenceEdit"));
        editor->setKeySequence(keys);
        Q_EMIT editor->editingFinished();
    }
    QVariant stored(const QString& key) const { return QSettings(shortcutsFile, QSettings::IniFormat).value(key); }
    QByteArray fileBytes() const
    {
        QFile f(shortcutsFile);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    Gui::Dialog::ShortcutsPageImp page;
    QString shortcutsFile;
};

} // namespace

TEST_F(Shortcuts, AnEditIsStoredUnderTheUntranslatedKeyOfTheClickedAction)
{
    auto* editor = page.findChild<QKeySequenceEdit*>(QStringLiteral("keySequenceEdit"));
    editor->setKeySequence(QKeySequence(QStringLiteral("Ctrl+K")));
    Q_EMIT editor->editingFinished();   // no row clicked yet
    EXPECT_FALSE(QFile::exists(shortcutsFile));

    page.tableItemClicked(page.model()->index(0, 0));
    EXPECT_EQ(page.findChild<QLabel*>(QStringLiteral("actionNameLabel"))->text(), QStringLiteral("Save"));
    EXPECT_EQ(editor->keySequence(), QKeySequence(QStringLiteral("Ctrl+S")));

    // A language switch must not move the keys: they stay "shortcuts/Cmd<action>".
    ShoutingTranslator translator;
    QCoreApplication::installTranslator(&translator);
    edit(1, QKeySequence(QStringLiteral("Ctrl+Shift+O")));
    QCoreApplication::removeTranslator(&translator);
    EXPECT_EQ(stored(QStringLiteral("shortcuts/CmdOpen")).toString(), QStringLiteral("Ctrl+Shift+O"));
    QSettings file(shortcutsFile, QSettings::IniFormat);
    EXPECT_EQ(file.allKeys(), QStringList{QStringLiteral("shortcuts/CmdOpen")});

    page.findChild<QPushButton*>(QStringLiteral("clearButton"))->click();
    EXPECT_EQ(editor->keySequence(), QKeySequence(QStringLiteral("Ctrl+Shift+O")));
    EXPECT_EQ(stored(QStringLiteral("shortcuts/CmdOpen")).toString(), QStringLiteral("Ctrl+Shift+O"));
}

TEST_F(Shortcuts, RestoringWithoutDefaultsKeepsTheUsersSequences)
{
    edit(0, QKeySequence(QStringLiteral("Ctrl+Alt+S")));
    Gui::Dialog::ShortcutsPageImp::setDefaultsFile(QStringLiteral(":/no/such/kb.ini"));
    page.findChild<QPushButton*>(QStringLiteral("restoreShortcutsButton"))->click();
    EXPECT_EQ(stored(QStringLiteral("shortcuts/CmdSave")).toString(), QStringLiteral("Ctrl+Alt+S"));
}

TEST_F(Shortcuts, RestoringReplacesTheUsersSequencesByTheDefaultsOnceAndForAll)
{
    QTemporaryDir dir;
    const QString defaults = dir.filePath(QStringLiteral("kb.ini"));
    {
        QSettings kb(defaults, QSettings::IniFormat);
        kb.setValue(QStringLiteral("shortcuts/CmdSave"), QStringLiteral("Ctrl+S"));
        kb.setValue(QStringLiteral("shortcuts/CmdQuit"), QStringLiteral("Ctrl+Q"));
    }
    Gui::Dialog::ShortcutsPageImp::setDefaultsFile(defaults);
    edit(1, QKeySequence(QStringLiteral("F3")));
    page.findChild<QPushButton*>(QStringLiteral("restoreShortcutsButton"))->click();
    EXPECT_FALSE(stored(QStringLiteral("shortcuts/CmdOpen")).isValid());
    EXPECT_EQ(stored(QStringLiteral("shortcuts/CmdSave")).toString(), QStringLiteral("Ctrl+S"));
    EXPECT_EQ(stored(QStringLiteral("shortcuts/CmdQuit")).toString(), QStringLiteral("Ctrl+Q"));
    const QByteArray once = fileBytes();
    page.findChild<QPushButton*>(QStringLiteral("restoreShortcutsButton"))->click();
    EXPECT_EQ(fileBytes(), once);
}

TEST(ShortcutsFile, AFullDiskKeepsTheFileAndSaysSo)
{
    PelmoraTest::SmallDisk disk(64);
    if (!disk.mounted())
        GTEST_SKIP() << disk.skipReason().toStdString();
    Vexil::PreferenceManager prefs(disk.filePath(QStringLiteral("preferences.ini")));
    Gui::Dialog::ShortcutsPageImp page;
    page.setPreferenceManager(&prefs);
    page.model()->appendRow({new QStandardItem(QStringLiteral("Save")), new QStandardItem(QString())});
    page.tableItemClicked(page.model()->index(0, 0));
    auto* editor = page.findChild<QKeySequenceEdit*>(QStringLiteral("keySequenceEdit"));
    editor->setKeySequence(QKeySequence(QStringLiteral("Ctrl+J")));
    Q_EMIT editor->editingFinished();
    std::string file;
    QSettings::Format format;
    prefs.getFileAndType(file, format);
    QFile written(QString::fromStdString(file));
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    const QByteArray before = written.readAll();
    written.close();

    disk.fill();
    PelmoraTest::ConsoleCapture console;
    editor->setKeySequence(QKeySequence(QStringLiteral("Ctrl+Shift+J")));
    Q_EMIT editor->editingFinished();
    EXPECT_TRUE(console.contains(PelmoraTest::ConsoleCapture::Level::Error, "No space left on device"));
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(), before);
}

TEST(ShortcutsFile, AConfigFolderWithNonAsciiLettersKeepsItsName)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("J\u00fcrgen \u65e5\u672c"));
    Vexil::PreferenceManager prefs(QDir(folder).filePath(QStringLiteral("preferences.ini")));
    Gui::Dialog::ShortcutsPageImp page;
    page.setPreferenceManager(&prefs);
    page.model()->appendRow({new QStandardItem(QStringLiteral("Save")), new QStandardItem(QString())});
    page.tableItemClicked(page.model()->index(0, 0));
    auto* editor = page.findChild<QKeySequenceEdit*>(QStringLiteral("keySequenceEdit"));
    editor->setKeySequence(QKeySequence(QStringLiteral("Ctrl+J")));
    Q_EMIT editor->editingFinished();

    const QStringList written = QDir(folder).entryList(QDir::Files);
    ASSERT_EQ(written.size(), 1) << written.join(QLatin1Char(' ')).toStdString();
    QSettings file(QDir(folder).filePath(written.front()), QSettings::IniFormat);
    EXPECT_EQ(file.value(QStringLiteral("shortcuts/CmdSave")).toString(), QStringLiteral("Ctrl+J"));
}

TEST_F(PreferencesDialog, ALockHeldForEverElsewhereLeavesTheWindowAnsweringAndTheBoxInFrontOfTheDialog)
{
    // Another program keeps the lock beside the preferences file: a write gives up after
    // its short wait (tries counted here, not timed), and the box saying so is in front of
    // the dialog it blocks.
    auto app = std::make_unique<Gui::qPelmoraApplication>(true);
    auto window = std::make_unique<Gui::MainWindow>();
    window->show();
    Gui::Command* cmd = app->get_command_manager().get_command_by_name("Std_DlgUserPref2");
    ASSERT_NE(cmd, nullptr);
    struct Row
    {
        const char* name;
        bool failsWhenOpened;   // the lock is taken before the dialog opens, or after
    };
    for (const Row row : {Row{"opening the dialog", true}, Row{"a pick in the dialog", false}}) {
        SCOPED_TRACE(row.name);
        for (Vexil::PM_SETTING id : {Vexil::PM_DEFAULT_FOLDER, Vexil::PM_TEMP_FOLDER})
            prefs->set(id, QStringLiteral("Undefined"), false);
        prefs->set(Vexil::PM_SIGNIFICANT_DIGITS, 6, false);
        int tries = 0;
        Vexil::PreferenceManager::setLockWait(3, 0, [&] { ++tries; });
        const QString lockFile = prefs->fileName() + QStringLiteral(".lock");
        std::unique_ptr<PelmoraTest::LockHolder> other;
        if (row.failsWhenOpened)
            other = std::make_unique<PelmoraTest::LockHolder>(lockFile);

        cmd->invoke(0);
        auto* dlg = window->findChild<PreferencesDialogImp*>();
        ASSERT_NE(dlg, nullptr);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dlg, PelmoraTest::HangGuardMs));
        if (!row.failsWhenOpened) {
            EXPECT_EQ(dlg->findChild<QMessageBox*>(QStringLiteral("saveFailedBox")), nullptr);
            other = std::make_unique<PelmoraTest::LockHolder>(lockFile);
            dlg->findChild<QSpinBox*>(QStringLiteral("spinNumDigits"))->setValue(8);
        }
        ASSERT_TRUE(other->holding());
        ASSERT_EQ(tries, 3);   // one wait for the whole run of failed writes, and no more
        QMessageBox* box = nullptr;
        ASSERT_TRUE(waitFor([&] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (w->objectName() == QLatin1String("saveFailedBox") && w->isVisible())
                    box = qobject_cast<QMessageBox*>(w);
            return box && box->windowHandle() && box->windowHandle()->isExposed();
        }));
        EXPECT_EQ(box->parentWidget(), dlg);
        EXPECT_EQ(QApplication::activeModalWidget(), box);
        // Over the dialog, and on top of it: what lies under the middle of the box on the
        // screen is the box.
        EXPECT_TRUE(dlg->frameGeometry().contains(box->frameGeometry()))
            << "box " << box->frameGeometry().x() << "," << box->frameGeometry().y();
        EXPECT_EQ(QGuiApplication::topLevelAt(box->mapToGlobal(box->rect().center())), box->windowHandle());
        EXPECT_TRUE(box->text().contains(QStringLiteral("saved with the next change")));
        box->accept();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

        // Kept, and written with the next write that has the lock.
        other->release();
        prefs->set(Vexil::PM_AXES_SIZE, 30, false);
        Vexil::PreferenceManager after(prefs->fileName());
        if (row.failsWhenOpened)
            EXPECT_EQ(after.getString(Vexil::PM_TEMP_FOLDER), Gui::FolderSettings::fallback(Vexil::PM_TEMP_FOLDER));
        else
            EXPECT_EQ(after.getInt(Vexil::PM_SIGNIFICANT_DIGITS), 8);
        dlg->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        Vexil::PreferenceManager::setLockWait(300, 4, {});
    }
    window.reset();
    Gui::SimModuleController::destruct();
}
