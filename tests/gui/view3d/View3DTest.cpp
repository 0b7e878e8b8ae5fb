// The 3D document view of a project: a model read from a file is drawn and follows its
// display node, picks find it, the view switches the scene's interaction mode, filters
// what can be selected, answers its messages and prints its picture.

#include <core/GuiProject.h>
#include <core/qPelmoraApplication.h>
#include <visualization/GLOverlayWidget.h>
#include <visualization/qPelmoraLayoutManager.h>
#include <visualization/qPelmoraThreeDWidget.h>
#include <visualization/qView3DMRML.h>

#include <support/GuiSession.h>
#include <support/TestEnvironment.h>

#include <mrml/vtkMRML3DViewDisplayableManager.h>
#include <mrml/vtkMRMLInteractionNode.h>
#include <mrml/vtkMRMLModelDisplayNode.h>
#include <mrml/vtkMRMLModelNode.h>
#include <mrml/vtkMRMLModelStorageNode.h>
#include <mrml/vtkMRMLRulerDisplayableManager.h>
#include <mrml/vtkMRMLScene.h>
#include <mrml/vtkMRMLSelectionNode.h>
#include <qmrml/qMRMLThreeDView.h>

#include <QVTKOpenGLNativeWidget.h>
#include <vtkCamera.h>
#include <vtkCollection.h>
#include <vtkNew.h>
#include <vtkRenderer.h>

#include <QCoreApplication>
#include <QFile>
#include <QImage>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <string>

namespace {

// A session with one project whose 3D view shows a red sphere read from an STL file.
class View3D : public PelmoraTest::ProjectViewSession
{
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(ProjectViewSession::SetUp());
        ASSERT_NO_FATAL_FAILURE(newProject());
        file = QDir(dir.path()).filePath(QStringLiteral("ball.stl")).toStdString();
        ASSERT_TRUE(PelmoraTest::writeSphereFile(file, 5.0, 32, 16));
        std::string error;
        model = vtkMRMLModelStorageNode::AddModelFromFile(scene, file.c_str(), nullptr, error);
        ASSERT_NE(model, nullptr) << error;
        display = model->GetModelDisplayNode();
        display->SetColor(1, 0, 0);
        display->SetAmbient(1.0);
        display->SetDiffuse(0.0);
        ASSERT_NO_FATAL_FAILURE(showView());
    }

    QColor centre()
    {
        const QImage image = picture();
        return image.pixelColor(image.width() / 2, image.height() / 2);
    }

    vtkMRML3DViewDisplayableManager* manager(int n = 0) const
    {
        vtkNew<vtkCollection> all;
        view->getViewer()->getDisplayableManagers(all);
        for (int i = 0; i < all->GetNumberOfItems(); ++i)
            if (auto* m = vtkMRML3DViewDisplayableManager::SafeDownCast(all->GetItemAsObject(i)))
                if (n-- == 0)
                    return m;
        return nullptr;
    }

    static bool isRed(const QColor& c) { return c.red() > 200 && c.green() < 40 && c.blue() < 40; }

    QTemporaryDir dir;
    std::string file;
    vtkMRMLModelNode* model = nullptr;
    vtkMRMLModelDisplayNode* display = nullptr;
};

} // namespace

TEST_F(View3D, ModelReadFromAFileIsDrawnAndFollowsItsDisplayNode)
{
    EXPECT_TRUE(isRed(centre()));
    display->SetVisibility(0);
    EXPECT_FALSE(isRed(centre())) << "a hidden model leaves the background";
    display->SetVisibility(1);
    display->SetColor(0, 0, 1);
    const QColor blue = centre();
    EXPECT_GT(blue.blue(), 200);
    EXPECT_LT(blue.red(), 40);

    // A pick at the model's place on the screen finds it.
    QWidget* gl = threeD()->VTKWidget();
    EXPECT_TRUE(threeD()->pickAt(QPoint(gl->width() / 2, gl->height() / 2)));
    EXPECT_STREQ(manager()->GetPickedNodeID(), model->GetID());
    EXPECT_FALSE(threeD()->pickAt(QPoint(1, 1)));
}

