#pragma once
// The product's main window with a model file opened in its 3D view: what the view draws,
// the menu entries a user picks, annotations placed with clicks, and a project saved and
// opened again.

#include <commands/Command.h>
#include <support/SettleEvents.h>
#include <support/HangGuard.h>
#include <core/GuiProject.h>
#include <core/qPelmoraApplication.h>
#include <mainwindow/MainWindow.h>
#include <selection/TreeSelectionSingleton.h>
#include <visualization/qPelmoraThreeDWidget.h>
#include <visualization/qView3DMRML.h>

#include <support/GuiSession.h>
#include <support/SaveDialogAnswer.h>

#include <obj/Application.h>
#include <obj/Project.h>
#include <obj/ProjectObject.h>
#include <qmrml/qMRMLThreeDView.h>

#include <QVTKOpenGLNativeWidget.h>

#include <QAction>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>
#include <initializer_list>
#include <vector>

namespace PelmoraTest {

class ProductView : public MainWindowSession
{
protected:
    void SetUp() override
    {
        QLocale::setDefault(QLocale::c());
        ASSERT_NO_FATAL_FAILURE(openProductWindow());
        window->resize(1200, 900);
    }
    void TearDown() override
    {
        Gui::TreeSelectionSingleton::instance().clear_all_selections();
        closeSession();
    }

    // Opens a file as the Open entry does and finds the current project's 3D view.
    void open(const QString& file)
    {
        app->open(file.toUtf8().constData(), "Geometry");
        project = Obj::Application::instance().get_current_project();
        ASSERT_NE(project, nullptr);
        gui = app->get_project(project);
        ASSERT_NE(gui, nullptr);
        view = qobject_cast<Gui::qView3DMRML*>(gui->getActiveView());
        ASSERT_NE(view, nullptr);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(gl(), PelmoraTest::HangGuardMs));
        settle();
    }

    void openGear()
    {
        const QString file = QDir(dir.path()).filePath(QStringLiteral("gear wheel ü.v2.stl"));
        ASSERT_TRUE(writeSphereFile(file.toStdString(), 18.75, 24, 24));
        ASSERT_NO_FATAL_FAILURE(open(file));
        ASSERT_EQ(project->get_num_objects(), 1u);
        gear = project->get_objects().front();
    }

    // Saves the projects under `name` in the test's folder, closes them and opens the file.
    void saveAndReopen(const char* name)
    {
        saveAnswer = QDir(dir.path()).filePath(QString::fromUtf8(name));
        ASSERT_TRUE(app->save_as());
        Gui::TreeSelectionSingleton::instance().clear_all_selections();
        Obj::Application::instance().close_all_projects();
        flushDeletes();
        ASSERT_NO_FATAL_FAILURE(open(saveAnswer));
    }

    QVTKOpenGLNativeWidget* gl() const { return view->getViewer()->threeDView()->VTKWidget(); }
    QPoint centre() const { return QPoint(gl()->width() / 2, gl()->height() / 2); }

    static void settle()
    {
        PelmoraTest::settleWithDisplay();
    }

    // What the view draws, with the status bar as it stands once its message is cleared.
    QImage picture()
    {
        clearStatusMessage();
        settle();
        view->getViewer()->threeDView()->forceRender();
        settle();
        return gl()->grabFramebuffer();
    }

    // Pixels that two pictures of the same view show differently.
    static int differing(const QImage& a, const QImage& b)
    {
        if (a.size() != b.size())
            return a.width() * a.height();
        int n = 0;
        for (int y = 0; y < a.height(); ++y)
            for (int x = 0; x < a.width(); ++x) {
                const QColor p = a.pixelColor(x, y);
                const QColor q = b.pixelColor(x, y);
                n += std::abs(p.red() - q.red()) + std::abs(p.green() - q.green()) + std::abs(p.blue() - q.blue()) > 30;
            }
        return n;
    }

    // The entry of the main window's menu, once the window offers it.
    void choose(const char* menuTitle, const char* entry)
    {
        QMenu* menu = nullptr;
        for (QAction* item : window->menuBar()->actions())
            if (item->menu() && item->text().remove(QLatin1Char('&')) == QLatin1String(menuTitle))
                menu = item->menu();
        ASSERT_NE(menu, nullptr) << menuTitle;
        QAction* action = nullptr;
        for (QAction* item : menu->actions())
            if (item->text().remove(QLatin1Char('&')) == QLatin1String(entry))
                action = item;
        ASSERT_NE(action, nullptr) << entry;
        ASSERT_TRUE(QTest::qWaitFor([action] { return action->isEnabled(); }, PelmoraTest::HangGuardMs)) << entry;
        action->trigger();
        settle();
    }

    void select(const std::vector<Obj::ProjectObject*>& objects)
    {
        Gui::TreeSelectionSingleton::instance().clear_all_selections();
        Gui::TreeSelectionSingleton::instance().set_selection(project->get_name(), objects);
    }

    static bool visibility(const Obj::ProjectObject* object)
    {
        auto* row = dynamic_cast<const Obj::PropertyBoolean*>(object->get_property_by_name("Visibility"));
        return row && row->get_value();
    }

    // The annotation command, then clicks in the view as a user places it.
    void startPlacing(const char* command, std::initializer_list<QPoint> clicks)
    {
        app->get_command_manager().run_command_by_name(command);
        for (const QPoint& at : clicks)
            QTest::mouseClick(gl(), Qt::LeftButton, Qt::NoModifier, at);
        settle();
    }
    Obj::ProjectObject* place(const char* command, std::initializer_list<QPoint> clicks, const Vexil::TypeInfo& type)
    {
        startPlacing(command, clicks);
        const std::vector<Obj::ProjectObject*> objects = project->get_objects(type);
        return objects.empty() ? nullptr : objects.back();
    }

    QTemporaryDir dir;
    SaveDialogAnswer saveDialog;
    QString& saveAnswer = saveDialog.answer;
    Obj::Project* project = nullptr;
    Gui::GuiProject* gui = nullptr;
    Gui::qView3DMRML* view = nullptr;
    Obj::ProjectObject* gear = nullptr;
};

} // namespace PelmoraTest
