#include <ctk/ctkVTKAbstractView.h>
#include <mrml/vtkMRML3DViewDisplayableManager.h>
#include <pmfwm/EntitySelectionData.h>
#include <mrml/vtkMRMLDisplayableManagerGroup.h>
#include <mrml/vtkMRMLInteractionNode.h>
#include <mrml/vtkMRMLModelDisplayNode.h>
#include <mrml/vtkMRMLModelNode.h>
#include <mrml/vtkMRMLScene.h>
#include <mrml/vtkMRMLViewLogic.h>
#include <mrml/vtkMRMLViewNode.h>
#include <qmrml/qMRMLLayoutManager.h>
#include <qmrml/qMRMLThreeDView.h>
#include <qmrml/qMRMLThreeDViewControllerWidget.h>

#include <QVTKOpenGLNativeWidget.h>
#include <vtkCollection.h>
#include <vtkNew.h>
#include <vtkCallbackCommand.h>
#include <vtkCamera.h>
#include <vtkObjectFactory.h>
#include <vtkOutputWindow.h>
#include <vtkCommand.h>
#include <vtkGenericOpenGLRenderWindow.h>
#include <vtkRenderWindowInteractor.h>
#include <vtkRenderer.h>
#include <vtkSphereSource.h>

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QSurfaceFormat>
#include <QTest>
#include <support/SettleEvents.h>
#include <support/HangGuard.h>

#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <string>
#include <utility>
#include <vector>

namespace {

// The widget's OpenGL format must be the default before the application is built.
const bool surfaceFormatSet = [] {
    QSurfaceFormat::setDefaultFormat(QVTKOpenGLNativeWidget::defaultFormat());
    return true;
}();

class ThreeDView : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(surfaceFormatSet);
        vtkNew<vtkSphereSource> sphere;
        sphere->SetThetaResolution(32);
        sphere->SetPhiResolution(16);
        sphere->Update();
        display = vtkSmartPointer<vtkMRMLModelDisplayNode>::New();
        display->SetColor(1, 0, 0);
        display->SetAmbient(1.0);
        display->SetDiffuse(0.0);
        scene->AddNode(display);
        model = vtkSmartPointer<vtkMRMLModelNode>::New();
        model->SetAndObservePolyData(sphere->GetOutput());
        model->SetAndObserveDisplayNodeID(display->GetID());
        scene->AddNode(model);
        interaction->SetID("vtkMRMLInteractionNodeSingleton");
        scene->AddNode(interaction);
        viewNode->SetBackgroundColor(0, 0, 0);

        view.resize(240, 240);
        view.setMRMLScene(scene);
        view.setMRMLViewNode(viewNode);
        view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view, PelmoraTest::HangGuardMs));
        settle();
    }

    void settle()
    {
        PelmoraTest::settleWithDisplay();
    }

    QColor centre()
    {
        settle();
        const QImage image = view.VTKWidget()->grabFramebuffer();
        return image.pixelColor(image.width() / 2, image.height() / 2);
    }

    vtkNew<vtkMRMLScene> scene;
    vtkNew<vtkMRMLInteractionNode> interaction;
    vtkNew<vtkMRMLViewNode> viewNode;
    vtkSmartPointer<vtkMRMLModelDisplayNode> display;
    vtkSmartPointer<vtkMRMLModelNode> model;
    qMRMLThreeDView view;
};

} // namespace

TEST_F(ThreeDView, ShowsTheModelFramedInItsColourAndFollowsVisibility)
{
    QColor c = centre();
    EXPECT_GT(c.red(), 200);
    EXPECT_LT(c.green(), 40);

    display->SetVisibility(0);
    c = centre();
    EXPECT_LT(c.red(), 20) << "hidden, only the black background is left";

    display->SetVisibility(1);
    c = centre();
    EXPECT_GT(c.red(), 200);
}

TEST_F(ThreeDView, ManyChangesBeforeTheEventLoopRunsMakeOneRender)
{
    const int before = view.renderCount();
    for (int i = 0; i < 50; ++i) {
        display->SetOpacity(i % 2 ? 0.5 : 1.0);
        display->SetVisibility(i % 2);
    }
    settle();
    EXPECT_EQ(view.renderCount(), before + 1);
}

namespace {

// Counts the errors said through VTK's output window while it is the window.
class ErrorCount : public vtkOutputWindow
{
public:
    static ErrorCount* New();
    vtkTypeMacro(ErrorCount, vtkOutputWindow);
    void DisplayErrorText(const char* text) override
    {
        ++errors;
        last = text ? text : "";
    }
    int errors = 0;
    std::string last;
};
vtkStandardNewMacro(ErrorCount);

} // namespace

