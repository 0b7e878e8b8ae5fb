// The 3D view of a project in the running main window, driven with the mouse and the
// commands as a user drives it: picking models whose file names have two dots, the clip
// planes dialog cutting the drawn models, rulers placed in a project without models, the
// vertex and mesh switches, and the view's own toolbars, each checked on what the view
// draws.

#include <commands/Command.h>
#include <commands/CommandAction.h>
#include <commands/ObjectCommands.h>
#include <commands/SimModule.h>
#include <core/GuiProject.h>
#include <core/qPelmoraApplication.h>
#include <dialogs/DlgClipPlaneImp.h>
#include <mainwindow/MainWindow.h>
#include <mainwindow/ToolBarGadget.h>
#include <selection/TreeSelectionSingleton.h>
#include <visualization/qMRMLClipNodeWidget2.h>
#include <visualization/qPelmoraThreeDWidget.h>
#include <visualization/qView3DMRML.h>

#include <support/SettleEvents.h>
#include <support/HangGuard.h>
#include <support/ConsoleCapture.h>
#include <support/GuiSession.h>
#include <support/TestEnvironment.h>

#include <annotations/vtkMRMLAnnotationRulerNode.h>
#include <mrml/vtkMRMLScene.h>
#include <obj/Application.h>
#include <obj/Project.h>
#include <obj/ProjectObject.h>
#include <pmmsg/Message.h>
#include <qmrml/qMRMLThreeDView.h>

#include <QVTKOpenGLNativeWidget.h>
#include <vtkCamera.h>
#include <vtkRenderer.h>

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QImage>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

namespace {

void flush()
{
    PelmoraTest::settleWithDisplay();
}

class MainWindowView : public PelmoraTest::MainWindowSession
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(PelmoraTest::vtkSurfaceFormatSet());
        PelmoraTest::registerFemGuiTypes();
        startApplication();
        window = std::make_unique<Gui::MainWindow>();
        window->resize(1000, 800);
        window->show();
        for (const auto& entry : app->get_command_manager().get_commands())
            entry.second->add_to(&menu);
    }

    void TearDown() override
    {
        flush();
        window.reset();
        flush();
        Gui::SimModuleController::destruct();
        app.reset();
        logic.reset();
    }

    // A project opened from the model file `fileName` (as the command line opens it),
    // holding a sphere of radius 5 around the origin, shown in its view.
    Obj::Project* open(const QString& fileName, int theta = 24, int phi = 12)
    {
        const std::string file = QFile::encodeName(QDir(dir.path()).filePath(fileName)).toStdString();
        EXPECT_TRUE(PelmoraTest::writeSphereFile(file, Radius, theta, phi));
        Obj::Project* project = logic->app().open_model_file(file);
        flush();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get(), PelmoraTest::HangGuardMs));
        return project;
    }

    Gui::qView3DMRML* active3D() const { return qobject_cast<Gui::qView3DMRML*>(window->activeWindow()); }
    QVTKOpenGLNativeWidget* gl() const { return active3D()->getViewer()->threeDView()->VTKWidget(); }
    vtkRenderer* renderer() const { return active3D()->getViewer()->threeDView()->renderer(); }

    // What the view draws, with the status bar as it stands once its message is cleared.
    QImage picture() const
    {
        clearStatusMessage();
        flush();
        return gl()->grabFramebuffer();
    }

    // Where a world point shows in the widget (Qt's pixels, from the top left).
    QPoint screenOf(double x, double y, double z) const
    {
        vtkRenderer* r = renderer();
        r->SetWorldPoint(x, y, z, 1.0);
        r->WorldToDisplay();
        const double* d = r->GetDisplayPoint();
        return QPoint(static_cast<int>(std::lround(d[0])), gl()->height() - 1 - static_cast<int>(std::lround(d[1])));
    }

    // Whether the model covers the pixel: anything but the background colour there.
    static bool model(const QImage& image, const QPoint& p)
    {
        const QColor background = image.pixelColor(3, 3);
        const QColor c = image.pixelColor(p);
        return std::abs(c.red() - background.red()) + std::abs(c.green() - background.green())
                   + std::abs(c.blue() - background.blue()) > 30;
    }

    static int modelPixels(const QImage& image)
    {
        int n = 0;
        for (int y = 0; y < image.height(); y += 2)
            for (int x = 0; x < image.width(); x += 2)
                n += model(image, QPoint(x, y)) ? 1 : 0;
        return n;
    }

    // Runs the command; `inside` runs in the modal dialog it opens, which is closed after.
    void withModalDialog(const char* commandName, const std::function<void(QWidget*)>& inside)
    {
        bool ran = false;
        QTimer::singleShot(0, [&] {
            QWidget* dialog = QApplication::activeModalWidget();
            if (!dialog)
                return;
            ran = true;
            inside(dialog);
            dialog->close();
        });
        command(commandName)->invoke(0);
        EXPECT_TRUE(ran) << commandName << " opened no dialog";
    }

    static constexpr double Radius = 5.0;
    QTemporaryDir dir;
};

