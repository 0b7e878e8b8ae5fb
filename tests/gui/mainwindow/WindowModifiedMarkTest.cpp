// The modified mark of a project with unsaved changes, in the real main window: the
// actions that bring its view back into the document area or back to the front (docking
// it after full screen, a model loaded with the Model button, an open a second start
// handed over and the user cancelled, Cancel in Save As) mark no window whose title has
// no place for the mark, so Qt has nothing to warn about; a model file the Model button
// refuses marks nothing.

#include <commands/Command.h>
#include <commands/CommandAction.h>
#include <core/GuiProject.h>
#include <core/qPelmoraApplication.h>
#include <dialogs/widgets/FileDialog.h>
#include <mainwindow/DocumentArea.h>
#include <mainwindow/MDIWindow.h>
#include <mainwindow/MainWindow.h>

#include <support/SettleEvents.h>
#include <support/HangGuard.h>
#include <support/ConsoleCapture.h>
#include <support/GuiSession.h>
#include <support/ModalCloser.h>
#include <support/WindowFocus.h>

#include <obj/Application.h>
#include <obj/Project.h>
#include <obj/ProjectObject.h>
#include <pmmsg/Message.h>

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QAction>
#include <QApplication>

#include <gtest/gtest.h>

namespace {

using PelmoraTest::ConsoleCapture;

class WindowModifiedMark : public PelmoraTest::MainWindowSession
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(PelmoraTest::vtkSurfaceFormatSet());
        PelmoraTest::registerFemGuiTypes();
        startApplication();
        openMainWindow();
        // The module's menus, tool bars and docks, as a start lays them out.
        ASSERT_TRUE(app->activate_simmodule("FemWorkbench"));
        window->setWindowTitle(QStringLiteral("PELMORA 2.1"));
        window->resize(1000, 800);
        // The Model button's file dialog: a real modal dialog over the window, as the user
        // meets it, that then names the model.
        Gui::FileDialog::Backend backend;
        backend.openFileNames = [this](QWidget* parent, const QString& caption, const QString&, const QString&,
                                       QString*, QFileDialog::Options) {
            QDialog dialog(parent);
            dialog.setWindowTitle(caption);
            PelmoraTest::ModalCloser closer(QMessageBox::NoButton, 200);
            dialog.exec();
            return QStringList{modelFile};
        };
        previous = Gui::FileDialog::setBackend(backend);
    }
    void TearDown() override
    {
        Gui::FileDialog::setBackend(previous);
        MainWindowSession::TearDown();
    }
    // Back to the main window after a dialog, as the desktop gives it the focus again.
    void settle()
    {
        if (!window->isActiveWindow()) {
            EXPECT_TRUE(PelmoraTest::activateForTyping(window.get()));
        }
        PelmoraTest::settleWithDisplay();
    }
    // Qt's complaint, as the console heard it.
    static int complaints(const ConsoleCapture& console)
    {
        return console.count(ConsoleCapture::Level::Warning, "setWindowModified");
    }

    QTemporaryDir dir;
    Gui::FileDialog::Backend previous;
    QString modelFile;
};

} // namespace

TEST_F(WindowModifiedMark, BringingAChangedProjectsViewBackMarksNoWindowWithoutAPlaceForTheMark)
{
    pmMsg::runCommand(pmMsg::CMD_NEW_PROJECT, 1, {"Unnamed Project"});
    Obj::Project* project = Obj::Application::instance().get_current_project();
    ASSERT_NE(project, nullptr);
    Gui::GuiProject* gui = app->get_project(project);
    ASSERT_NE(gui, nullptr);
    // A project saved once, then changed.
    const QString saved = QDir(dir.path()).filePath(QString::fromUtf8("pl\xc3\xa4n v2.1.pmdb"));
    ASSERT_TRUE(Obj::Application::instance().save_as_file(1, QFile::encodeName(saved).constData()));
    project->add_object("Obj::ProjectObject", "Unsaved");
    gui->setDirty(true);
    settle();
    Gui::MDIWindow* view = window->activeWindow();
    ASSERT_NE(view, nullptr);
    ASSERT_TRUE(view->isWindowModified());
    ConsoleCapture console;

    // Full screen, then docked again.
    placed("Std_ViewWindowDocking");
    auto* docking = qobject_cast<Gui::CmdActionGroup*>(command("Std_ViewWindowDocking")->get_action());
    ASSERT_NE(docking, nullptr);
    ASSERT_EQ(docking->get_actions().size(), 3);
    docking->get_actions()[2]->trigger();
    settle();
    ASSERT_TRUE(window->activeWindow() && window->activeWindow()->isFullScreen());
    docking->get_actions()[0]->trigger();
    settle();
    ASSERT_TRUE(window->activeWindow() && !window->activeWindow()->isWindow());
    EXPECT_EQ(complaints(console), 0) << "docked again";
    console.clear();

    // Saved and changed again while its view fills the document area.
    gui->setDirty(false);
    settle();
    gui->setDirty(true);
    settle();
    EXPECT_EQ(complaints(console), 0) << "changed again";
    console.clear();

    // A model loaded with the Model button.
    modelFile = QDir(dir.path()).filePath(QString::fromUtf8("kugel \xc3\xbc.v3.stl"));
    ASSERT_TRUE(PelmoraTest::writeSphereFile(QFile::encodeName(modelFile).toStdString(), 2.0));
    app->get_command_manager().run_command_by_name("Std_MRMLModel");
    settle();
    EXPECT_EQ(complaints(console), 0) << "Model button";
    console.clear();

    // Save As, its dialog cancelled.
    {
        PelmoraTest::ModalCloser closer(QMessageBox::NoButton, 200);
        EXPECT_FALSE(app->save_as());
        EXPECT_EQ(closer.count(), 1);
    }
    settle();
    EXPECT_EQ(complaints(console), 0) << "Save As cancelled";
    console.clear();

    // A second start hands over the saved file; the user keeps the open project.
    {
        PelmoraTest::ModalCloser closer(QMessageBox::No, 200);
        window->processMessages({"OpenFile:" + QFile::encodeName(saved)});
        settle();
        EXPECT_EQ(closer.titles(), QStringList{"Remove existing projects"});
    }
    EXPECT_EQ(complaints(console), 0) << "open cancelled";
    console.clear();

    // The mark itself is kept throughout, on the view and on its tab.
    ASSERT_NE(window->activeWindow(), nullptr);
    EXPECT_TRUE(window->activeWindow()->isWindowModified());
    QTabBar* tabs = window->findChild<Gui::DocumentArea*>()->tabBar();
    ASSERT_EQ(tabs->count(), 1);
    EXPECT_EQ(tabs->tabText(0), "Unnamed Project*");
    EXPECT_TRUE(project->get_object("Unsaved"));
}

