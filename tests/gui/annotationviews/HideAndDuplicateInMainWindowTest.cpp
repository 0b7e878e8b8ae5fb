// What the main window's 3D view draws after the VIEW menu's Hide and Show and the EDIT
// menu's Duplicate: a hidden fiducial, region of interest and ruler leave the picture at
// once and stay out of it when their project is saved and opened again; a duplicated
// model is drawn at once, like a pasted one.

#include <commands/Command.h>
#include <core/GuiProject.h>
#include <core/qPelmoraApplication.h>
#include <dialogs/widgets/FileDialog.h>
#include <mainwindow/MainWindow.h>
#include <selection/TreeSelectionSingleton.h>
#include <visualization/qPelmoraThreeDWidget.h>
#include <visualization/qView3DMRML.h>

#include <support/GuiSession.h>
#include <support/SaveDialogAnswer.h>

#include <obj/Application.h>
#include <obj/GeometryObject.h>
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
#include <string>
#include <vector>

namespace {

class HideAndDuplicate : public PelmoraTest::MainWindowSession
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

    // Opens a file (a model, a project file) as the Open entry does, and finds the
    // current project's 3D view on screen.
    void open(const QString& file)
    {
        app->open(file.toUtf8().constData(), "Geometry");
        project = Obj::Application::instance().get_current_project();
        ASSERT_NE(project, nullptr);
        gui = app->get_project(project);
        ASSERT_NE(gui, nullptr);
        view = qobject_cast<Gui::qView3DMRML*>(gui->getActiveView());
        ASSERT_NE(view, nullptr);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(gl()));
        settle();
    }

    void openGear()
    {
        const QString file = QDir(dir.path()).filePath(QStringLiteral("gear wheel ü.v2.stl"));
        ASSERT_TRUE(PelmoraTest::writeSphereFile(file.toStdString(), 18.75, 24, 24));
        ASSERT_NO_FATAL_FAILURE(open(file));
        ASSERT_EQ(project->get_num_objects(), 1u);
        gear = project->get_objects().front();
    }

    QVTKOpenGLNativeWidget* gl() const { return view->getViewer()->threeDView()->VTKWidget(); }

    static void settle()
    {
        for (int i = 0; i < 5; ++i)
            QTest::qWait(20);
    }

    QImage picture()
    {
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

    // The entry of the main window's menu, once the window offers it for the selection.
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
        ASSERT_TRUE(QTest::qWaitFor([action] { return action->isEnabled(); }, 3000)) << entry;
        action->trigger();
        settle();
    }

    void select(const std::vector<Obj::ProjectObject*>& objects)
    {
        Gui::TreeSelectionSingleton::instance().set_selection(project->get_name(), objects);
    }

    static bool visibility(const Obj::ProjectObject* object)
    {
        auto* row = dynamic_cast<const Obj::PropertyBoolean*>(object->get_property_by_name("Visibility"));
        return row && row->get_value();
    }

    // The annotation command, then clicks on the model as a user places it.
    Obj::ProjectObject* place(const char* command, std::initializer_list<QPoint> clicks, const Vexil::TypeInfo& type)
    {
        app->get_command_manager().run_command_by_name(command);
        for (const QPoint& at : clicks)
            QTest::mouseClick(gl(), Qt::LeftButton, Qt::NoModifier, at);
        settle();
        const std::vector<Obj::ProjectObject*> objects = project->get_objects(type);
        return objects.empty() ? nullptr : objects.back();
    }

    QPoint centre() const { return QPoint(gl()->width() / 2, gl()->height() / 2); }

    QTemporaryDir dir;
    PelmoraTest::SaveDialogAnswer saveDialog;
    QString& saveAnswer = saveDialog.answer;
    Obj::Project* project = nullptr;
    Gui::GuiProject* gui = nullptr;
    Gui::qView3DMRML* view = nullptr;
    Obj::ProjectObject* gear = nullptr;
};

} // namespace

