// Document views in the main window: closing with negotiation, the project closed by the
// logic taking its tabs along, titles following the project label, and the switch
// between tab, top-level window and full screen.

#include <core/GuiProject.h>
#include <core/qPelmoraApplication.h>
#include <mainwindow/DocumentArea.h>
#include <mainwindow/MDIWindow.h>
#include <mainwindow/MainWindow.h>

#include <support/GuiSession.h>
#include <support/ModalCloser.h>
#include <support/TestEnvironment.h>

#include <obj/Application.h>
#include <obj/Project.h>

#include <QMdiSubWindow>
#include <QPointer>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace {

using PelmoraTest::flushDeletes;

class DocumentViews : public PelmoraTest::MainWindowSession
{
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(MainWindowSession::SetUp());
        project = logic->app().create_project("Part1", "Part1");
        ASSERT_NE(project, nullptr);
        gui = app->get_project(project);
        ASSERT_NE(gui, nullptr);
    }

    // A plain document view of the project, added as a tab.
    Gui::MDIWindow* openView(const QString& title)
    {
        auto* view = new Gui::MDIWindow(gui, window.get());
        view->setWindowTitle(title);
        window->addWindow(view);
        return view;
    }
    Gui::DocumentArea* area() const { return window->mdiArea(); }
    static QMdiSubWindow* tabOf(QWidget* view) { return qobject_cast<QMdiSubWindow*>(view->parentWidget()); }

    Obj::Project* project = nullptr;
    Gui::GuiProject* gui = nullptr;
};

} // namespace

TEST_F(DocumentViews, ClosingTheLastViewAsksAndCanBeRefused)
{
    QPointer<Gui::MDIWindow> first = openView(QStringLiteral("Part1 : 1"));
    QPointer<Gui::MDIWindow> second = openView(QStringLiteral("Part1 : 2"));
    ASSERT_EQ(gui->getMDIViews().size(), 2u);
    EXPECT_FALSE(first->isPassive());
    EXPECT_EQ(first->getAppProject(), project);
    project->set_modified(true);

    // Not the last view: it goes at once, nobody is asked.
    PelmoraTest::ModalCloser closer(QMessageBox::Cancel);
    EXPECT_TRUE(tabOf(first)->close());
    EXPECT_EQ(closer.count(), 0);
    EXPECT_EQ(gui->getMDIViews(), std::list<Gui::MDIWindow*>{second.data()});
    flushDeletes();
    EXPECT_TRUE(first.isNull());

    // The last one: the project asks about its unsaved changes, and Cancel keeps it.
    EXPECT_FALSE(tabOf(second)->close());
    EXPECT_EQ(closer.count(), 1);
    EXPECT_EQ(closer.titles().value(0), QStringLiteral("Close Project"));
    flushDeletes();
    ASSERT_FALSE(second.isNull());
    EXPECT_EQ(area()->subWindowList().size(), 1);
    EXPECT_EQ(logic->app().get_projects().size(), 1u);

    // Answering Close lets it go, and the project goes with its last view.
    closer.setAnswer(QMessageBox::Close);
    EXPECT_TRUE(tabOf(second)->close());
    EXPECT_EQ(closer.count(), 2);
    flushDeletes();
    EXPECT_TRUE(second.isNull());
    EXPECT_TRUE(area()->subWindowList().isEmpty());
    EXPECT_TRUE(logic->app().get_projects().empty());
    EXPECT_EQ(app->get_project(project), nullptr);
}

TEST_F(DocumentViews, TheLogicClosingAProjectTakesItsTabsAlong)
{
    QPointer<Gui::MDIWindow> a = openView(QStringLiteral("Part1 : 1"));
    QPointer<Gui::MDIWindow> b = openView(QStringLiteral("Part1 : 2"));
    Obj::Project* other = logic->app().create_project("Part2", "Part2");
    Gui::GuiProject* otherGui = app->get_project(other);
    ASSERT_NE(otherGui, nullptr);
    QPointer<Gui::MDIWindow> kept = new Gui::MDIWindow(otherGui, window.get());
    window->addWindow(kept);
    ASSERT_EQ(area()->subWindowList().size(), 3);

    // The logic has decided: nobody is asked, even with unsaved changes.
    project->set_modified(true);
    PelmoraTest::ModalCloser closer(QMessageBox::Cancel);
    EXPECT_TRUE(logic->app().close_project("Part1"));
    flushDeletes();
    EXPECT_EQ(closer.count(), 0);
    EXPECT_TRUE(a.isNull());
    EXPECT_TRUE(b.isNull());
    // No empty tab is left behind; the other project's view stays.
    ASSERT_EQ(area()->subWindowList().size(), 1);
    EXPECT_EQ(area()->subWindowList().front()->widget(), kept.data());
    EXPECT_EQ(window->get_windows(), QList<QWidget*>{kept.data()});
    EXPECT_EQ(logic->app().get_projects().size(), 1u);
}

