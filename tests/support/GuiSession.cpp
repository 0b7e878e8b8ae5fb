#include "GuiSession.h"

#include <commands/Command.h>
#include <commands/CommandAction.h>
#include <commands/SimModule.h>
#include <core/GfxDatabase.h>
#include <core/GuiProject.h>
#include <core/qPelmoraApplication.h>
#include <mainwindow/MainWindow.h>
#include <visualization/qPelmoraThreeDWidget.h>
#include <visualization/qView3DMRML.h>

#include <femgui/FemGui.h>
#include <mrml/vtkMRMLModelNode.h>
#include <mrml/vtkMRMLModelStorageNode.h>
#include <obj/Application.h>
#include <pmmsg/Message.h>
#include <qmrml/qMRMLThreeDView.h>

#include <QVTKOpenGLNativeWidget.h>
#include <vtkNew.h>
#include <vtkSphereSource.h>

#include <QCoreApplication>
#include <QImage>
#include <QSurfaceFormat>
#include <QTest>
#include <QTimer>
#include <support/SettleEvents.h>
#include <support/HangGuard.h>

namespace PelmoraTest {

namespace {

const bool surfaceFormatSet = [] {
    QSurfaceFormat::setDefaultFormat(QVTKOpenGLNativeWidget::defaultFormat());
    return true;
}();

} // namespace

bool vtkSurfaceFormatSet()
{
    return surfaceFormatSet;
}

void registerGuiTypes()
{
    Obj::Application::init_types();
    if (!Gui::qPelmoraApplication::types_initialized())
        Gui::qPelmoraApplication::initialize_application();
    Gui::GfxDatabase::init();
}

void registerFemGuiTypes()
{
    static bool done = false;
    registerGuiTypes();
    if (!done)
        FemGui::initModule();
    done = true;
}

void flushDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

bool writeSphereFile(const std::string& path, double radius, int thetaResolution, int phiResolution)
{
    vtkNew<vtkSphereSource> sphere;
    sphere->SetRadius(radius);
    sphere->SetThetaResolution(thetaResolution);
    sphere->SetPhiResolution(phiResolution);
    sphere->Update();
    vtkNew<vtkMRMLModelNode> source;
    source->SetAndObservePolyData(sphere->GetOutput());
    vtkNew<vtkMRMLModelStorageNode> writer;
    writer->SetFileName(path.c_str());
    return writer->WriteData(source) == 1;
}

// ---------------------------------------------------------------------------------------

MainWindowSession::MainWindowSession() = default;
MainWindowSession::~MainWindowSession() = default;

void MainWindowSession::SetUp()
{
    registerGuiTypes();
    startApplication();
    openMainWindow();
}

void MainWindowSession::TearDown()
{
    closeSession();
}

void MainWindowSession::startApplication()
{
    logic = std::make_unique<ScopedLogic>();
    app = std::make_unique<Gui::qPelmoraApplication>(true);
}

void MainWindowSession::openMainWindow()
{
    window = std::make_unique<Gui::MainWindow>();
    window->show();
}

void MainWindowSession::openProductWindow()
{
    ASSERT_TRUE(vtkSurfaceFormatSet());
    registerFemGuiTypes();
    startApplication();
    openMainWindow();
    ASSERT_TRUE(app->activate_simmodule("FemWorkbench"));
}

void MainWindowSession::closeSession()
{
    flushDeletes();
    window.reset();
    flushDeletes();
    Gui::SimModuleController::destruct();
    app.reset();
    logic.reset();
}

Gui::Command* MainWindowSession::command(const char* name) const
{
    return app->get_command_manager().get_command_by_name(name);
}

QAction* MainWindowSession::placed(const char* name)
{
    command(name)->add_to(&menu);
    return command(name)->get_action()->action();
}

void MainWindowSession::clearStatusMessage() const
{
    auto* timer = window ? window->findChild<QTimer*>(QStringLiteral("StatusMessageClear")) : nullptr;
    ASSERT_NE(timer, nullptr) << "the status bar clears its messages with a timer of that name";
    if (timer->isActive())
        timer->start(0);
    PelmoraTest::settleWithDisplay();
}

// ---------------------------------------------------------------------------------------

ProjectViewSession::ProjectViewSession() = default;
ProjectViewSession::~ProjectViewSession() = default;

void ProjectViewSession::SetUp()
{
    ASSERT_TRUE(vtkSurfaceFormatSet());
    registerFemGuiTypes();
    app = std::make_unique<Gui::qPelmoraApplication>(true);
}

void ProjectViewSession::TearDown()
{
    app.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void ProjectViewSession::newProject()
{
    pmMsg::runCommand(pmMsg::CMD_NEW_PROJECT, 1, {"Unnamed Project"});
    project = Obj::Application::instance().get_current_project();
    ASSERT_NE(project, nullptr);
    gui = app->get_project(project);
    ASSERT_NE(gui, nullptr);
    scene = gui->mrmlScene();
    const auto views = gui->getMDIViews();
    ASSERT_EQ(views.size(), 1u);
    view = qobject_cast<Gui::qView3DMRML*>(views.front());
    ASSERT_NE(view, nullptr);
    ASSERT_NE(view->getViewer(), nullptr);
}

void ProjectViewSession::showView()
{
    ASSERT_NE(view, nullptr);
    view->resize(320, 320);
    view->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(view, PelmoraTest::HangGuardMs));
}

qMRMLThreeDView* ProjectViewSession::threeD() const
{
    return view->getViewer()->threeDView();
}

QImage ProjectViewSession::picture()
{
    PelmoraTest::settleWithDisplay();
    return threeD()->VTKWidget()->grabFramebuffer();
}

} // namespace PelmoraTest
