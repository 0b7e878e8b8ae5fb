// Toggling the visibility of N selected objects with the "Toggle visibility" command and
// rendering the project's scene once, against toggling N bare VTK actors showing the
// same surfaces and rendering once, in the same run.
#include <commands/Command.h>
#include <core/GuiProject.h>
#include <core/qPelmoraApplication.h>
#include <selection/TreeSelectionSingleton.h>

#include <femgui/FemGui.h>
#include <mrml/vtkMRMLDisplayableManagerGroup.h>
#include <mrml/vtkMRMLScene.h>
#include <obj/Application.h>
#include <obj/GeometryObject.h>
#include <obj/Project.h>
#include <pmmsg/Message.h>

#include <vtkActor.h>
#include <vtkNew.h>
#include <vtkPolyData.h>
#include <vtkPolyDataMapper.h>
#include <vtkRenderWindow.h>
#include <vtkRenderer.h>
#include <vtkSTLWriter.h>
#include <vtkSmartPointer.h>
#include <vtkSphereSource.h>

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int Objects = 1000;

// A small closed surface per object, each at its own place on a grid.
vtkSmartPointer<vtkPolyData> smallSurface(int i)
{
    vtkNew<vtkSphereSource> sphere;
    sphere->SetThetaResolution(8);
    sphere->SetPhiResolution(6);
    sphere->SetRadius(0.4);
    sphere->SetCenter(i % 40, (i / 40) % 40, i / 1600);
    sphere->Update();
    return sphere->GetOutput();
}

vtkSmartPointer<vtkRenderWindow> offscreenWindow(vtkRenderer* renderer)
{
    auto window = vtkSmartPointer<vtkRenderWindow>::New();
    window->SetSize(400, 400);
    window->SetOffScreenRendering(1);
    window->AddRenderer(renderer);
    return window;
}

// One project of model objects, all selected, drawn by the scene's displayable managers.
struct Session
{
    Session()
    {
        static char arg0[] = "bench";
        static char* argv[] = {arg0, nullptr};
        logic = std::make_unique<Obj::Application>(1, argv, std::map<std::string, std::string>{});
        Gui::qPelmoraApplication::initialize_application();
        FemGui::initModule();
        app = std::make_unique<Gui::qPelmoraApplication>(true);
        pmMsg::Journal::set_capacity(0);

        project = logic->create_project("P");
        gui = app->get_project(project);
        std::vector<Obj::ProjectObject*> objects;
        for (int i = 0; i < Objects; ++i) {
            vtkNew<vtkSTLWriter> writer;
            const std::string file =
                QDir(dir.path()).filePath(QStringLiteral("part%1.stl").arg(i)).toStdString();
            writer->SetFileName(file.c_str());
            writer->SetInputData(smallSurface(i));
            writer->Write();
            auto geometry = std::make_unique<Obj::GeometryObject>();
            std::string error;
            geometry->read_model_file(file, error);
            objects.push_back(project->add_object(std::move(geometry), ("Part" + std::to_string(i)).c_str()));
        }
        Gui::TreeSelectionSingleton::instance().set_selection("P", objects);

        group->AddDisplayableManagers({"vtkMRMLModelDisplayableManager", "vtkMRML3DViewDisplayableManager"});
        group->SetMRMLScene(gui->mrmlScene());
        group->SetRenderer(renderer);
        renderer->ResetCamera();
        window->Render();
        toggle = app->get_command_manager().get_command_by_name("Std_Visibility");
        // The command really hides what is shown (and shows it again).
        const unsigned int first = objects.front()->getObjectId();
        if (toggle) {
            toggle->invoke(0);
            toggles = !gui->isShow(first);
            toggle->invoke(0);
            toggles = toggles && gui->isShow(first);
        }
    }

    QTemporaryDir dir;
    std::unique_ptr<Obj::Application> logic;
    std::unique_ptr<Gui::qPelmoraApplication> app;
    Obj::Project* project = nullptr;
    Gui::GuiProject* gui = nullptr;
    vtkNew<vtkRenderer> renderer;
    vtkSmartPointer<vtkRenderWindow> window = offscreenWindow(renderer);
    vtkSmartPointer<vtkMRMLDisplayableManagerGroup> group = vtkSmartPointer<vtkMRMLDisplayableManagerGroup>::New();
    Gui::Command* toggle = nullptr;
    bool toggles = false;
};

Session& session()
{
    static Session* s = new Session;   // lives for the program
    return *s;
}

} // namespace

static void BM_ToggleSelectedVisibility(benchmark::State& state)
{
    Session& s = session();
    if (!s.toggle || !s.toggles) {
        state.SkipWithError("Std_Visibility does not toggle the objects");
        return;
    }
    for (auto _ : state) {
        s.toggle->invoke(0);
        s.window->Render();
    }
    state.SetItemsProcessed(state.iterations() * Objects);
}

static void BM_ToggleSelectedVisibility_Baseline(benchmark::State& state)
{
    vtkNew<vtkRenderer> renderer;
    auto window = offscreenWindow(renderer);
    std::vector<vtkSmartPointer<vtkActor>> actors;
    for (int i = 0; i < Objects; ++i) {
        vtkNew<vtkPolyDataMapper> mapper;
        mapper->SetInputData(smallSurface(i));
        mapper->ScalarVisibilityOff();
        auto actor = vtkSmartPointer<vtkActor>::New();
        actor->SetMapper(mapper);
        renderer->AddActor(actor);
        actors.push_back(actor);
    }
    renderer->ResetCamera();
    window->Render();
    int visible = 1;
    for (auto _ : state) {
        visible = !visible;
        for (auto& actor : actors)
            actor->SetVisibility(visible);
        window->Render();
    }
    state.SetItemsProcessed(state.iterations() * Objects);
}

BENCHMARK(BM_ToggleSelectedVisibility)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ToggleSelectedVisibility_Baseline)->Unit(benchmark::kMillisecond);
