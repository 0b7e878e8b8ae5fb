// A 3D view that is not on screen (a document in a tab that is not the current one) holds
// no OpenGL widget, context or frame buffers, and draws the same when it comes back.

#include <ctk/ctkVTKAbstractView.h>
#include <mrml/vtkMRMLModelDisplayNode.h>
#include <mrml/vtkMRMLModelNode.h>
#include <mrml/vtkMRMLScene.h>
#include <mrml/vtkMRMLViewNode.h>
#include <qmrml/qMRMLThreeDView.h>

#include <QVTKOpenGLNativeWidget.h>
#include <vtkCamera.h>
#include <vtkNew.h>
#include <vtkRenderer.h>
#include <vtkSphereSource.h>

#include <QImage>
#include <QSurfaceFormat>
#include <QTest>
#include <support/SettleEvents.h>
#include <support/HangGuard.h>
#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace {

const bool surfaceFormatSet = [] {
    QSurfaceFormat::setDefaultFormat(QVTKOpenGLNativeWidget::defaultFormat());
    return true;
}();

void settle()
{
    PelmoraTest::settleWithDisplay();
}

QColor centre(qMRMLThreeDView& view)
{
    settle();
    const QImage image = view.VTKWidget()->grabFramebuffer();
    return image.pixelColor(image.width() / 2, image.height() / 2);
}

} // namespace

TEST(ViewOffScreen, LetsItsOpenGLWidgetGoAndDrawsTheSameWhenBack)
{
    ASSERT_TRUE(surfaceFormatSet);
    vtkNew<vtkMRMLScene> scene;
    vtkNew<vtkSphereSource> sphere;
    sphere->Update();
    vtkNew<vtkMRMLModelDisplayNode> display;
    display->SetColor(1, 0, 0);
    display->SetAmbient(1.0);
    display->SetDiffuse(0.0);
    scene->AddNode(display);
    vtkNew<vtkMRMLModelNode> model;
    model->SetAndObservePolyData(sphere->GetOutput());
    model->SetAndObserveDisplayNodeID(display->GetID());
    scene->AddNode(model);
    vtkNew<vtkMRMLViewNode> viewNode;
    viewNode->SetBackgroundColor(0, 0, 0);

    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* page = new QWidget(&window);
    layout->addWidget(page);
    auto* view = new qMRMLThreeDView(page);
    (new QVBoxLayout(page))->addWidget(view);
    view->setMRMLScene(scene);
    view->setMRMLViewNode(viewNode);
    window.resize(240, 240);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window, PelmoraTest::HangGuardMs));
    settle();
    ASSERT_TRUE(view->hasVTKWidget());
    EXPECT_GT(centre(*view).red(), 200);
    const double* position = view->renderer()->GetActiveCamera()->GetPosition();
    const double distance = position[2];

    page->hide();
    settle();
    EXPECT_FALSE(view->hasVTKWidget()) << "off screen: no OpenGL widget";

    // A change while off screen, then back: one frame shows it, not one per request.
    display->SetOpacity(0.9);
    display->SetOpacity(1.0);
    const int before = view->renderCount();
    page->show();
    settle();
    EXPECT_TRUE(view->hasVTKWidget());
    EXPECT_EQ(view->renderCount(), before + 1);
    EXPECT_GT(centre(*view).red(), 200) << "drawn again after its OpenGL set-up was released";
    EXPECT_DOUBLE_EQ(view->renderer()->GetActiveCamera()->GetPosition()[2], distance) << "the camera stays";

    // Hidden again before the event loop turned (many documents opened at once): no widget
    // is made for the moment it was shown.
    page->hide();
    settle();
    const int renders = view->renderCount();
    page->show();
    page->hide();
    settle();
    EXPECT_FALSE(view->hasVTKWidget());
    EXPECT_EQ(view->renderCount(), renders);
}
