// The colour lists of every project while the colour folder changes under the running
// window: each file is listed once in every project's lists (the panel's and the colour
// picker's), and a new project reads the same number of list rows whatever the folder holds.

#include <colors/qVizColorsModule.h>
#include <colors/qVizColorsModuleWidget.h>
#include <core/GuiProject.h>
#include <core/qPelmoraApplication.h>
#include <mainwindow/MainWindow.h>

#include <support/GuiSession.h>
#include <support/WindowFocus.h>

#include <obj/Application.h>
#include <qmrml/qMRMLColorPickerWidget.h>
#include <qmrml/qMRMLColorTableComboBox.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMap>
#include <QStringList>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdio>
#include <ctime>
#include <vector>

#include <utime.h>

namespace {

class ColorListsProjects : public PelmoraTest::MainWindowSession
{
protected:
    void SetUp() override
    {
        PelmoraTest::registerFemGuiTypes();
        startApplication();
        openMainWindow();
        ASSERT_TRUE(app->activate_simmodule("FemWorkbench"));
        window->resize(1000, 800);
        window->show();
        folder = QDir(home.path()).filePath(QStringLiteral("share/Pelmora-2.1/ColorFiles"));
        ASSERT_TRUE(QDir().mkpath(folder));
        oldHome = qgetenv("PELMORA_HOME");
        qputenv("PELMORA_HOME", QFile::encodeName(home.path()));
        panel = app->colorsModule()->widgetRepresentation();
        ASSERT_NE(panel, nullptr);
        panel->show();
        panelTables = panel->findChild<qMRMLColorTableComboBox*>(QStringLiteral("ColorTableComboBox"));
        pickerTables = app->colorsModule()->colorPicker()->findChild<qMRMLColorTableComboBox*>();
        ASSERT_NE(panelTables, nullptr);
        ASSERT_NE(pickerTables, nullptr);
    }
    void TearDown() override
    {
        qputenv("PELMORA_HOME", oldHome);
        MainWindowSession::TearDown();
    }

    void writeTable(const QString& name, int red)
    {
        QFile out(QDir(folder).filePath(name));
        ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write("0 c " + QByteArray::number(red) + " 2 3 255\n");
    }
    // The folder as a user filled it some time ago (each time another time).
    void settleFolder()
    {
        const std::time_t hourAgo = std::time(nullptr) - 3600 - settled++;
        const struct utimbuf times{hourAgo, hourAgo};
        ASSERT_EQ(::utime(QFile::encodeName(folder).constData(), &times), 0);
    }

    // Ctrl+N, as the user makes a project.
    Gui::GuiProject* newProject()
    {
        EXPECT_TRUE(PelmoraTest::activateForTyping(window.get()));
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : window.get();
        QTest::keyClick(target, Qt::Key_N, Qt::ControlModifier);
        QApplication::processEvents();
        Obj::Project* project = Obj::Application::instance().get_current_project();
        return project ? app->get_project(project) : nullptr;
    }
    // Clicks the tab at `index`, as the user goes back to an earlier project.
    void clickTab(int index)
    {
        auto* tabs = window->findChild<QTabBar*>();
        ASSERT_NE(tabs, nullptr);
        ASSERT_LT(index, tabs->count());
        QTest::mouseClick(tabs, Qt::LeftButton, Qt::NoModifier, tabs->tabRect(index).center());
        QApplication::processEvents();
    }
    // How many times each text is listed.
    static QMap<QString, int> listed(const qMRMLColorTableComboBox* tables)
    {
        QMap<QString, int> texts;
        for (int i = 0; i < tables->count(); ++i)
            ++texts[tables->itemText(i)];
        return texts;
    }
    QMap<QString, int> expected(const QStringList& files) const
    {
        QMap<QString, int> texts{{QStringLiteral("PmRainbow"), 1}, {QStringLiteral("Grey"), 1}, {QStringLiteral("Heat"), 1}};
        for (const QString& file : files)
            texts[file.left(file.lastIndexOf(QLatin1Char('.')))] = 1;
        return texts;
    }

    QTemporaryDir home;
    int settled = 0;
    QString folder;
    QByteArray oldHome;
    qVizColorsModuleWidget* panel = nullptr;
    qMRMLColorTableComboBox* panelTables = nullptr;
    qMRMLColorTableComboBox* pickerTables = nullptr;
};

} // namespace