TEST_F(View3D, BadModelFileLeavesTheSceneAsItWas)
{
    QFile junk(QDir(dir.path()).filePath(QStringLiteral("junk.stl")));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("solid junk\n  facet normal 0 0 banana\n");
    junk.close();
    const int before = scene->GetNumberOfNodes();
    std::string error;
    EXPECT_EQ(vtkMRMLModelStorageNode::AddModelFromFile(scene, junk.fileName().toUtf8().constData(), "J", error),
              nullptr);
    EXPECT_NE(error.find("junk.stl"), std::string::npos) << error;
    EXPECT_EQ(scene->GetNumberOfNodes(), before);
    EXPECT_TRUE(isRed(centre())) << "the view goes on showing what it showed";
}

TEST_F(View3D, ModesSwitchTheScenesInteractionNode)
{
    auto* interaction = vtkMRMLInteractionNode::SafeDownCast(scene->GetNodeByID("vtkMRMLInteractionNodeSingleton"));
    auto* selection = vtkMRMLSelectionNode::SafeDownCast(scene->GetNodeByID("vtkMRMLSelectionNodeSingleton"));
    ASSERT_NE(interaction, nullptr);
    ASSERT_NE(selection, nullptr);

    EXPECT_TRUE(view->StartPlaceMode("vtkMRMLAnnotationFiducialNode", true));
    EXPECT_EQ(interaction->GetCurrentInteractionMode(), vtkMRMLInteractionNode::Place);
    EXPECT_EQ(interaction->GetPlaceModePersistence(), 1);
    EXPECT_STREQ(selection->GetActivePlaceNodeClassName(), "vtkMRMLAnnotationFiducialNode");
    view->EndPlaceMode();
    EXPECT_EQ(interaction->GetCurrentInteractionMode(), vtkMRMLInteractionNode::ViewTransform);
    view->StartSelectMode();
    EXPECT_EQ(interaction->GetCurrentInteractionMode(), vtkMRMLInteractionNode::Select);

    // In select mode a click on the model picks it.
    QWidget* gl = threeD()->VTKWidget();
    centre();
    QTest::mouseClick(gl, Qt::LeftButton, Qt::NoModifier, QPoint(gl->width() / 2, gl->height() / 2));
    EXPECT_STREQ(manager()->GetPickedNodeID(), model->GetID());
    view->EndSelectMode();
    EXPECT_EQ(interaction->GetCurrentInteractionMode(), vtkMRMLInteractionNode::ViewTransform);

    // A view without a scene starts nothing and changes no node.
    Gui::qView3DMRML lonely(gui, nullptr);
    EXPECT_FALSE(lonely.StartPlaceMode("vtkMRMLAnnotationRulerNode", false));
    EXPECT_EQ(interaction->GetCurrentInteractionMode(), vtkMRMLInteractionNode::ViewTransform);
    EXPECT_STREQ(selection->GetActivePlaceNodeClassName(), "vtkMRMLAnnotationFiducialNode");
}

TEST_F(View3D, SelectionFiltersReachTheManagers)
{
    // A second 3D-view manager: the view's filters reach both, the widget's settings the first.
    view->getViewer()->addDisplayableManager(QStringLiteral("vtkMRML3DViewDisplayableManager"));
    ASSERT_NE(manager(1), nullptr);

    view->setCanSelect({pmFwm::ENTITY_BODY});
    for (int n : {0, 1}) {
        EXPECT_TRUE(manager(n)->GetSelectionMode(SM_Shape));
        EXPECT_FALSE(manager(n)->GetSelectionMode(SM_Face));
    }
    view->setCanSelect({pmFwm::ENTITY_VERTEX, pmFwm::ENTITY_EDGE, pmFwm::ENTITY_FACE, pmFwm::ENTITY_BODY});
    for (int n : {0, 1}) {
        EXPECT_TRUE(manager(n)->GetSelectionMode(SM_Vertex));
        EXPECT_TRUE(manager(n)->GetSelectionMode(SM_Edge));
        EXPECT_TRUE(manager(n)->GetSelectionMode(SM_Face));
        EXPECT_FALSE(manager(n)->GetSelectionMode(SM_Shape)) << "all four kinds leave whole shapes out";
    }
    // The same kinds in another order change nothing, not even the stored order.
    view->setCanSelect({pmFwm::ENTITY_BODY, pmFwm::ENTITY_FACE, pmFwm::ENTITY_EDGE, pmFwm::ENTITY_VERTEX});
    EXPECT_EQ(view->selectableTypes().front(), pmFwm::ENTITY_VERTEX);
    EXPECT_TRUE(view->canSelect(pmFwm::ENTITY_FACE));
    view->resetCanSelect();
    EXPECT_FALSE(view->canSelect(pmFwm::ENTITY_FACE));

    view->getViewer()->VtkSetDisplayMode(0, DM_Wireframe);
    EXPECT_EQ(manager(0)->GetDisplayMode(), DM_Wireframe);
    EXPECT_EQ(manager(1)->GetDisplayMode(), DM_None);
    view->getViewer()->VtkSetSelectionModes({SM_Shape}, {false});
    EXPECT_FALSE(manager(0)->GetSelectionMode(SM_Shape));
}

