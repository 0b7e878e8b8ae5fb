// Geometry feeders and their model nodes: display properties reach the display node,
// placements replace each other, a node is removed only while the scene still holds it,
// and model files opened through the interpreter line become projects with a model in
// their scene, or, when unreadable, an error and nothing else.

#include <core/GuiProject.h>
#include <core/qPelmoraApplication.h>
#include <visualization/ViewFeederTopoObject.h>
#include <visualization/qView3DMRML.h>

#include <femgui/FemGui.h>
#include <support/ConsoleCapture.h>
#include <support/GuiSession.h>
#include <support/TestEnvironment.h>

#include <mrml/vtkMRMLModelDisplayNode.h>
#include <mrml/vtkMRMLModelNode.h>
#include <mrml/vtkMRMLModelStorageNode.h>
#include <mrml/vtkMRMLScene.h>
#include <obj/Application.h>
#include <obj/GeometryObject.h>
#include <obj/Project.h>
#include <pmfwm/EntitySelectionData.h>
#include <pmmsg/Message.h>
#include <vexil/Exception.h>

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <vtkMatrix4x4.h>
#include <vtkNew.h>
#include <vtkPoints.h>
#include <vtkPolyData.h>
#include <vtkTransform.h>
#include <vtkWeakPointer.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using PelmoraTest::ConsoleCapture;

namespace {

const char* const tetrahedron =
    "solid tet\n"
    " facet normal 0 0 0\n  outer loop\n   vertex 0 0 0\n   vertex 0 1 0\n   vertex 1 0 0\n  endloop\n endfacet\n"
    " facet normal 0 0 0\n  outer loop\n   vertex 0 0 0\n   vertex 1 0 0\n   vertex 0 0 1\n  endloop\n endfacet\n"
    " facet normal 0 0 0\n  outer loop\n   vertex 0 0 0\n   vertex 0 0 1\n   vertex 0 1 0\n  endloop\n endfacet\n"
    " facet normal 0 0 0\n  outer loop\n   vertex 1 0 0\n   vertex 0 1 0\n   vertex 0 0 1\n  endloop\n endfacet\n"
    "endsolid tet\n";

class TopoFeederTest : public ::testing::Test
{
protected:
    TopoFeederTest() { PelmoraTest::registerFemGuiTypes(); }