template <class W>
W* child(QWidget* parent, const char* name)
{
    W* w = parent->findChild<W*>(QString::fromLatin1(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
}

} // namespace

TEST_F(MainWindowView, AClickSelectsAModelWhoseFileNameHasMoreThanOneDot)
{
    PelmoraTest::ConsoleCapture console;
    Gui::TreeSelectionSingleton& tree = Gui::TreeSelectionSingleton::instance();
    for (const QString& name : {QStringLiteral("bunny.bin.stl"), QStringLiteral("Zahnrad v1.2 \u00fc.stl")}) {
        SCOPED_TRACE(name.toStdString());
        Obj::Project* project = open(name);
        ASSERT_NE(project, nullptr);
        // The label the user sees is not the project's name.
        EXPECT_STRNE(project->get_name(), project->getProjectName());
        ASSERT_NE(active3D(), nullptr);
        const QPoint middle(gl()->width() / 2, gl()->height() / 2);
        QTest::mouseClick(gl(), Qt::LeftButton, Qt::NoModifier, middle);
        flush();
        EXPECT_TRUE(tree.is_selected(project->get_name(), project->get_objects().front()->getObjectId()));
        EXPECT_EQ(tree.size(), 1u);
    }
    EXPECT_EQ(console.count(PelmoraTest::ConsoleCapture::Level::Error, "Cannot add to selection"), 0);
}

TEST_F(MainWindowView, ClipPlanesDialogCutsTheDrawnModelAsItsControlsSay)
{
    ASSERT_NE(open(QStringLiteral("ball.stl"), 8, 8), nullptr);
    ASSERT_NE(active3D(), nullptr);
    const QImage whole = picture();
    // Points on the sphere's front, left and right of the yellow plane (x = 0) and above
    // and below the green one (y = 0).
    const double f = Radius * 0.45;
    const double front = std::sqrt(Radius * Radius - 2 * f * f) * 0.95;
    const QPoint upperLeft = screenOf(-f, f, front), upperRight = screenOf(f, f, front);
    const QPoint lowerLeft = screenOf(-f, -f, front), lowerRight = screenOf(f, -f, front);
    for (const QPoint& p : {upperLeft, upperRight, lowerLeft, lowerRight})
        ASSERT_TRUE(model(whole, p));
    const int wholeCount = modelPixels(whole);
    const QSize wholeSize = gl()->size();

    withModalDialog("Std_ClipWidget", [&](QWidget* dialog) {
        QWidget* panel = static_cast<Gui::DlgClipPlaneImp*>(dialog)->clipWidget();
        auto* yellow = child<QCheckBox>(panel, "YellowSliceClippingCheckBox");
        auto* green = child<QCheckBox>(panel, "GreenSliceClippingCheckBox");
        ASSERT_TRUE(yellow && green);

        QTest::mouseClick(yellow, Qt::LeftButton);
        QTest::mouseClick(child<QRadioButton>(panel, "YellowPositiveRadioButton"), Qt::LeftButton);
        QImage image = picture();
        EXPECT_FALSE(model(image, upperLeft)) << "the positive side (+x) stays";
        EXPECT_TRUE(model(image, upperRight));
        QTest::mouseClick(child<QRadioButton>(panel, "YellowNegativeRadioButton"), Qt::LeftButton);
        image = picture();
        EXPECT_TRUE(model(image, upperLeft));
        EXPECT_FALSE(model(image, upperRight));

        // Two planes: x >= 0 and y >= 0, joined as the clipping type says.
        QTest::mouseClick(child<QRadioButton>(panel, "YellowPositiveRadioButton"), Qt::LeftButton);
        QTest::mouseClick(green, Qt::LeftButton);
        QTest::mouseClick(child<QRadioButton>(panel, "GreenPositiveRadioButton"), Qt::LeftButton);
        QTest::mouseClick(child<QRadioButton>(panel, "IntersectionRadioButton"), Qt::LeftButton);
        image = picture();
        EXPECT_TRUE(model(image, upperRight));
        EXPECT_FALSE(model(image, upperLeft)) << "intersection: only the quarter in both";
        EXPECT_FALSE(model(image, lowerRight));
        EXPECT_FALSE(model(image, lowerLeft));
        QTest::mouseClick(child<QRadioButton>(panel, "UnionRadioButton"), Qt::LeftButton);
        image = picture();
        EXPECT_TRUE(model(image, upperRight));
        EXPECT_TRUE(model(image, upperLeft)) << "union: everything in either";
        EXPECT_TRUE(model(image, lowerRight));
        EXPECT_FALSE(model(image, lowerLeft));

        // One plane through x = 1.5: cutting through the coarse cells keeps more than
        // keeping only the cells wholly on the kept side, and neither shows the cut side.
        QTest::mouseClick(green, Qt::LeftButton);
        auto* originX = child<QDoubleSpinBox>(panel, "spinBoxX");
        originX->selectAll();
        QTest::keyClicks(originX, QStringLiteral("1.5"));
        QTest::keyClick(originX, Qt::Key_Enter);
        ASSERT_EQ(originX->value(), 1.5) << "typed as a user types it";
        const QImage straight = picture();
        QTest::mouseClick(child<QCheckBox>(panel, "WholeCellClippingCheckBox"), Qt::LeftButton);
        const QImage whole2 = picture();
        const int straightCount = modelPixels(straight), wholeCellCount = modelPixels(whole2);
        EXPECT_LT(straightCount, wholeCount * 0.6);
        EXPECT_LT(wholeCellCount, straightCount * 0.9) << "cells across the plane are dropped";
        EXPECT_GT(wholeCellCount, 0);
        for (const QImage* image2 : {&straight, &whole2})
            EXPECT_FALSE(model(*image2, screenOf(1.0, 0.0, std::sqrt(Radius * Radius - 1.0) * 0.95)));

        // All planes off: the whole model again.
        QTest::mouseClick(yellow, Qt::LeftButton);
        const QImage last = picture();
        ASSERT_EQ(gl()->size(), wholeSize) << "the view keeps its size while the dialog is open";
        EXPECT_EQ(modelPixels(last), wholeCount);
    });
}

TEST_F(MainWindowView, ClipPlanesCutAModelLoadedWithTheModelButton)
{
    pmMsg::runCommand(pmMsg::CMD_NEW_PROJECT, 1, {"Unnamed Project"});
    flush();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get(), PelmoraTest::HangGuardMs));
    ASSERT_NE(active3D(), nullptr);
    const std::string file = QFile::encodeName(QDir(dir.path()).filePath("loaded ball.v2.stl")).toStdString();
    ASSERT_TRUE(PelmoraTest::writeSphereFile(file, Radius, 24, 12));
    // What the Model button loads its chosen file with, into the current project's scene.
    ASSERT_NE(Gui::StdCmdMRMLModel::loadModel(file.c_str(), app->mrmlScene()), nullptr);
    active3D()->message_handler("ViewExtents", nullptr);
    const QPoint left = screenOf(-Radius * 0.5, 0.0, Radius * 0.8), right = screenOf(Radius * 0.5, 0.0, Radius * 0.8);
    QImage image = picture();
    ASSERT_TRUE(model(image, left) && model(image, right));

    withModalDialog("Std_ClipWidget", [&](QWidget* dialog) {
        QWidget* panel = static_cast<Gui::DlgClipPlaneImp*>(dialog)->clipWidget();
        QTest::mouseClick(child<QCheckBox>(panel, "YellowSliceClippingCheckBox"), Qt::LeftButton);
        QTest::mouseClick(child<QRadioButton>(panel, "YellowNegativeRadioButton"), Qt::LeftButton);
        image = picture();
        EXPECT_TRUE(model(image, left));
        EXPECT_FALSE(model(image, right)) << "the negative side (-x) stays";
    });
}