// Memory running out while the view draws is a refusal said once: no way of drawing lets
// the exception out, paints in between do not try again, and once a render asked for
// draws, the next such refusal is said again.
TEST_F(ThreeDView, RunningOutOfMemoryWhileDrawingIsARefusalSaidOnce)
{
    vtkNew<ErrorCount> output;
    vtkSmartPointer<vtkOutputWindow> previous = vtkOutputWindow::GetInstance();
    vtkOutputWindow::SetInstance(output);
    vtkNew<vtkCallbackCommand> exhausted;
    exhausted->SetCallback([](vtkObject*, unsigned long, void*, void*) { throw std::bad_alloc(); });
    QSignalSpy refusals(&view, &ctkVTKAbstractView::drawingRefused);
    const std::pair<const char*, std::function<void()>> ways[] = {
        {"render", [this] { view.forceRender(); }},
        {"paint", [this] { view.VTKWidget()->repaint(); }},
        {"render asked for", [this] {
             view.scheduleRender();
             QCoreApplication::processEvents();
         }},
    };
    for (int streak = 1; streak <= 2; ++streak) {
        view.renderer()->AddObserver(vtkCommand::StartEvent, exhausted);
        const int rendered = view.renderCount();
        for (const auto& way : ways) {
            SCOPED_TRACE(way.first);
            EXPECT_NO_THROW(way.second());
            EXPECT_NO_THROW(view.VTKWidget()->repaint());
            EXPECT_TRUE(view.renderRefused());
            EXPECT_EQ(output->errors, streak) << output->last;
        }
        EXPECT_NE(output->last.find("There is not enough memory to draw the 3D view"), std::string::npos) << output->last;
        EXPECT_EQ(view.renderCount(), rendered);
        // Memory back: the next render asked for draws.
        view.renderer()->RemoveObserver(exhausted);
        view.scheduleRender();
        QCoreApplication::processEvents();
        EXPECT_FALSE(view.renderRefused());
        EXPECT_EQ(view.renderCount(), rendered + 1);
    }
    // Once at the first of each streak's ways, then once for each retry asked for.
    EXPECT_EQ(refusals.count(), 2 * 2);
    vtkOutputWindow::SetInstance(previous);
    EXPECT_GT(centre().red(), 200) << "the model is drawn again";
}