    void SetUp() override
    {
        pmMsg::runCommand(pmMsg::CMD_NEW_PROJECT, 1, {"Shapes"});
        project = Obj::Application::instance().get_current_project();
        ASSERT_NE(project, nullptr);
        gui = app.get_project(project);
        ASSERT_NE(gui, nullptr);
        // Opening a file closes an empty, unchanged current project first: this one stays.
        gui->setDirty(true);
        scene = gui->mrmlScene();
        keep.emplace_back(app.signal_change_object.connect([this](const Gui::ViewFeeder&, const Obj::Property& p) {
            published.emplace_back(p.get_name());
        }));
    }
    void TearDown() override { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

    // A model node with a display node in the project's scene.
    vtkMRMLModelNode* addModel()
    {
        vtkNew<vtkMRMLModelNode> model;
        vtkNew<vtkPolyData> poly;
        vtkNew<vtkPoints> points;
        points->InsertNextPoint(0, 0, 0);
        poly->SetPoints(points);
        model->SetAndObservePolyData(poly);
        auto* added = vtkMRMLModelNode::SafeDownCast(scene->AddNode(model));
        added->CreateDefaultDisplayNodes();
        return added;
    }

    std::string writeFile(const char* name, const QByteArray& content)
    {
        const QString path = dir.filePath(QString::fromUtf8(name));
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
        return path.toStdString();
    }

    PelmoraTest::ScopedLogic logic;
    Gui::qPelmoraApplication app{true};
    QTemporaryDir dir;
    Obj::Project* project = nullptr;
    Gui::GuiProject* gui = nullptr;
    vtkMRMLScene* scene = nullptr;
    std::vector<std::string> published;
    std::vector<boost::signals2::scoped_connection> keep;
};

} // namespace

TEST_F(TopoFeederTest, DisplayPropertiesReachTheDisplayNode)
{
    Obj::ProjectObject* object = project->add_object("Obj::ProjectObject", "Part");
    Gui::ViewFeederTopoObject f;
    f.attach(object);
    vtkMRMLModelNode* model = addModel();
    f.setMRMLNode(model);
    vtkMRMLDisplayNode* display = model->GetDisplayNode();

    EXPECT_FALSE(f.Visibility->test_object_status(Obj::Property::Hidden));
    EXPECT_TRUE(f.DisplayMode->test_object_status(Obj::Property::Hidden));
    EXPECT_EQ(f.DisplayMode->get_enum_list(),
              (std::vector<std::string>{"Shaded + Wireframe", "Shaded", "Wireframe"}));

    f.DisplayMode->set_value("Wireframe");
    EXPECT_EQ(display->GetDisplayMode(), 1);
    f.DisplayMode->set_value("Shaded + Wireframe");
    EXPECT_EQ(display->GetDisplayMode(), 3);
    f.DisplayMode->set_value("Shaded");
    EXPECT_EQ(display->GetDisplayMode(), 2);
    f.setDisplayMode(7);   // outside the list: unchanged
    EXPECT_EQ(display->GetDisplayMode(), 2);
    f.setMeshDisplayMode(2);
    EXPECT_EQ(display->GetMeshDisplayMode(), 1);

    f.Opacity->set_value(50);
    EXPECT_DOUBLE_EQ(display->GetOpacity(), 0.5);
    f.ClipPlanes->set_value(true);
    EXPECT_EQ(display->GetClipping(), 1);
    f.ClipPlanes->set_value(false);
    EXPECT_EQ(display->GetClipping(), 0);

    f.Selectable->set_value(false);
    EXPECT_FALSE(f.isSelectable());
    // Of these only "Point Color" reaches the feeder-property signal.
    EXPECT_TRUE(published.empty());
    f.PointColor->set_value(1, 0, 0);
    EXPECT_EQ(published, std::vector<std::string>{"Point Color"});
}

TEST_F(TopoFeederTest, VisibilityDrivesTheNodeOnceAndSuppressionHoldsItHidden)
{
    auto geometry = std::make_unique<Obj::GeometryObject>();
    Obj::GeometryObject* object = geometry.get();
    project->add_object(std::move(geometry), "Body");
    Gui::ViewFeederTopoObject f;
    f.attach(object);
    vtkMRMLModelNode* model = addModel();
    f.setMRMLNode(model);
    vtkMRMLDisplayNode* display = model->GetDisplayNode();

    f.Visibility->set_value(false);
    EXPECT_EQ(display->GetVisibility(), 0);
    EXPECT_FALSE(f.isShow());
    f.Visibility->set_value(true);
    EXPECT_EQ(display->GetVisibility(), 1);
    EXPECT_TRUE(f.isShow());
    EXPECT_TRUE(published.empty());   // visibility changes are not published

    // While a visibility change is in progress a nested one is ignored.
    f.Visibility->set_object_status(Gui::ViewFeeder::VisibilityInProgress, true);
    f.Visibility->set_value(false);
    EXPECT_EQ(display->GetVisibility(), 1);
    f.Visibility->set_object_status(Gui::ViewFeeder::VisibilityInProgress, false);
    f.Visibility->set_value(true);

    // Showing from elsewhere only counts as shown; the node follows "Visibility" alone.
    f.hide();
    EXPECT_EQ(display->GetVisibility(), 1);
    f.show();

    // "Suppressed" turns "Visibility" into its opposite.
    object->Suppressed->set_value(true);
    f.update(object->Suppressed);
    EXPECT_FALSE(f.Visibility->get_value());
    EXPECT_EQ(display->GetVisibility(), 0);
    EXPECT_FALSE(f.isShow());
    f.show();   // a suppressed object's feeder stays hidden
    EXPECT_FALSE(f.isShow());

    object->Suppressed->set_value(false);
    f.update(object->Suppressed);
    EXPECT_TRUE(f.Visibility->get_value());
    EXPECT_EQ(display->GetVisibility(), 1);
    f.update(object->Suppressed);   // already in step: nothing changes
    EXPECT_TRUE(f.Visibility->get_value());
}

TEST_F(TopoFeederTest, AVisibilityChangeThatThrowsDoesNotBlockLaterOnes)
{
    // A feeder whose next hide fails.
    struct FailingFeeder : Gui::ViewFeederTopoObject
    {
        void hide() override
        {
            if (fail) {
                fail = false;
                throw Vexil::ExceptionHandler("hide failed");
            }
            ViewFeederTopoObject::hide();
        }
        bool fail = true;
    } f;
    Obj::ProjectObject* object = project->add_object("Obj::ProjectObject", "Part");
    f.attach(object);
    vtkMRMLModelNode* model = addModel();
    f.setMRMLNode(model);
    vtkMRMLDisplayNode* display = model->GetDisplayNode();

    EXPECT_THROW(f.Visibility->set_value(false), Vexil::ExceptionHandler);
    EXPECT_FALSE(f.Visibility->test_object_status(Gui::ViewFeeder::VisibilityInProgress));
    f.Visibility->set_value(true);
    EXPECT_EQ(display->GetVisibility(), 1);
    f.Visibility->set_value(false);
    EXPECT_EQ(display->GetVisibility(), 0);
    EXPECT_FALSE(f.isShow());
}

TEST_F(TopoFeederTest, APlacementReplacesThePreviousOne)
{
    auto geometry = std::make_unique<Obj::GeometryObject>();
    Obj::GeometryObject* object = geometry.get();
    project->add_object(std::move(geometry), "Body");
    const int before = scene->GetNumberOfNodes();
    auto f = std::make_unique<Gui::ViewFeederTopoObject>();
    f->attach(object);
    vtkMRMLModelNode* model = addModel();
    f->setMRMLNode(model);
    EXPECT_EQ(model->GetParentTransformNode(), nullptr);   // no placement yet, no node

    // A quarter turn about z, then a move along x: (1, 0, 0) goes to (10, 1, 0).
    object->SpatialParameters->set_value(
        Vexil::SpaceLocation(Vexil::Vector3d(10, 0, 0), Vexil::SpaceRotation(90, 0, 0, 1)));
    f->update(object->SpatialParameters);
    f->update(object->SpatialParameters);
    double point[3] = {1, 0, 0};
    double out[3];
    f->getTransform()->TransformPoint(point, out);
    EXPECT_NEAR(out[0], 10, 1e-5);
    EXPECT_NEAR(out[1], 1, 1e-5);
    EXPECT_NEAR(out[2], 0, 1e-5);
    // The model node moves with it.
    vtkNew<vtkMatrix4x4> toWorld;
    model->GetTransformToWorld(toWorld);
    EXPECT_NEAR(toWorld->GetElement(0, 3), 10, 1e-5);
    EXPECT_NEAR(toWorld->GetElement(1, 0), 1, 1e-5);

    object->SpatialParameters->set_value(Vexil::SpaceLocation());
    f->update(object->SpatialParameters);
    f->getTransform()->TransformPoint(point, out);
    EXPECT_NEAR(out[0], 1, 1e-6);
    EXPECT_NEAR(out[1], 0, 1e-6);
    model->GetTransformToWorld(toWorld);
    EXPECT_TRUE(toWorld->IsIdentity());

    // The feeder takes its model, display and placement nodes along.
    f.reset();
    EXPECT_EQ(scene->GetNumberOfNodes(), before);
}

TEST_F(TopoFeederTest, AFeederRemovesOnlyANodeTheSceneStillHolds)
{
    Obj::ProjectObject* object = project->add_object("Obj::ProjectObject", "Part");
    const int before = scene->GetNumberOfNodes();
    {
        Gui::ViewFeederTopoObject f;
        f.attach(object);
        vtkMRMLModelNode* model = addModel();
        f.setMRMLNode(model);
        EXPECT_EQ(scene->GetNumberOfNodes(), before + 2);
    }
    EXPECT_EQ(scene->GetNumberOfNodes(), before);

    // The scene dropped the node first: the feeder neither touches nor removes anything.
    vtkWeakPointer<vtkMRMLModelNode> model;
    {
        Gui::ViewFeederTopoObject f;
        f.attach(object);
        model = addModel();
        f.setMRMLNode(model);
        vtkMRMLDisplayNode* display = model->GetDisplayNode();
        scene->RemoveNode(display);
        scene->RemoveNode(model);
        EXPECT_EQ(model.GetPointer(), nullptr);
        EXPECT_EQ(f.getMRMLNode(), nullptr);
        f.Opacity->set_value(10);   // no node: skipped quietly
        vtkNew<vtkMRMLModelNode> other;
        scene->AddNode(other);
    }
    EXPECT_EQ(scene->GetNumberOfNodes(), before + 1);
}

TEST_F(TopoFeederTest, AModelFileOpensAsAProjectWithItsModelInTheScene)
{
    const std::string path = writeFile("bracket.stl", tetrahedron);
    app.open(path.c_str(), "Geometry");
    const std::vector<std::string> journal = pmMsg::Journal::lines();
    ASSERT_GE(journal.size(), 2u);
    EXPECT_EQ(journal[journal.size() - 1], "runString Geometry.open(u\"" + path + "\")");

    Obj::Project* opened = Obj::Application::instance().get_current_project();
    ASSERT_NE(opened, project);
    EXPECT_STREQ(opened->getProjectName(), "bracket");
    ASSERT_EQ(opened->get_num_objects(), 1u);
    Obj::ProjectObject* object = opened->get_objects().front();
    Gui::GuiProject* openedGui = app.get_project(opened);
    ASSERT_NE(openedGui, nullptr);
    auto* feeder = dynamic_cast<FemGui::ViewFeederGeometry*>(openedGui->get_view_feeder(object));
    ASSERT_NE(feeder, nullptr);
    auto* model = vtkMRMLModelNode::SafeDownCast(feeder->getMRMLNode());
    ASSERT_NE(model, nullptr);
    EXPECT_TRUE(openedGui->mrmlScene()->IsNodePresent(model));
    EXPECT_STREQ(model->GetName(), "bracket");
    // A pick on the model is reported as an entity of this object.
    EXPECT_STREQ(model->GetAttribute("ProjectName"), "bracket");
    EXPECT_EQ(model->GetAttribute("ObjectId"), std::to_string(object->getObjectId()));
    ASSERT_NE(model->GetPolyData(), nullptr);
    EXPECT_EQ(model->GetPolyData()->GetNumberOfCells(), 4);
    vtkMRMLDisplayNode* display = model->GetDisplayNode();
    ASSERT_NE(display, nullptr);
    EXPECT_EQ(display->GetVisibility(), 1);
    EXPECT_EQ(display->GetDisplayMode(), 3);   // "Shaded + Wireframe" is the first mode

    feeder->Visibility->set_value(false);
    EXPECT_EQ(display->GetVisibility(), 0);
    feeder->DisplayMode->set_value("Shaded");
    EXPECT_EQ(display->GetDisplayMode(), 2);

    // Deleting the object takes its nodes out of the scene.
    const int withModel = openedGui->mrmlScene()->GetNumberOfNodes();
    opened->remove_object(object->getObjectId());
    EXPECT_EQ(openedGui->mrmlScene()->GetNumberOfNodes(), withModel - 2);

    // The command line reads the same way.
    const std::string second = writeFile("plate.stl", tetrahedron);
    const auto processed = Obj::Application::instance().processFiles({second});
    EXPECT_EQ(processed, std::vector<std::string>{second});
    EXPECT_STREQ(Obj::Application::instance().get_current_project()->getProjectName(), "plate");
}

TEST_F(TopoFeederTest, AnUnreadableModelFileSaysWhyAndLeavesEverythingAsItWas)
{
    QByteArray truncated(84, '\0');   // a binary header that promises 1000 triangles
    truncated[80] = char(0xE8);
    truncated[81] = char(0x03);
    truncated.append(QByteArray(20, '\1'));
    const std::vector<std::string> bad = {
        dir.filePath("missing.stl").toStdString(),
        writeFile("empty.stl", QByteArray()),
        writeFile("truncated.stl", truncated),
        writeFile("letter.stl", QByteArray("Dear reader,\nthis is no model.\n")),
        writeFile("letter.vtp", QByteArray("<VTKFile type=\"PolyData\"><PolyData><Piece")),
    };
    const std::size_t projects = Obj::Application::instance().get_projects().size();
    const int nodes = scene->GetNumberOfNodes();
    for (const std::string& path : bad) {
        ConsoleCapture console;
        app.open(path.c_str(), "Geometry");
        EXPECT_TRUE(console.contains(ConsoleCapture::Level::Error, "Cannot open model file")) << path;
        EXPECT_TRUE(console.contains(ConsoleCapture::Level::Error, path)) << path;
        console.clear();
        EXPECT_TRUE(Obj::Application::instance().processFiles({path}).empty());
        EXPECT_TRUE(console.contains(ConsoleCapture::Level::Error, path)) << path;
    }
    EXPECT_EQ(Obj::Application::instance().get_projects().size(), projects);
    EXPECT_EQ(Obj::Application::instance().get_current_project(), project);
    EXPECT_EQ(scene->GetNumberOfNodes(), nodes);
}

TEST_F(TopoFeederTest, FeedersHandTheirSelectableKindsToTheProjectsThreeDView)
{
    Obj::ProjectObject* object = project->add_object("Obj::ProjectObject", "Part");
    auto* feeder = dynamic_cast<Gui::ViewFeederProjectObject*>(gui->get_view_feeder(object));
    ASSERT_NE(feeder, nullptr);
    feeder->updateCanSelect();   // no view yet: nothing to reach, nothing breaks
    auto* view = dynamic_cast<Gui::qView3DMRML*>(gui->createView(Gui::qView3DMRML::getClassTypeId()));
    ASSERT_NE(view, nullptr);
    ASSERT_EQ(gui->getActiveView(), view);
    view->resetCanSelect();
    feeder->updateCanSelect();
    EXPECT_EQ(view->selectableTypes(), (std::vector<pmFwm::pmShapeEntityType>{
                                           pmFwm::pmShapeEntityType(1), pmFwm::pmShapeEntityType(2),
                                           pmFwm::pmShapeEntityType(3), pmFwm::pmShapeEntityType(4)}));
    feeder->ResetSelection();
    feeder->scheduleRender();
    view->close();
}

TEST_F(TopoFeederTest, EditsAndHideRecordsComingBackThroughTheLogicReachTheModel)
{
    const std::string path = writeFile("block.stl", tetrahedron);
    app.open(path.c_str(), "Geometry");
    Obj::Project* opened = Obj::Application::instance().get_current_project();
    ASSERT_NE(opened, project);
    Obj::ProjectObject* object = opened->get_objects().front();
    auto* feeder = dynamic_cast<FemGui::ViewFeederGeometry*>(app.get_view_feeder(object));
    ASSERT_NE(feeder, nullptr);
    vtkMRMLDisplayNode* display = feeder->getMRMLNode()->GetDisplayNode();
    const std::string id = std::to_string(object->getObjectId());

    // The property editor's write-back of a feeder property (command 42).
    pmMsg::runCommand(pmMsg::CMD_SET_OBJECT_FEEDER_PROPERTY, 4, {opened->get_name(), id, "Display Mode", "Wireframe"});
    EXPECT_EQ(display->GetDisplayMode(), 1);
    pmMsg::runCommand(pmMsg::CMD_SET_OBJECT_FEEDER_PROPERTY, 4, {opened->get_name(), id, "Visibility", "False"});
    EXPECT_EQ(display->GetVisibility(), 0);
    pmMsg::runCommand(pmMsg::CMD_SET_OBJECT_FEEDER_PROPERTY, 4, {opened->get_name(), id, "Visibility", "True"});
    EXPECT_EQ(display->GetVisibility(), 1);
    for (const std::vector<std::string>& bad : std::vector<std::vector<std::string>>{
             {opened->get_name(), id, "Glow", "1"},
             {opened->get_name(), id, "Opacity", "half"},
             {opened->get_name(), "999", "Visibility", "False"}}) {
        EXPECT_THROW(pmMsg::runCommand(pmMsg::CMD_SET_OBJECT_FEEDER_PROPERTY, 4, bad), Vexil::ExceptionHandler);
    }
    EXPECT_EQ(display->GetVisibility(), 1);

    // The project's own feeder (command 44).
    Gui::ViewFeederProject* projectFeeder = nullptr;
    keep.emplace_back(app.signal_change_object.connect([&](const Gui::ViewFeeder& f, const Obj::Property&) {
        projectFeeder = dynamic_cast<Gui::ViewFeederProject*>(const_cast<Gui::ViewFeeder*>(&f));
    }));
    pmMsg::runCommand(pmMsg::CMD_SET_PROJECT_FEEDER_PROPERTY, 3, {opened->get_name(), "Visibility", "False"});
    ASSERT_NE(projectFeeder, nullptr);
    EXPECT_EQ(projectFeeder->get_project(), opened);
    EXPECT_FALSE(projectFeeder->Visibility->get_value());

    // Hide and show records set the object's visibility, and the model follows.
    pmMsg::MessageData hide;
    hide.code = pmMsg::REC_HIDE;
    hide.text2 = opened->get_name();
    hide.number = object->getObjectId();
    pmMsg::doCommand(hide);
    EXPECT_EQ(display->GetVisibility(), 0);
    pmMsg::MessageData show = hide;
    show.code = pmMsg::REC_SHOW;
    pmMsg::doCommand(show);
    EXPECT_EQ(display->GetVisibility(), 1);
}
