// After a file of several projects is opened, by the Open entry, dropped on the window,
// handed over by a second start or named on the command line, the project shown in bold
// in the project tree, the tab on screen and the project a paste goes into are the same
// one: the one the file names as current.  With thousands of tabs, the current one stays
// in view when a hand-over marks its project changed.

#include <core/GuiProject.h>
#include <support/SettleEvents.h>
#include <support/HangGuard.h>
#include <core/qPelmoraApplication.h>
#include <dialogs/widgets/FileDialog.h>
#include <mainwindow/DockingWindowMediator.h>
#include <mainwindow/DocumentArea.h>
#include <mainwindow/DocumentTabBar.h>
#include <mainwindow/MDIWindow.h>
#include <mainwindow/MainWindow.h>
#include <selection/ProjectItem.h>
#include <selection/TreeSelectionSingleton.h>
#include <selection/TreeWidget.h>

#include <support/GuiSession.h>
#include <support/ModalCloser.h>
#include <support/SaveDialogAnswer.h>
#include <support/ProjectFileSeal.h>
#include <support/WindowFocus.h>

#include <obj/Application.h>
#include <obj/Project.h>
#include <obj/ProjectObject.h>
#include <pmmsg/Message.h>

#include <QDir>
#include <QProcess>
#include <QElapsedTimer>
#include <QAction>
#include <QCoreApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <commands/Command.h>
#include <commands/CommandAction.h>
#include <QFile>
#include <QMdiSubWindow>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

class CurrentProjectTab : public PelmoraTest::MainWindowSession
{
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(openProductWindow());
        window->resize(1000, 700);
    }
    void TearDown() override
    {
        Gui::TreeSelectionSingleton::instance().clear_all_selections();
        closeSession();
    }

    static void settle()
    {
        PelmoraTest::settleWithDisplay();
    }

    Obj::Project* named(const char* name) const { return Obj::Application::instance().get_project(name); }

    // The project whose tree item is bold.
    std::string bold() const
    {
        auto* tree = window->findChild<Gui::TreeWidget*>();
        if (!tree)
            return "<no tree>";
        std::string names;
        for (Obj::Project* project : Obj::Application::instance().get_projects()) {
            Gui::ProjectItem* item = tree->getProjectItem(app->get_project(project));
            if (item && item->font(0).bold())
                names += (names.empty() ? "" : ",") + std::string(project->get_name());
        }
        return names;
    }
    // The project of the tab the bar shows as current, and of the view on screen.
    std::string shownTab() const
    {
        QTabBar* bar = window->mdiArea()->tabBar();
        return bar->currentIndex() < 0 ? "<none>" : bar->tabText(bar->currentIndex()).toStdString();
    }
    std::string shownView() const
    {
        QMdiSubWindow* sub = window->mdiArea()->activeSubWindow();
        auto* view = sub ? qobject_cast<Gui::MDIWindow*>(sub->widget()) : nullptr;
        Gui::GuiProject* gui = view ? view->getGuiProject() : nullptr;
        return gui && gui->get_project() ? gui->get_project()->get_name() : "<none>";
    }

    // The file: "Metres" with a model, then "Millimetres", saved while Metres is current.
    void writeTwoProjectFile()
    {
        pmMsg::runCommand(pmMsg::CMD_NEW_PROJECT, 1, {"Metres"});
        pmMsg::runCommand(pmMsg::CMD_NEW_PROJECT, 1, {"Millimetres"});
        ASSERT_TRUE(named("Metres") && named("Millimetres"));
        ASSERT_NE(named("Metres")->add_object("Obj::GeometryObject", "gear"), nullptr);
        settle();
        // The user clicks the tab of Metres.
        QTabBar* bar = window->mdiArea()->tabBar();
        ASSERT_EQ(bar->count(), 2);
        QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, bar->tabRect(0).center());
        settle();
        ASSERT_STREQ(Obj::Application::instance().get_current_project()->get_name(), "Metres");
        saveAnswer = QDir(dir.path()).filePath(QStringLiteral("units v2.both.pmdb"));
        ASSERT_TRUE(app->save_as());
        Obj::Application::instance().close_all_projects();
        PelmoraTest::flushDeletes();
        settle();
    }

    void expectOneCurrent(const char* after)
    {
        settle();
        ASSERT_NE(Obj::Application::instance().get_current_project(), nullptr) << after;
        const std::string current = Obj::Application::instance().get_current_project()->get_name();
        EXPECT_EQ(current, "Metres") << after;
        EXPECT_EQ(bold(), current) << after;
        EXPECT_EQ(shownView(), current) << after;
        EXPECT_EQ(shownTab().rfind(current, 0), 0u) << after << ": " << shownTab();
        ASSERT_NE(app->get_current_project(), nullptr);
        EXPECT_STREQ(app->get_current_project()->get_project()->get_name(), current.c_str()) << after;
    }

    QTemporaryDir dir;
    PelmoraTest::SaveDialogAnswer saveDialog;
    QString& saveAnswer = saveDialog.answer;
};

} // namespace