TEST_F(WindowModifiedMark, AModelFileTheModelButtonRefusesLeavesTheProjectAsItWas)
{
    ASSERT_TRUE(PelmoraTest::activateForTyping(window.get()));
    QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : window.get(), Qt::Key_N,
                    Qt::ControlModifier);
    Obj::Project* project = Obj::Application::instance().get_current_project();
    ASSERT_NE(project, nullptr);
    settle();
    ASSERT_FALSE(project->is_modified());
    QToolButton* modelButton = nullptr;
    for (QToolButton* button : window->findChildren<QToolButton*>()) {
        if (button->defaultAction() && button->defaultAction()->text() == QLatin1String("Model") && button->isVisible())
            modelButton = button;
    }
    ASSERT_NE(modelButton, nullptr);
    QTabBar* tabs = window->findChild<Gui::DocumentArea*>()->tabBar();
    ASSERT_EQ(tabs->count(), 1);
    const QString name = tabs->tabText(0);
    const auto groups = [project] { return project->get_objects(Obj::AnnotationsGroup::getClassTypeId()).size(); };

    // An empty file, then one that is not a model: refused in red, and nothing changes.
    ConsoleCapture console;
    for (const char* file : {"empty v1.0.stl", "notes.txt.vtk"}) {
        modelFile = QDir(dir.path()).filePath(QString::fromLatin1(file));
        QFile f(modelFile);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        if (modelFile.endsWith(".vtk"))
            f.write("just some words\n");
        f.close();
        QTest::mouseClick(modelButton, Qt::LeftButton);
        settle();
        EXPECT_EQ(console.count(ConsoleCapture::Level::Error, "Cannot open model file"), 1) << file;
        console.clear();
        EXPECT_EQ(groups(), 0u) << file;
        EXPECT_FALSE(project->is_modified()) << file;
        EXPECT_EQ(tabs->tabText(0), name) << file;
    }

    // A model: the group the user finds it under is a change that a save keeps.
    modelFile = QDir(dir.path()).filePath(QString::fromUtf8("kugel \xc3\xbc.v3.stl"));
    ASSERT_TRUE(PelmoraTest::writeSphereFile(QFile::encodeName(modelFile).toStdString(), 2.0));
    QTest::mouseClick(modelButton, Qt::LeftButton);
    settle();
    EXPECT_EQ(console.count(ConsoleCapture::Level::Error, ""), 0);
    EXPECT_EQ(groups(), 1u);
    EXPECT_TRUE(project->is_modified());
    EXPECT_EQ(tabs->tabText(0), name + "*");
    const QString saved = QDir(dir.path()).filePath(QStringLiteral("with model v2.pmdb"));
    ASSERT_TRUE(Obj::Application::instance().save_as_file(1, QFile::encodeName(saved).constData()));
    app->get_project(project)->setDirty(false);   // as the save commands do
    settle();
    ASSERT_FALSE(project->is_modified());
    ASSERT_EQ(tabs->tabText(0), name);
    // Another model, under the group there is: the models live in the scene only, so
    // nothing that a save keeps has changed.
    QTest::mouseClick(modelButton, Qt::LeftButton);
    settle();
    EXPECT_EQ(groups(), 1u);
    EXPECT_FALSE(project->is_modified());
    EXPECT_EQ(tabs->tabText(0), name);
    ASSERT_TRUE(Obj::Application::instance().resume_from_file(1, QFile::encodeName(saved).constData()))
        << Obj::Application::instance().last_file_error();
    Obj::Project* back = Obj::Application::instance().get_projects().back();
    ASSERT_NE(back, project);
    EXPECT_EQ(back->get_objects(Obj::AnnotationsGroup::getClassTypeId()).size(), 1u);
}