TEST_F(View3D, MessagesAndViewExtents)
{
    for (const char* name : {"Save", "PrintPdf", "ViewExtents", "GetCamera", "SetCameraType orthographic", "Dump"})
        EXPECT_TRUE(view->has_message_handler(name)) << name;
    for (const char* name : {"Copy", "Paste", "SetCamer"})
        EXPECT_FALSE(view->has_message_handler(name)) << name;
    EXPECT_FALSE(view->message_handler("ViewFront", nullptr));

    centre();
    vtkCamera* camera = threeD()->renderer()->GetActiveCamera();
    camera->SetFocalPoint(100, 100, 100);
    camera->SetPosition(100, 100, 130);
    threeD()->forceRender();
    EXPECT_FALSE(isRed(centre()));
    EXPECT_TRUE(view->message_handler("ViewExtents", nullptr));
    EXPECT_TRUE(isRed(centre()));
}

TEST_F(View3D, PrintsItsPictureToAPdfFile)
{
    const QImage picture = view->printImage();
    ASSERT_FALSE(picture.isNull());
    EXPECT_TRUE(isRed(picture.pixelColor(picture.width() / 2, picture.height() / 2)));

    const QString pdf = QDir(dir.path()).filePath(QStringLiteral("view.pdf"));
    QPrinter printer(QPrinter::ScreenResolution);
    printer.setFullPage(true);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    view->print(&printer);
    QFile out(pdf);
    ASSERT_TRUE(out.open(QIODevice::ReadOnly));
    const QByteArray bytes = out.readAll();
    EXPECT_TRUE(bytes.startsWith("%PDF"));
    EXPECT_TRUE(bytes.contains("/Image")) << "the page holds the view's picture";
}

TEST_F(View3D, RulerUnitReachesTheRulerManager)
{
    vtkNew<vtkCollection> all;
    view->getViewer()->getDisplayableManagers(all);
    vtkMRMLRulerDisplayableManager* ruler = nullptr;
    for (int i = 0; i < all->GetNumberOfItems(); ++i)
        if (auto* m = vtkMRMLRulerDisplayableManager::SafeDownCast(all->GetItemAsObject(i)))
            ruler = m;
    ASSERT_NE(ruler, nullptr);
    view->getViewer()->VtkSetRulerInMetric(false);
    EXPECT_FALSE(ruler->GetUnitInMetric());
    view->getViewer()->VtkSetRulerInMetric(true);
    EXPECT_TRUE(ruler->GetUnitInMetric());
}

TEST(LayoutManager, ViewportParentModuleSignalAndGuardedPointer)
{
    PelmoraTest::registerFemGuiTypes();
    PelmoraTest::ScopedLogic logic;
    Gui::qPelmoraApplication app(true);
    auto* viewport = new QWidget;
    auto* manager = new qPelmoraLayoutManager(viewport);
    EXPECT_EQ(manager->viewport(), viewport);
    EXPECT_EQ(manager->parent(), viewport);
    QStringList chosen;
    QObject::connect(manager, &qPelmoraLayoutManager::selectModule, [&](const QString& m) { chosen << m; });
    manager->setCurrentModule(QStringLiteral("Annotations"));
    EXPECT_EQ(chosen, QStringList{QStringLiteral("Annotations")});

    app.setLayoutManager(manager);
    EXPECT_EQ(app.layoutManager(), manager);
    delete viewport;
    EXPECT_EQ(app.layoutManager(), nullptr) << "gone with its viewport";
}

TEST(GLOverlayWidget, PaintsItsImageUnscaledAtTheOrigin)
{
    Gui::GLOverlayWidget overlay;
    overlay.resize(40, 40);
    QImage image(10, 10, QImage::Format_RGB32);
    image.fill(Qt::green);
    overlay.setImage(image);
    const QImage shot = overlay.grab().toImage();
    EXPECT_EQ(shot.pixelColor(2, 2), QColor(Qt::green));
    EXPECT_NE(shot.pixelColor(20, 20), QColor(Qt::green));
}