TEST_F(CurrentProjectTab, AfterOpeningTheBoldProjectIsTheShownTabAndTakesThePaste)
{
    ASSERT_NO_FATAL_FAILURE(writeTwoProjectFile());

    // The Open entry's path.
    app->open(saveAnswer.toUtf8().constData(), "Geometry");
    ASSERT_NO_FATAL_FAILURE(expectOneCurrent("opened"));

    // Ctrl+C, Ctrl+V of the model of Metres: the copy is in the project on screen.
    Obj::Project* metres = named("Metres");
    ASSERT_NE(metres, nullptr);
    Gui::TreeSelectionSingleton::instance().set_selection("Metres", {metres->get_objects().front()});
    ASSERT_TRUE(PelmoraTest::activateForTyping(window.get()));
    QAction* copy = command("Std_Copy")->get_action()->action();
    QAction* paste = command("Std_Paste")->get_action()->action();
    ASSERT_TRUE(QTest::qWaitFor([copy] { return copy->isEnabled(); }, PelmoraTest::HangGuardMs)) << "the window offers Copy";
    QTest::keyClick(window.get(), Qt::Key_C, Qt::ControlModifier);
    ASSERT_TRUE(QTest::qWaitFor([paste] { return paste->isEnabled(); }, PelmoraTest::HangGuardMs)) << "the window offers Paste";
    QTest::keyClick(window.get(), Qt::Key_V, Qt::ControlModifier);
    settle();
    EXPECT_EQ(metres->get_num_objects(), 2u);
    EXPECT_EQ(named("Millimetres")->get_num_objects(), 0u);
    EXPECT_EQ(shownView(), "Metres");
    EXPECT_EQ(shownTab().rfind("Metres", 0), 0u) << shownTab();
    EXPECT_NE(shownTab().find('*'), std::string::npos) << "the tab on screen carries the change: " << shownTab();

    // Dropped on the window.
    Gui::TreeSelectionSingleton::instance().clear_all_selections();
    Obj::Application::instance().close_all_projects();
    PelmoraTest::flushDeletes();
    QMimeData dropped;
    dropped.setUrls({QUrl::fromLocalFile(saveAnswer)});
    QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window.get(), &enter);
    ASSERT_TRUE(enter.isAccepted()) << "the window takes the file";
    QDropEvent drop(QPointF(20, 20), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window.get(), &drop);
    ASSERT_NO_FATAL_FAILURE(expectOneCurrent("dropped"));

    // Handed over by a second start, the same file once more, then an annotation list.
    Gui::TreeSelectionSingleton::instance().clear_all_selections();
    Obj::Application::instance().close_all_projects();
    PelmoraTest::flushDeletes();
    window->processMessages({QByteArray("OpenFile:") + QFile::encodeName(saveAnswer)});
    ASSERT_NO_FATAL_FAILURE(expectOneCurrent("handed over"));
    const QString marks = QDir(dir.path()).filePath(QStringLiteral("marks v2.ü.fcsv"));
    QFile list(marks);
    ASSERT_TRUE(list.open(QIODevice::WriteOnly));
    list.write("# pointColumns = type|x|y|z|sel|vis\npoint|1|2|3|1|1\n");
    list.close();
    window->processMessages({QByteArray("OpenFile:") + QFile::encodeName(marks)});
    ASSERT_NO_FATAL_FAILURE(expectOneCurrent("annotation list handed over"));
    EXPECT_EQ(named("Metres")->get_objects(Obj::AnnotationFiducial::getClassTypeId()).size(), 1u);
}