TEST_F(ThreeDView, AClickPicksTheModelUnderTheMouseUnlessPlacingOrDragging)
{
    vtkNew<vtkCollection> managers;
    view.getDisplayableManagers(managers);
    vtkMRML3DViewDisplayableManager* manager = nullptr;
    for (int i = 0; i < managers->GetNumberOfItems(); ++i)
        if (auto* m = vtkMRML3DViewDisplayableManager::SafeDownCast(managers->GetItemAsObject(i)))
            manager = m;
    ASSERT_NE(manager, nullptr);
    EXPECT_STREQ(managers->GetItemAsObject(0)->GetClassName(), "vtkMRMLModelDisplayableManager");
    manager->VtkSetSelectionModes({0}, {true});
    pmFwm::EntitySelectionData picks;
    std::vector<int> kinds;
    picks.signal_selection_changed.connect(
        [&kinds](const pmFwm::SelectionModification2& change) { kinds.push_back(change.type); });
    manager->setEntitySelData(&picks);

    QWidget* gl = view.VTKWidget();
    const QPoint middle(gl->width() / 2, gl->height() / 2);
    interaction->SetCurrentInteractionMode(vtkMRMLInteractionNode::Place);
    QTest::mouseClick(gl, Qt::LeftButton, Qt::NoModifier, middle);
    EXPECT_EQ(manager->GetPickedNodeID(), nullptr) << "clicks place annotations then";

    // A drag turns the camera and picks nothing.
    interaction->SetCurrentInteractionMode(vtkMRMLInteractionNode::ViewTransform);
    QTest::mousePress(gl, Qt::LeftButton, Qt::NoModifier, middle);
    QMouseEvent drag(QEvent::MouseMove, middle + QPoint(30, 0), gl->mapToGlobal(middle + QPoint(30, 0)),
                     Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(gl, &drag);
    QTest::mouseRelease(gl, Qt::LeftButton, Qt::NoModifier, middle + QPoint(30, 0));
    EXPECT_EQ(manager->GetPickedNodeID(), nullptr);
    EXPECT_TRUE(kinds.empty());

    view.renderer()->ResetCamera();
    QTest::mouseClick(gl, Qt::LeftButton, Qt::NoModifier, middle);
    EXPECT_STREQ(manager->GetPickedNodeID(), model->GetID());
    interaction->SetCurrentInteractionMode(vtkMRMLInteractionNode::Select);
    QTest::mouseClick(gl, Qt::LeftButton, Qt::ControlModifier, middle);
    EXPECT_EQ(kinds, (std::vector<int>{2, 0})) << "a click sets the selection, with Control it adds";

    EXPECT_FALSE(view.pickAt(QPoint(2, 2)));
    EXPECT_TRUE(view.pickAt(middle));
    manager->setEntitySelData(nullptr);
}

TEST_F(ThreeDView, TheInteractorStylesOwnKeysDoNothing)
{
    vtkRenderWindow* window = view.renderWindow();
    bool exited = false;
    vtkNew<vtkCallbackCommand> exit;
    exit->SetClientData(&exited);
    exit->SetCallback([](vtkObject*, unsigned long, void* flag, void*) { *static_cast<bool*>(flag) = true; });
    view.interactor()->AddObserver(vtkCommand::ExitEvent, exit, -1.0f);
    QWidget* gl = view.VTKWidget();
    for (char key : {'3', 'w', 'e', 'q'})
        QTest::keyClick(gl, key);
    settle();
    EXPECT_FALSE(window->GetStereoRender()) << "'3' turns no stereo on";
    EXPECT_FALSE(exited) << "'e' and 'q' end nothing";
    EXPECT_GT(centre().red(), 200) << "'w' leaves the model shaded";
    view.interactor()->RemoveObserver(exit);
}

TEST_F(ThreeDView, PreSelectionMarksTheModelUnderTheMouseOutsidePlacing)
{
    display->SetSelectedColor(0, 1, 0);
    QWidget* gl = view.VTKWidget();
    const auto moveTo = [&](QPoint p) {
        QMouseEvent move(QEvent::MouseMove, p, gl->mapToGlobal(p), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(gl, &move);
    };
    const QPoint middle(gl->width() / 2, gl->height() / 2);
    interaction->SetCurrentInteractionMode(vtkMRMLInteractionNode::Select);

    moveTo(middle);
    EXPECT_GT(centre().red(), 200) << "pre-selection is off";

    view.SetEnablePreSelection(true);
    moveTo(middle);
    QColor c = centre();
    EXPECT_NEAR(c.red(), 128, 30) << "halfway to the selected colour";
    EXPECT_NEAR(c.green(), 128, 30);
    moveTo(QPoint(2, 2));
    EXPECT_GT(centre().red(), 200) << "off the model nothing is marked";

    moveTo(middle);
    EXPECT_LT(centre().red(), 160);
    view.SetEnablePreSelection(false);
    EXPECT_GT(centre().red(), 200);
}

TEST_F(ThreeDView, ControllerMovesItsViewLogicBetweenCollectionsAndCentresTheView)
{
    qMRMLThreeDViewControllerWidget controller;
    controller.setThreeDView(&view);
    controller.setMRMLScene(scene);
    controller.setMRMLViewNode(viewNode);
    controller.setViewLabel(QStringLiteral("1"));
    controller.setViewColor(QColor(10, 20, 30));
    EXPECT_EQ(controller.viewLabel(), QStringLiteral("1"));
    EXPECT_EQ(controller.viewColor(), QColor(10, 20, 30));
    EXPECT_EQ(controller.viewLogic()->GetViewNode(), viewNode.Get());
    EXPECT_EQ(controller.viewLogic()->GetMRMLScene(), scene.Get());

    vtkNew<vtkCollection> first, second;
    controller.setViewLogics(first);
    EXPECT_EQ(first->GetNumberOfItems(), 1);
    controller.setViewLogics(second);
    EXPECT_EQ(first->GetNumberOfItems(), 0);
    EXPECT_EQ(second->GetNumberOfItems(), 1);

    // The camera was moved away; "Center" brings the model back to the middle.
    view.renderer()->GetActiveCamera()->SetFocalPoint(50, 50, 50);
    view.renderer()->GetActiveCamera()->SetPosition(50, 50, 60);
    view.forceRender();
    EXPECT_LT(centre().red(), 20);
    QMetaObject::invokeMethod(controller.findChild<QObject*>(QStringLiteral("CenterButton")), "click");
    EXPECT_GT(centre().red(), 200);
}

TEST(qMRMLLayoutManager, ViewportIsItsParentAndSceneChangesAreAnnounced)
{
    QWidget viewport;
    qMRMLLayoutManager manager(&viewport, &viewport);
    EXPECT_EQ(manager.viewport(), &viewport);
    EXPECT_EQ(manager.parent(), &viewport);
    std::vector<vtkMRMLScene*> announced;
    QObject::connect(&manager, &qMRMLLayoutManager::mrmlSceneChanged,
                     [&](vtkMRMLScene* s) { announced.push_back(s); });
    vtkNew<vtkMRMLScene> scene;
    manager.setMRMLScene(scene);
    manager.setMRMLScene(scene);
    EXPECT_EQ(announced, std::vector<vtkMRMLScene*>{scene.Get()});
    EXPECT_EQ(manager.mrmlScene(), scene.Get());
}