TEST_F(DocumentViews, TitlesFollowTheProjectLabel)
{
    Gui::MDIWindow passive(window.get());
    passive.setWindowTitle(QStringLiteral("Overview : 1"));
    Gui::MDIWindow* numbered = openView(QStringLiteral("Part1 : 2[*]"));
    Gui::MDIWindow* plainNumber = openView(QStringLiteral("Part1 : 3"));
    Gui::MDIWindow* unnumbered = openView(QStringLiteral("Part1"));

    // A rename is a change of the project: every view of it gets the place for the mark.
    logic->app().relabel_project("Part1", "Bracket");
    EXPECT_EQ(numbered->windowTitle(), QStringLiteral("Bracket : 2[*]"));
    EXPECT_EQ(plainNumber->windowTitle(), QStringLiteral("Bracket : 3[*]"));
    EXPECT_EQ(unnumbered->windowTitle(), QStringLiteral("Bracket[*]"));
    EXPECT_TRUE(unnumbered->isWindowModified());

    project->set_modified(true);
    logic->app().relabel_project("Part1", "Bracket 2");
    EXPECT_EQ(unnumbered->windowTitle(), QStringLiteral("Bracket 2[*]"));
    EXPECT_EQ(numbered->windowTitle(), QStringLiteral("Bracket 2 : 2[*]"));
    // A passive view following the project keeps its own title.
    app->set_current_view(numbered);
    logic->app().relabel_project("Part1", "Bracket 3");
    EXPECT_EQ(numbered->windowTitle(), QStringLiteral("Bracket 3 : 2[*]"));
    EXPECT_EQ(passive.getGuiProject(), gui);
    EXPECT_EQ(passive.windowTitle(), QStringLiteral("Overview : 1"));
}

TEST_F(DocumentViews, TabTopLevelAndFullScreen)
{
    Gui::MDIWindow* view = openView(QStringLiteral("Part1 : 1"));
    QMdiSubWindow* firstTab = tabOf(view);
    ASSERT_NE(firstTab, nullptr);
    // The first view of an empty area fills it.
    EXPECT_TRUE(view->isMaximized());
    EXPECT_EQ(view->currentViewMode(), Gui::MDIWindow::Child);

    view->setCurrentViewMode(Gui::MDIWindow::Child);   // already there: nothing happens
    EXPECT_EQ(tabOf(view), firstTab);

    view->setCurrentViewMode(Gui::MDIWindow::TopLevel);
    EXPECT_EQ(view->currentViewMode(), Gui::MDIWindow::TopLevel);
    EXPECT_TRUE(view->isWindow());
    EXPECT_EQ(view->parentWidget(), nullptr);
    EXPECT_TRUE(view->isVisible());
    EXPECT_FALSE(window->hasWindow(view));
    flushDeletes();
    EXPECT_TRUE(area()->subWindowList().isEmpty());

    // Maximized, full screen, and back to a maximized top-level window.
    view->showMaximized();
    view->setCurrentViewMode(Gui::MDIWindow::FullScreen);
    EXPECT_TRUE(view->isFullScreen());
    EXPECT_EQ(view->currentViewMode(), Gui::MDIWindow::FullScreen);
    view->setCurrentViewMode(Gui::MDIWindow::TopLevel);
    EXPECT_FALSE(view->isFullScreen());
    EXPECT_TRUE(view->isMaximized());

    // Back into the document area in a new tab.
    view->setCurrentViewMode(Gui::MDIWindow::Child);
    EXPECT_EQ(view->currentViewMode(), Gui::MDIWindow::Child);
    EXPECT_FALSE(view->isWindow());
    ASSERT_NE(tabOf(view), nullptr);
    EXPECT_TRUE(window->hasWindow(view));
    EXPECT_EQ(area()->subWindowList().size(), 1);

    // From a tab straight to full screen and back.
    view->setCurrentViewMode(Gui::MDIWindow::FullScreen);
    EXPECT_TRUE(view->isWindow());
    EXPECT_TRUE(view->isFullScreen());
    flushDeletes();
    EXPECT_TRUE(area()->subWindowList().isEmpty());
    view->setCurrentViewMode(Gui::MDIWindow::Child);
    EXPECT_FALSE(view->isFullScreen());
    EXPECT_TRUE(window->hasWindow(view));
    // Still the project's view throughout.
    EXPECT_EQ(gui->getMDIViews(), std::list<Gui::MDIWindow*>{view});
}

TEST_F(DocumentViews, PassiveViewsFollowTheApplication)
{
    auto* passive = new Gui::MDIWindow(window.get());
    QPointer<Gui::MDIWindow> guard = passive;
    EXPECT_TRUE(passive->isPassive());
    EXPECT_EQ(passive->getGuiProject(), nullptr);
    EXPECT_EQ(passive->minimumSize(), QSize(200, 100));

    Gui::MDIWindow* view = openView(QStringLiteral("Part1 : 1"));
    app->set_current_view(view);
    EXPECT_EQ(passive->getGuiProject(), gui);
    passive->set_project(gui);   // the same project: nothing changes
    EXPECT_EQ(passive->getGuiProject(), gui);

    // A passive view closes without asking anybody, and its project stays.
    project->set_modified(true);
    PelmoraTest::ModalCloser closer(QMessageBox::Cancel);
    EXPECT_TRUE(passive->close());
    flushDeletes();
    EXPECT_TRUE(guard.isNull());
    EXPECT_EQ(closer.count(), 0);
    EXPECT_EQ(logic->app().get_projects().size(), 1u);
    // It has left the application's list: updating reaches nothing that is gone.
    app->update_all();
}

TEST_F(DocumentViews, APanelOutlivingTheApplicationForgetsItsProject)
{
    auto panel = std::make_unique<Gui::MDIWindow>(nullptr);
    Gui::MDIWindow* view = openView(QStringLiteral("Part1 : 1"));
    app->set_current_view(view);
    ASSERT_EQ(panel->getGuiProject(), gui);

    // The application goes first, taking its GUI projects along.
    window.reset();
    flushDeletes();
    app.reset();
    EXPECT_EQ(panel->getGuiProject(), nullptr);
    panel.reset();
}