// Closing a tab: the document area's history decides which tab comes next, whatever
// project the logic would take as current.  Three projects A, B, C, the tabs clicked in
// every order, then closed by the tab's close button or File > Close (the tab on screen),
// or by another tab's close button, or by the logic (a script's close); with nothing to
// save, and with a change the user gives up when asked.
TEST_F(CurrentProjectTab, ClosingATabShowsTheTabTheUserWasOnBefore)
{
    enum class Close { ShownByItsButton, ShownByTheCloseEntry, AnotherByItsButton, TheOtherByItsButton, ShownByTheLogic };
    const char* const ways[] = {"the shown tab's button", "File > Close", "the previous tab's button",
                                "the first-clicked tab's button", "the logic closing the shown one"};
    const std::vector<std::string> names{"A", "B", "C"};
    std::vector<std::string> order = names;
    QTabBar* bar = window->mdiArea()->tabBar();
    // A tab shows its project's label, with a number when the project has several views.
    auto labels = [](QString text, const std::string& name) {
        if (text.endsWith(QLatin1Char('*')))
            text.chop(1);
        const QString label = QString::fromStdString(name);
        return text == label || text.startsWith(label + QLatin1Char(' '));
    };
    auto tabOf = [bar, labels](const std::string& name) {
        for (int i = 0; i < bar->count(); ++i)
            if (labels(bar->tabText(i), name))
                return i;
        return -1;
    };
    PelmoraTest::ModalCloser closer(QMessageBox::Close);
    do {
      for (bool changed : {false, true})
        for (Close how : {Close::ShownByItsButton, Close::ShownByTheCloseEntry, Close::AnotherByItsButton,
                          Close::TheOtherByItsButton, Close::ShownByTheLogic}) {
            const std::string cell = "clicked " + order[0] + order[1] + order[2] + ", closed by "
                                     + ways[static_cast<int>(how)] + (changed ? ", with a change" : "");
            for (const std::string& name : names) {
                pmMsg::runCommand(pmMsg::CMD_NEW_PROJECT, 1, {name.c_str()});
                if (changed) {
                    ASSERT_NE(named(name.c_str())->add_object("Obj::GeometryObject", "part"), nullptr);
                }
            }
            settle();
            ASSERT_EQ(bar->count(), 3) << cell;
            for (const std::string& name : order) {
                ASSERT_GE(tabOf(name), 0) << cell << ": " << name;
                QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, bar->tabRect(tabOf(name)).center());
                settle();
            }
            ASSERT_EQ(shownView(), order[2]) << cell;
            const int asked = closer.count();
            // Which tab goes, and which must be shown afterwards.
            std::string closed = order[2];
            std::string expected = order[1];
            if (how == Close::AnotherByItsButton || how == Close::TheOtherByItsButton) {
                closed = how == Close::AnotherByItsButton ? order[1] : order[0];
                expected = order[2];
            }
            if (how == Close::ShownByTheCloseEntry) {
                // The window's periodic action check, run now rather than waited for.
                app->get_command_manager().check_activation();
                QAction* close = command("Std_CloseCurrentWindow")->get_action()->action();
                ASSERT_TRUE(close->isEnabled()) << cell;
                close->trigger();
            }
            else if (how == Close::ShownByTheLogic) {
                pmMsg::runCommand(pmMsg::CMD_CLOSE_PROJECT, 1, {closed});
            }
            else {
                auto* tabs = qobject_cast<Gui::DocumentTabBar*>(bar);
                ASSERT_NE(tabs, nullptr);
                const QPoint button = tabs->closeButtonRect(tabOf(closed)).center();
                QTest::mousePress(bar, Qt::LeftButton, Qt::NoModifier, button);
                QTest::mouseRelease(bar, Qt::LeftButton, Qt::NoModifier, button);
            }
            settle();
            EXPECT_EQ(named(closed.c_str()), nullptr) << cell;
            // The logic closes a project without asking; a user's close asks about a change.
            EXPECT_EQ(closer.count() - asked, changed && how != Close::ShownByTheLogic ? 1 : 0)
                << cell << ": asked about the change";
            EXPECT_EQ(bar->count(), 2) << cell;
            EXPECT_EQ(shownView(), expected) << cell;
            EXPECT_TRUE(labels(QString::fromStdString(shownTab()), expected)) << cell << ": " << shownTab();
            EXPECT_EQ(bold(), expected) << cell;
            ASSERT_NE(Obj::Application::instance().get_current_project(), nullptr) << cell;
            EXPECT_EQ(Obj::Application::instance().get_current_project()->get_name(), expected) << cell;
            ASSERT_NE(app->get_current_project(), nullptr) << cell;
            EXPECT_EQ(app->get_current_project()->get_project()->get_name(), expected) << cell;

            Gui::TreeSelectionSingleton::instance().clear_all_selections();
            Obj::Application::instance().close_all_projects();
            PelmoraTest::flushDeletes();
            settle();
        }
    } while (std::next_permutation(order.begin(), order.end()));
}