TEST_F(HideAndDuplicate, HiddenAnnotationsLeaveTheViewAtOnceAndAfterReopening)
{
    ASSERT_NO_FATAL_FAILURE(openGear());
    const QImage bare = picture();

    const QPoint c = centre();
    Obj::ProjectObject* fiducial =
        place("Std_AnnotationFiducial", {c + QPoint(-60, -40)}, Obj::AnnotationFiducial::getClassTypeId());
    Obj::ProjectObject* box =
        place("Std_AnnotationROI", {c + QPoint(30, -50), c + QPoint(70, -20)}, Obj::AnnotationROI::getClassTypeId());
    Obj::ProjectObject* ruler =
        place("Std_AnnotationRuler", {c + QPoint(-60, 50), c + QPoint(60, 50)}, Obj::AnnotationRuler::getClassTypeId());
    ASSERT_TRUE(fiducial && box && ruler);
    const std::vector<Obj::ProjectObject*> annotations{fiducial, box, ruler};

    // Each one is drawn.
    QImage before = bare;
    for (Obj::ProjectObject* annotation : annotations) {
        select({annotation});
        ASSERT_NO_FATAL_FAILURE(choose("VIEW", "Hide"));
        const QImage without = picture();
        select({annotation});
        ASSERT_NO_FATAL_FAILURE(choose("VIEW", "Show"));
        EXPECT_GT(differing(without, picture()), 20) << annotation->get_label() << " is drawn when shown";
    }

    // The three hidden together: their rows read False and the view shows the model alone.
    select(annotations);
    ASSERT_NO_FATAL_FAILURE(choose("VIEW", "Hide"));
    for (Obj::ProjectObject* annotation : annotations)
        EXPECT_FALSE(visibility(annotation)) << annotation->get_label();
    EXPECT_LT(differing(bare, picture()), 10) << "no annotation is left in the view";

    // Saved with the model hidden too, and opened again: nothing is drawn until shown.
    select({gear});
    ASSERT_NO_FATAL_FAILURE(choose("VIEW", "Hide"));
    saveAnswer = QDir(dir.path()).filePath(QStringLiteral("gear v2.final.pmdb"));
    ASSERT_TRUE(app->save_as());
    QFile saved(saveAnswer);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll().count("prop\tVisibility\tObj::PropertyBoolean\tFalse"), 4);
    saved.close();
    Gui::TreeSelectionSingleton::instance().clear_all_selections();
    Obj::Application::instance().close_all_projects();
    PelmoraTest::flushDeletes();

    ASSERT_NO_FATAL_FAILURE(open(saveAnswer));
    const std::vector<Obj::ProjectObject*> read{project->get_objects(Obj::AnnotationFiducial::getClassTypeId()).front(),
                                                project->get_objects(Obj::AnnotationROI::getClassTypeId()).front(),
                                                project->get_objects(Obj::AnnotationRuler::getClassTypeId()).front()};
    for (Obj::ProjectObject* annotation : read)
        EXPECT_FALSE(visibility(annotation)) << annotation->get_label();
    const QImage reopened = picture();
    select(read);
    ASSERT_NO_FATAL_FAILURE(choose("VIEW", "Show"));
    const QImage shown = picture();
    EXPECT_GT(differing(reopened, shown), 60) << "the annotations were not drawn while hidden";
    select(read);
    ASSERT_NO_FATAL_FAILURE(choose("VIEW", "Hide"));
    const QImage again = picture();
    EXPECT_LT(differing(reopened, again), 10) << "hidden again, they leave the view again";
}

TEST_F(HideAndDuplicate, ADuplicatedModelIsDrawnAtOnce)
{
    ASSERT_NO_FATAL_FAILURE(openGear());
    select({gear});
    ASSERT_NO_FATAL_FAILURE(choose("EDIT", "Duplicate"));
    const std::vector<Obj::ProjectObject*> models = project->get_objects(Obj::GeometryObject::getClassTypeId());
    ASSERT_EQ(models.size(), 2u);
    Obj::ProjectObject* copy = models.back() == gear ? models.front() : models.back();
    EXPECT_TRUE(visibility(copy));

    // The original hidden: the copy, in the same place, is what the view shows.
    select({gear});
    ASSERT_NO_FATAL_FAILURE(choose("VIEW", "Hide"));
    const QImage withCopy = picture();
    select({copy});
    ASSERT_NO_FATAL_FAILURE(choose("VIEW", "Hide"));
    const QImage empty = picture();
    EXPECT_GT(differing(withCopy, empty), 1000) << "the copy is drawn";
    select({copy});
    ASSERT_NO_FATAL_FAILURE(choose("VIEW", "Show"));
    EXPECT_LT(differing(withCopy, picture()), 10) << "and drawn again when shown";
}