TEST_F(MainWindowView, ARulerInAProjectWithoutModelsMeasuresInProportionToTheClicks)
{
    pmMsg::runCommand(pmMsg::CMD_NEW_PROJECT, 1, {"Unnamed Project"});
    flush();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get(), PelmoraTest::HangGuardMs));
    ASSERT_NE(active3D(), nullptr);
    vtkMRMLScene* scene = active3D()->mrmlScene();
    vtkCamera* camera = renderer()->GetActiveCamera();
    const double distance = camera->GetDistance();
    EXPECT_GT(distance, 100.0) << "an empty view stands at a millimetre scale";
    EXPECT_LT(distance, 5000.0);

    const QPoint middle(gl()->width() / 2, gl()->height() / 2);
    auto place = [&](int halfSpan) {
        command("Std_AnnotationRuler")->invoke(0);
        flush();
        QTest::mouseClick(gl(), Qt::LeftButton, Qt::NoModifier, middle - QPoint(halfSpan, 0));
        flush();
        EXPECT_DOUBLE_EQ(camera->GetDistance(), distance) << "the first marker is not framed";
        QTest::mouseClick(gl(), Qt::LeftButton, Qt::NoModifier, middle + QPoint(halfSpan, 0));
        flush();
        const int n = scene->GetNumberOfNodesByClass("vtkMRMLAnnotationRulerNode");
        auto* ruler = vtkMRMLAnnotationRulerNode::SafeDownCast(scene->GetNthNodeByClass(n - 1, "vtkMRMLAnnotationRulerNode"));
        return ruler ? ruler->GetDistanceMeasurement() : 0.0;
    };
    const double wide = place(100);
    EXPECT_DOUBLE_EQ(camera->GetDistance(), distance);
    const double narrow = place(50);
    // 200 pixels of a view a few hundred pixels high at a few hundred millimetres.
    EXPECT_GT(wide, 10.0);
    EXPECT_LT(wide, 1000.0);
    EXPECT_NEAR(wide / narrow, 2.0, 0.1) << wide << " mm and " << narrow << " mm";
}