TEST_F(CurrentProjectTab, AtFiveThousandProjectsAHandOverLeavesTheCurrentTabShown)
{
    // A file of 5,000 projects naming the first one current, handed over by a second start.
    static constexpr int Projects = 5000;
    QByteArray body = "PELMORA PROJECT FILE\nversion\t1\n";
    for (int p = 0; p < Projects; ++p)
        body += "project\tPart" + QByteArray::number(p) + "\t1\tFemGui::ViewFeederProjectFem\n";
    body += "current\tPart0\n";
    const QString file = QDir(dir.path()).filePath(QStringLiteral("many parts..v2.pmdb"));
    QFile out(file);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    const QByteArray sealed = PelmoraTest::sealedProjectFile(body);
    ASSERT_EQ(out.write(sealed), sealed.size());
    out.close();

    auto agree = [this](const char* after, const std::string& expected) {
        settle();
        ASSERT_NE(Obj::Application::instance().get_current_project(), nullptr) << after;
        const std::string current = Obj::Application::instance().get_current_project()->get_name();
        EXPECT_EQ(current, expected) << after;
        EXPECT_EQ(bold(), current) << after;
        EXPECT_EQ(shownView(), current) << after;
        QTabBar* bar = window->mdiArea()->tabBar();
        EXPECT_EQ(bar->count(), Projects) << after;
        EXPECT_EQ(bar->tabText(bar->currentIndex()).toStdString().rfind(current, 0), 0u) << after;
        // The bar shows the current tab: it lies within the bar, not scrolled away.
        EXPECT_TRUE(bar->isVisible()) << after;
        EXPECT_TRUE(bar->rect().intersects(bar->tabRect(bar->currentIndex()))) << after;
    };
    window->processMessages({QByteArray("OpenFile:") + QFile::encodeName(file)});
    ASSERT_NO_FATAL_FAILURE(agree("handed over", "Part0"));

    // The user picks a tab far along, then an annotation list is handed over: it goes
    // into that project, whose tab stays the one shown.
    QTabBar* bar = window->mdiArea()->tabBar();
    window->mdiArea()->setActiveSubWindow(window->mdiArea()->subWindowList().at(Projects - 10));
    ASSERT_NO_FATAL_FAILURE(agree("a tab picked", "Part4990"));
    const QString marks = QDir(dir.path()).filePath(QStringLiteral("marks v2.ü.fcsv"));
    QFile list(marks);
    ASSERT_TRUE(list.open(QIODevice::WriteOnly));
    list.write("# pointColumns = type|x|y|z|sel|vis\npoint|1|2|3|1|1\n");
    list.close();
    window->processMessages({QByteArray("OpenFile:") + QFile::encodeName(marks)});
    ASSERT_NO_FATAL_FAILURE(agree("an annotation list handed over", "Part4990"));
    EXPECT_EQ(named("Part4990")->get_objects(Obj::AnnotationFiducial::getClassTypeId()).size(), 1u);
    EXPECT_EQ(bar, window->mdiArea()->tabBar());
}

TEST(CurrentProjectOnTheCommandLine, TheProjectTheFileNamesIsBoldAndOnScreen)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("units v2.both.pmdb"));
    QFile out(file);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    const QByteArray sealed = PelmoraTest::sealedProjectFile(
        "PELMORA PROJECT FILE\nversion\t1\nproject\tMetres\t1\tFemGui::ViewFeederProjectFem\n"
        "project\tMillimetres\t1\tFemGui::ViewFeederProjectFem\ncurrent\tMetres\n");
    ASSERT_EQ(out.write(sealed), sealed.size());
    out.close();

    QProcess driver;
    driver.start(QStringLiteral(VIEWS_DRIVER), {file});
    ASSERT_TRUE(driver.waitForFinished(PelmoraTest::HangGuardMs));
    const QString printed = QString::fromUtf8(driver.readAllStandardOutput());
    ASSERT_EQ(driver.exitCode(), 0) << driver.readAllStandardError().toStdString();
    auto value = [&printed](const char* key) {
        for (const QString& line : printed.split(QLatin1Char('\n')))
            if (line.startsWith(QLatin1String(key) + QLatin1Char('=')))
                return line.mid(static_cast<int>(std::strlen(key)) + 1).toStdString();
        return std::string("<missing>");
    };
    EXPECT_EQ(value("current"), "Metres");
    EXPECT_EQ(value("bold"), "Metres");
    EXPECT_EQ(value("shown"), "Metres");
    EXPECT_EQ(value("tab").rfind("Metres", 0), 0u) << value("tab");
}