// Every change of the folder (a file added, one removed, one renamed, one rewritten, the
// folder's time only) x 0 to 3 changes x every project made so far x both lists: each file
// of the folder is listed once, and no file gone from it is listed.
TEST_F(ColorListsProjects, EachFileIsListedOnceInEveryProjectWhateverTheFolderDid)
{
    enum class Change { Added, Removed, Renamed, Rewritten, Touched };
    int projectsMade = 0;
    for (const Change change : {Change::Added, Change::Removed, Change::Renamed, Change::Rewritten, Change::Touched}) {
        QDir(folder).removeRecursively();
        QDir().mkpath(folder);
        QStringList files{QStringLiteral("Stahl 1..warm.txt"), QStringLiteral("Eisen \u00e4.txt"),
                          QStringLiteral("Kupfer.ctbl"), QStringLiteral("Zinn [x].txt")};
        for (int i = 0; i < files.size(); ++i)
            writeTable(files[i], i);
        settleFolder();
        const int firstTab = projectsMade;
        for (int changes = 0; changes <= 3; ++changes) {
            SCOPED_TRACE("change " + std::to_string(int(change)) + ", after " + std::to_string(changes) + " changes");
            if (changes > 0) {
                switch (change) {
                case Change::Added:
                    files << QStringLiteral("Neu %1.txt").arg(changes);
                    writeTable(files.back(), 50 + changes);
                    break;
                case Change::Removed:
                    ASSERT_TRUE(QFile::remove(QDir(folder).filePath(files.takeFirst())));
                    break;
                case Change::Renamed: {
                    const QString renamed = QStringLiteral("Umbenannt %1.txt").arg(changes);
                    ASSERT_TRUE(QDir(folder).rename(files.front(), renamed));
                    files.front() = renamed;
                    break;
                }
                case Change::Rewritten:
                    writeTable(files.front(), 100 + changes);
                    break;
                case Change::Touched:
                    break;
                }
                if (change != Change::Touched || changes % 2 == 1)
                    settleFolder();
            }
            ASSERT_NE(newProject(), nullptr);
            ++projectsMade;
            const QMap<QString, int> want = expected(files);
            EXPECT_EQ(listed(panelTables), want) << "the new project's panel";
            EXPECT_EQ(listed(pickerTables), want) << "the new project's colour picker";
            for (int tab = firstTab; tab < projectsMade; ++tab) {
                clickTab(tab);
                EXPECT_EQ(listed(panelTables), want) << "the panel of project " << tab;
                EXPECT_EQ(listed(pickerTables), want) << "the colour picker of project " << tab;
            }
        }
    }
}

// Folder sizes of 10, 100 and 1,000 tables x the ways a project's lists find a node (the
// picker's default table made and chosen, the panel's default chosen, an earlier project's
// tab clicked): a new project reads as many list rows whatever the folder holds.
TEST_F(ColorListsProjects, ANewProjectReadsAsManyListRowsWhateverTheFolderHolds)
{
    std::vector<long long> perSize;
    for (const int tables : {10, 100, 1000}) {
        SCOPED_TRACE(tables);
        QDir(folder).removeRecursively();
        QDir().mkpath(folder);
        // The picker's default table lies somewhere among the others.
        writeTable(QStringLiteral("HotToColdRainbow.txt"), 7);
        for (int i = 0; i < tables; ++i)
            writeTable(QStringLiteral("Tafel %1 w\u00e4rmer.txt").arg(i), i % 256);
        settleFolder();
        // The first project after a change reads the folder and lists it.
        ASSERT_NE(newProject(), nullptr);
        ASSERT_EQ(pickerTables->count(), tables + 4);
        ASSERT_EQ(pickerTables->currentText(), QStringLiteral("HotToColdRainbow"));
        const int earlier = window->findChild<QTabBar*>()->count() - 1;
        const long long before = qMRMLColorTableComboBox::rowsRead();
        for (int i = 0; i < 4; ++i) {
            Gui::GuiProject* project = newProject();
            ASSERT_NE(project, nullptr);
            ASSERT_EQ(pickerTables->mrmlScene(), project->mrmlScene());
            EXPECT_EQ(pickerTables->currentText(), QStringLiteral("HotToColdRainbow"));
            EXPECT_EQ(panelTables->currentText(), QStringLiteral("PmRainbow"));
        }
        clickTab(earlier);
        EXPECT_EQ(pickerTables->currentText(), QStringLiteral("HotToColdRainbow"));
        perSize.push_back(qMRMLColorTableComboBox::rowsRead() - before);
    }
    ASSERT_EQ(perSize.size(), 3u);
    std::printf("list rows read for 4 new projects and a tab clicked, 10 / 100 / 1,000 tables: %lld / %lld / %lld\n",
                perSize[0], perSize[1], perSize[2]);
    EXPECT_EQ(perSize[1], perSize[0]) << "rows read for 100 tables against 10";
    EXPECT_EQ(perSize[2], perSize[0]) << "rows read for 1,000 tables against 10";
}