TEST_F(MainWindowView, ShowVerticesAndShowMeshChangeWhatIsDrawn)
{
    ASSERT_NE(open(QStringLiteral("ball.stl"), 12, 12), nullptr);
    ASSERT_NE(active3D(), nullptr);
    auto differing = [](const QImage& a, const QImage& b) {
        int n = 0;
        for (int y = 0; y < a.height(); ++y)
            for (int x = 0; x < a.width(); ++x)
                n += a.pixel(x, y) != b.pixel(x, y) ? 1 : 0;
        return n;
    };
    const QImage plain = picture();
    QAction* vertices = command("Std_ShowVertices")->get_action()->action();
    QAction* mesh = command("Std_ShowMesh")->get_action()->action();
    app->get_command_manager().check_activation();
    ASSERT_TRUE(vertices->isEnabled());
    ASSERT_TRUE(mesh->isEnabled());

    vertices->trigger();
    const QImage withVertices = picture();

    EXPECT_GT(differing(plain, withVertices), 200) << "the vertices show as points";
    vertices->trigger();
    EXPECT_EQ(differing(plain, picture()), 0);

    mesh->trigger();
    const QImage withMesh = picture();
    EXPECT_GT(differing(plain, withMesh), 200) << "the cell edges show";
    mesh->trigger();
    EXPECT_EQ(differing(plain, picture()), 0);
}

namespace {

// A toolbar of the view: its name, then its commands ("Separator" for a separator).
void addBar(Gui::ToolBarGadget* root, const char* name, const std::vector<std::string>& commands)
{
    auto* bar = new Gui::ToolBarGadget(root);
    bar->set_command(name);
    for (const std::string& command : commands)
        *bar << command;
}

QStringList dataOf(const QToolBar* bar)
{
    QStringList names;
    for (QAction* action : bar->actions())
        names << (action->isSeparator() ? QStringLiteral("|") + action->data().toString() : action->data().toString());
    return names;
}

} // namespace

TEST_F(MainWindowView, TheViewsOwnToolbarsShowTheirCommandsAndAClickOnAButtonRunsIt)
{
    open(QStringLiteral("tool bar.v1.stl"));
    Gui::qView3DMRML* view = active3D();
    ASSERT_NE(view, nullptr);

    Gui::ToolBarGadget first;
    addBar(&first, "View", {"Std_ViewExtents", "Separator", "Std_ShowWireframe", "Std_ViewZoomIn"});
    addBar(&first, "Marks", {"Std_AnnotationRuler"});
    view->setupToolBar(&first);
    flush();
    EXPECT_EQ(view->toolBarNames(), (QStringList{"View", "Marks"}));
    ASSERT_EQ(view->toolBars().size(), 2);
    QToolBar* bar = view->findChild<QToolBar*>(QStringLiteral("View"));
    QToolBar* marks = view->findChild<QToolBar*>(QStringLiteral("Marks"));
    ASSERT_NE(bar, nullptr);
    ASSERT_NE(marks, nullptr);
    EXPECT_TRUE(bar->isVisible());
    EXPECT_TRUE(marks->isVisible());
    EXPECT_EQ(dataOf(bar), (QStringList{"Std_ViewExtents", "|Separator", "Std_ShowWireframe", "Std_ViewZoomIn"}));

    // Each command shows as a button with its icon and text; the entries that cannot act
    // are disabled.
    app->get_command_manager().check_activation();
    auto button = [&](QToolBar* on, const char* name) {
        for (QAction* action : on->actions())
            if (action->data().toString() == QLatin1String(name))
                return qobject_cast<QToolButton*>(on->widgetForAction(action));
        return static_cast<QToolButton*>(nullptr);
    };
    QStringList shown;
    for (const char* name : {"Std_ViewExtents", "Std_ShowWireframe", "Std_ViewZoomIn"}) {
        QToolButton* b = button(bar, name);
        ASSERT_NE(b, nullptr) << name;
        shown << QStringLiteral("%1 %2 %3").arg(b->defaultAction()->text(), b->icon().isNull() ? "-" : "icon",
                                                b->isEnabled() ? "on" : "off");
    }
    EXPECT_EQ(shown, (QStringList{"Zoom Extents icon on", "Wireframe icon on", "Zoom In icon off"}));

    // A click on "Zoom Extents" brings a model moved out of sight back into the view.
    vtkCamera* camera = renderer()->GetActiveCamera();
    camera->SetFocalPoint(500, 500, 0);
    camera->SetPosition(500, 500, 100);
    view->getViewer()->threeDView()->forceRender();
    ASSERT_EQ(modelPixels(picture()), 0);
    QTest::mouseClick(button(bar, "Std_ViewExtents"), Qt::LeftButton);
    view->getViewer()->threeDView()->forceRender();
    EXPECT_GT(modelPixels(picture()), 1000);

    // Set up again with fewer entries: the same toolbar keeps the actions still named, in
    // their places, loses the others, and a toolbar no longer named is hidden, its entry
    // in the toolbars' menu too; the focus leaves it for the view.
    QAction* extents = bar->actions().front();
    QApplication::setActiveWindow(window.get());
    button(marks, "Std_AnnotationRuler")->setFocus();
    ASSERT_TRUE(button(marks, "Std_AnnotationRuler")->hasFocus());
    Gui::ToolBarGadget second;
    addBar(&second, "View", {"Std_ShowWireframe", "Std_ViewExtents"});
    view->setupToolBar(&second);
    flush();
    EXPECT_EQ(view->findChild<QToolBar*>(QStringLiteral("View")), bar);
    EXPECT_EQ(dataOf(bar), (QStringList{"Std_ViewExtents", "Std_ShowWireframe"}));
    EXPECT_EQ(bar->actions().front(), extents);
    EXPECT_FALSE(marks->isVisible());
    EXPECT_FALSE(marks->toggleViewAction()->isVisible());
    QWidget* focus = QApplication::focusWidget();
    EXPECT_TRUE(focus == view || view->isAncestorOf(focus));
    EXPECT_FALSE(marks->isAncestorOf(focus));
    EXPECT_EQ(view->toolBarNames(), QStringList{"View"});

    // Named again, it comes back; two new toolbars wider together than the window: the
    // second starts a row of its own.
    const std::vector<std::string> plain{
        "Std_ViewScreenCapture", "Std_ShowSelected", "Std_HideSelected", "Std_OrthographicView",
        "Std_PerspectiveView", "Std_ViewZoomOut", "Std_ShowCoordSys", "Std_MeasureDistance", "Std_ShowVertices",
        "Std_ShowMesh", "Std_ScalarBar", "Std_ClipWidget", "Std_Refresh", "Std_RandomShapeColor",
        "Std_Relabel", "Std_AnnotationsGroup", "Std_AnnotationROI", "Std_AnnotationFiducial", "Std_MRMLModel",
        "Std_SelectVolumeOrElem", "Std_SelectFace", "Std_SelectEdge", "Std_SelectVertexOrNode", "Std_SelectNone",
        "Std_SelectShape", "Std_SelectMesh", "Std_EnablePreSelect", "Std_Visibility"};
    view->setIconSize(QSize(48, 48));
    const int half = static_cast<int>(plain.size()) / 2;
    ASSERT_LT(half * 48 + 48, window->width());
    ASSERT_GT(2 * half * 48, window->width());
    addBar(&second, "Marks", {"Std_AnnotationRuler"});
    addBar(&second, "Left", std::vector<std::string>(plain.begin(), plain.begin() + half));
    addBar(&second, "Right", std::vector<std::string>(plain.begin() + half, plain.end()));
    view->setupToolBar(&second);
    flush();
    EXPECT_TRUE(marks->isVisible());
    EXPECT_TRUE(marks->toggleViewAction()->isVisible());
    QToolBar* left = view->findChild<QToolBar*>(QStringLiteral("Left"));
    QToolBar* right = view->findChild<QToolBar*>(QStringLiteral("Right"));
    ASSERT_NE(left, nullptr);
    ASSERT_NE(right, nullptr);
    EXPECT_EQ(left->actions().size(), half);
    EXPECT_FALSE(view->toolBarBreak(left));
    EXPECT_TRUE(view->toolBarBreak(right));
    EXPECT_GT(right->y(), left->y()) << "the second one starts a row of its own";
}
