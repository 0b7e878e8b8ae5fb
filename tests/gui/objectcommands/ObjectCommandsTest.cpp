// The object and annotation commands: placing a fiducial from the command through a click
// in the 3D view, the annotations group, the model loader, and the commands' states.

#include <annotations/ViewFeederAnnotationBase.h>
#include <annotations/vtkMRMLAnnotationFiducialDisplayableManager.h>
#include <annotations/vtkMRMLAnnotationFiducialNode.h>
#include <annotations/vtkMRMLAnnotationFiducialsStorageNode.h>
#include <annotations/vtkMRMLAnnotationRulerNode.h>
#include <annotations/vtkMRMLAnnotationRulerStorageNode.h>
#include <commands/ObjectCommands.h>
#include <core/GuiProject.h>
#include <core/qPelmoraApplication.h>
#include <dialogs/widgets/FileDialog.h>
#include <selection/ProjectItem.h>
#include <selection/ProjectObjectItem.h>
#include <selection/TreeSelectionSingleton.h>
#include <selection/TreeWidget.h>
#include <visualization/ViewFeeder.h>
#include <visualization/qPelmoraThreeDWidget.h>
#include <visualization/qView3DMRML.h>

#include <support/ConsoleCapture.h>
#include <support/GuiSession.h>
#include <support/ModalCloser.h>
#include <support/TestEnvironment.h>

#include <mrml/vtkMRMLInteractionNode.h>
#include <mrml/vtkMRMLModelNode.h>
#include <mrml/vtkMRMLModelStorageNode.h>
#include <mrml/vtkMRMLScene.h>
#include <mrml/vtkMRMLSelectionNode.h>
#include <mrml/vtkMRMLThreeDViewDisplayableManagerFactory.h>
#include <obj/Application.h>
#include <obj/ProjectFileLimits.h>
#include <obj/Project.h>
#include <obj/PropertyCouple.h>
#include <pmmsg/Message.h>
#include <qmrml/qMRMLThreeDView.h>

#include <vtkCellArray.h>
#include <vtkCollection.h>
#include <vtkCommand.h>
#include <vtkIdList.h>
#include <vtkNew.h>
#include <vtkPoints.h>
#include <vtkPolyData.h>
#include <vtkRenderWindowInteractor.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <QtEndian>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <vector>

namespace {

class ObjectCommands : public PelmoraTest::ProjectViewSession
{
protected:
    void SetUp() override
    {
        PelmoraTest::registerFemGuiTypes();
        // As the main window does: every 3D view gets a fiducial manager.
        static const bool fiducialManager = [] {
            vtkMRMLThreeDViewDisplayableManagerFactory::GetInstance()->RegisterDisplayableManager(
                "vtkMRMLAnnotationFiducialDisplayableManager");
            return true;
        }();
        ASSERT_TRUE(fiducialManager);
        ASSERT_NO_FATAL_FAILURE(ProjectViewSession::SetUp());
    }

    void openProject()
    {
        ASSERT_NO_FATAL_FAILURE(newProject());
        showView();
    }

    void run(const char* name) { app->get_command_manager().run_command_by_name(name); }
    Gui::Command* command(const char* name) { return app->get_command_manager().get_command_by_name(name); }

    std::vector<Obj::ProjectObject*> objectsOf(const Vexil::TypeInfo& type) const { return project->get_objects(type); }
};

} // namespace

TEST_F(ObjectCommands, FiducialCommandThenAClickPlacesAFiducialHandedToItsObject)
{
    auto tree = std::make_unique<Gui::TreeWidget>();
    openProject();
    run("Std_AnnotationFiducial");

    // The project's annotations group, with the new fiducial object in its member list.
    ASSERT_NE(project->annotationsGroup, nullptr);
    EXPECT_STREQ(project->annotationsGroup->get_label(), "Annotations");
    const auto fiducials = objectsOf(Obj::AnnotationFiducial::getClassTypeId());
    ASSERT_EQ(fiducials.size(), 1u);
    Obj::ProjectObject* object = fiducials[0];
    EXPECT_EQ(object->parentGroup, project->annotationsGroup);
    auto* members = dynamic_cast<Obj::PropertyCoupleArray*>(project->annotationsGroup->get_property_by_name("Member"));
    ASSERT_NE(members, nullptr);
    EXPECT_EQ(members->get_values(), std::vector<Obj::ProjectObject*>{object});
    EXPECT_EQ(Gui::groupMembers(project->annotationsGroup), std::vector<Obj::ProjectObject*>{object});
    // In the project tree the fiducial sits under the group, which is open.
    Gui::ProjectItem* projectItem = tree->getProjectItem(gui);
    ASSERT_NE(projectItem, nullptr);
    Gui::ProjectObjectItem* groupItem = projectItem->object_item(project->annotationsGroup->getObjectId());
    Gui::ProjectObjectItem* fiducialItem = projectItem->object_item(object->getObjectId());
    ASSERT_NE(groupItem, nullptr);
    ASSERT_NE(fiducialItem, nullptr);
    EXPECT_EQ(fiducialItem->parent(), groupItem);
    EXPECT_EQ(fiducialItem->text(0), QStringLiteral("Fiducial"));
    EXPECT_TRUE(groupItem->isExpanded());

    vtkMRMLScene* scene = gui->mrmlScene();
    auto* interaction = vtkMRMLInteractionNode::SafeDownCast(scene->GetNodeByID("vtkMRMLInteractionNodeSingleton"));
    auto* selection = vtkMRMLSelectionNode::SafeDownCast(scene->GetNodeByID("vtkMRMLSelectionNodeSingleton"));
    ASSERT_NE(interaction, nullptr);
    EXPECT_EQ(interaction->GetCurrentInteractionMode(), vtkMRMLInteractionNode::Place);
    EXPECT_STREQ(selection->GetActivePlaceNodeClassName(), "vtkMRMLAnnotationFiducialNode");

    // A click in the middle of the view.
    vtkRenderWindowInteractor* interactor = view->getViewer()->threeDView()->interactor();
    const int* size = interactor->GetSize();
    interactor->SetEventInformation(size[0] / 2, size[1] / 2);
    interactor->InvokeEvent(vtkCommand::LeftButtonPressEvent);
    interactor->InvokeEvent(vtkCommand::LeftButtonReleaseEvent);

    ASSERT_EQ(scene->GetNumberOfNodesByClass("vtkMRMLAnnotationFiducialNode"), 1);
    auto* node = scene->GetFirstNodeByClass("vtkMRMLAnnotationFiducialNode");
    auto* feeder = dynamic_cast<Gui::ViewFeederAnnotationBase*>(gui->get_view_feeder(object));
    ASSERT_NE(feeder, nullptr);
    EXPECT_EQ(feeder->getMRMLNode(), node);
    EXPECT_EQ(interaction->GetCurrentInteractionMode(), vtkMRMLInteractionNode::ViewTransform);

    // A second fiducial joins the same group.
    run("Std_AnnotationFiducial");
    EXPECT_EQ(objectsOf(Obj::AnnotationsGroup::getClassTypeId()).size(), 1u);
    EXPECT_EQ(members->get_values().size(), 2u);
    tree.reset();
}

TEST_F(ObjectCommands, RulerAndRegionCommandsThenTwoClicksPlaceAnnotationsHandedToTheirObjects)
{
    // As the main window does: the views made from now on get the region and ruler managers.
    for (const char* manager : {"vtkMRMLAnnotationROIDisplayableManager", "vtkMRMLAnnotationRulerDisplayableManager"})
        if (!vtkMRMLThreeDViewDisplayableManagerFactory::GetInstance()->IsDisplayableManagerRegistered(manager))
            vtkMRMLThreeDViewDisplayableManagerFactory::GetInstance()->RegisterDisplayableManager(manager);
    openProject();
    vtkMRMLScene* scene = gui->mrmlScene();
    auto* interaction = vtkMRMLInteractionNode::SafeDownCast(scene->GetNodeByID("vtkMRMLInteractionNodeSingleton"));
    ASSERT_NE(interaction, nullptr);
    vtkRenderWindowInteractor* interactor = view->getViewer()->threeDView()->interactor();
    const int* size = interactor->GetSize();
    auto click = [&](int x, int y) {
        interactor->SetEventInformation(x, y);
        interactor->InvokeEvent(vtkCommand::LeftButtonPressEvent);
        interactor->InvokeEvent(vtkCommand::LeftButtonReleaseEvent);
    };

    struct Case
    {
        const char* command;
        const char* nodeClass;
        const Vexil::TypeInfo& type;
    };
    for (const Case& c : {Case{"Std_AnnotationRuler", "vtkMRMLAnnotationRulerNode", Obj::AnnotationRuler::getClassTypeId()},
                          Case{"Std_AnnotationROI", "vtkMRMLAnnotationROINode", Obj::AnnotationROI::getClassTypeId()}}) {
        SCOPED_TRACE(c.command);
        run(c.command);
        const auto objects = objectsOf(c.type);
        ASSERT_EQ(objects.size(), 1u);
        EXPECT_EQ(interaction->GetCurrentInteractionMode(), vtkMRMLInteractionNode::Place);
        click(size[0] / 2, size[1] / 2);
        EXPECT_EQ(scene->GetNumberOfNodesByClass(c.nodeClass), 0) << "the first click makes nothing yet";
        click(size[0] / 2 + 40, size[1] / 2 + 20);
        ASSERT_EQ(scene->GetNumberOfNodesByClass(c.nodeClass), 1);
        auto* feeder = dynamic_cast<Gui::ViewFeederAnnotationBase*>(gui->get_view_feeder(objects[0]));
        ASSERT_NE(feeder, nullptr);
        EXPECT_EQ(feeder->getMRMLNode(), scene->GetFirstNodeByClass(c.nodeClass));
        EXPECT_EQ(interaction->GetCurrentInteractionMode(), vtkMRMLInteractionNode::ViewTransform);
    }
}

TEST_F(ObjectCommands, WithoutAProjectTheCommandsWarnAndAGroupIsMadeOnce)
{
    {
        PelmoraTest::ModalCloser closer(QMessageBox::Ok);
        run("Std_AnnotationFiducial");
        run("Std_AnnotationsGroup");
        EXPECT_EQ(closer.titles(), (QStringList{"No current project", "No current project"}));
        EXPECT_EQ(closer.texts().value(0), QStringLiteral("Cannot find the current project, no object is created."));
    }
    openProject();
    {
        PelmoraTest::ModalCloser closer(QMessageBox::Ok);
        run("Std_AnnotationsGroup");
        EXPECT_EQ(closer.count(), 0);
        run("Std_AnnotationsGroup");
        EXPECT_EQ(closer.titles(), QStringList{"Found Annotations"});
        EXPECT_EQ(closer.texts(), QStringList{"Annotations Group is already presented, no object is created."});
    }
    EXPECT_EQ(objectsOf(Obj::AnnotationsGroup::getClassTypeId()).size(), 1u);

    // A removed group is no longer the project's.
    const unsigned int id = project->annotationsGroup->getObjectId();
    project->remove_object(id);
    EXPECT_EQ(project->annotationsGroup, nullptr);
}

TEST_F(ObjectCommands, ModelLoaderAddsReadableFilesOnly)
{
    openProject();
    vtkMRMLScene* scene = gui->mrmlScene();
    QTemporaryDir dir;
    const std::string stl = QDir(dir.path()).filePath("ball.stl").toStdString();
    ASSERT_TRUE(PelmoraTest::writeSphereFile(stl, 0.5));
    const std::string other = QDir(dir.path()).filePath("notes.txt").toStdString();
    QFile f(QString::fromStdString(other));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("solid nothing\n");
    f.close();

    const int before = scene->GetNumberOfNodes();
    EXPECT_EQ(Gui::StdCmdMRMLModel::loadModel(other.c_str(), scene), nullptr);
    EXPECT_EQ(scene->GetNumberOfNodes(), before);
    vtkMRMLModelNode* model = Gui::StdCmdMRMLModel::loadModel(stl.c_str(), scene);
    ASSERT_NE(model, nullptr);
    EXPECT_STREQ(model->GetName(), "ball");
    EXPECT_EQ(Gui::StdCmdMRMLModel::loadModel(nullptr, scene), nullptr);

    // The dialog offers exactly what the readers take, each kind once.
    const QStringList filters = Gui::StdCmdMRMLModel::modelFileFilter().split(";;");
    EXPECT_EQ(filters.size(), 7);
    EXPECT_EQ(filters.value(0), "All formats (*.vtk *.vtp *.stl *.ply *.obj *.orig *.white *.pial *.smoothwm "
                                "*.inflated *.sphere)");
    EXPECT_EQ(filters.value(4), "PLY file (*.ply)");
    EXPECT_EQ(filters.value(6), "FreeSurfer surface (*.orig *.white *.pial *.smoothwm *.inflated *.sphere)");
}

TEST_F(ObjectCommands, RegisteredWithTheirTextsAndStates)
{
    for (const char* name : {"Std_Refresh", "Std_RandomShapeColor", "Std_Relabel", "Std_AnnotationsGroup",
                             "Std_AnnotationRuler", "Std_AnnotationROI", "Std_AnnotationFiducial", "Std_MRMLModel"})
        ASSERT_NE(command(name), nullptr) << name;
    EXPECT_STREQ(command("Std_Refresh")->get_shortcut(), "Ctrl+R");
    EXPECT_STREQ(command("Std_AnnotationFiducial")->get_statustip(), "Fiducial for measuring distance");
    EXPECT_STREQ(command("Std_AnnotationFiducial")->get_group_name(), "View");

    openProject();
    Gui::TreeSelectionSingleton& selection = Gui::TreeSelectionSingleton::instance();
    selection.clear_all_selections();
    EXPECT_FALSE(command("Std_Relabel")->is_applicable());
    EXPECT_FALSE(command("Std_RandomShapeColor")->is_applicable());
    Obj::ProjectObject* a = project->add_object("Obj::AnnotationFiducial", "A");
    Obj::ProjectObject* b = project->add_object("Obj::AnnotationFiducial", "B");
    selection.set_selection(project->get_name(), {a});
    EXPECT_TRUE(command("Std_Relabel")->is_applicable());
    EXPECT_TRUE(command("Std_RandomShapeColor")->is_applicable());
    selection.set_selection(project->get_name(), {a, b});
    EXPECT_FALSE(command("Std_Relabel")->is_applicable());

    // A random colour for each selected shape; objects without the colour are passed over.
    Obj::ProjectObject* shape = project->add_object("Obj::GeometryObject", "Shape");
    Gui::ViewFeeder* feeder = gui->get_view_feeder(shape);
    ASSERT_NE(feeder, nullptr);
    auto* color = dynamic_cast<Obj::PropertyColor*>(feeder->get_property_by_name("Shape Color"));
    ASSERT_NE(color, nullptr);
    const std::string before = color->get_value_text();
    selection.set_selection(project->get_name(), {a, shape});
    run("Std_RandomShapeColor");
    EXPECT_NE(color->get_value_text(), before);
    selection.clear_all_selections();
}

namespace {

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeText(const QString& path, const QByteArray& text)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(text);
}

} // namespace

TEST_F(ObjectCommands, AnnotationListFilesOpenAsTheirAnnotationsAndSaveBackUnchanged)
{
    openProject();
    vtkMRMLScene* scene = gui->mrmlScene();
    QTemporaryDir dir;
    const QString rulerFile = QDir(dir.path()).filePath("span.acsv");
    const QString fiducialFile = QDir(dir.path()).filePath("tip.acsv");
    {
        // Files as the program writes them, from a scene of their own.
        vtkNew<vtkMRMLScene> other;
        vtkNew<vtkMRMLAnnotationRulerNode> ruler;
        ruler->Initialize(other);
        ruler->SetName("Span");
        const double p1[3] = {1.5, -2, 3}, p2[3] = {10, 20.25, 30};
        ruler->SetPositionWorldCoordinates1(p1);
        ruler->SetPositionWorldCoordinates2(p2);
        vtkNew<vtkMRMLAnnotationRulerStorageNode> rulerWriter;
        rulerWriter->SetFileName(rulerFile.toUtf8().constData());
        ASSERT_EQ(rulerWriter->WriteData(ruler), 1);
        vtkNew<vtkMRMLAnnotationFiducialNode> fiducial;
        fiducial->Initialize(other);
        fiducial->SetName("Tip");
        fiducial->SetFiducialCoordinates(4, 5, 6);
        vtkNew<vtkMRMLAnnotationFiducialsStorageNode> fiducialWriter;
        fiducialWriter->SetFileName(fiducialFile.toUtf8().constData());
        ASSERT_EQ(fiducialWriter->WriteData(fiducial), 1);
    }
    const QByteArray rulerBytes = readAll(rulerFile);
    const QByteArray fiducialBytes = readAll(fiducialFile);

    app->open(rulerFile.toUtf8().constData(), "Pelmora");
    app->open(fiducialFile.toUtf8().constData(), "Pelmora");
    ASSERT_EQ(objectsOf(Obj::AnnotationRuler::getClassTypeId()).size(), 1u);
    ASSERT_EQ(objectsOf(Obj::AnnotationFiducial::getClassTypeId()).size(), 1u);
    Obj::ProjectObject* fiducialObject = objectsOf(Obj::AnnotationFiducial::getClassTypeId())[0];
    EXPECT_STREQ(fiducialObject->get_label(), "Tip");
    EXPECT_EQ(fiducialObject->parentGroup, project->annotationsGroup);

    auto* rulerNode = vtkMRMLAnnotationRulerNode::SafeDownCast(scene->GetFirstNodeByClass("vtkMRMLAnnotationRulerNode"));
    auto* fiducialNode =
        vtkMRMLAnnotationFiducialNode::SafeDownCast(scene->GetFirstNodeByClass("vtkMRMLAnnotationFiducialNode"));
    ASSERT_NE(rulerNode, nullptr);
    ASSERT_NE(fiducialNode, nullptr);
    auto* feeder = dynamic_cast<Gui::ViewFeederAnnotationBase*>(gui->get_view_feeder(fiducialObject));
    ASSERT_NE(feeder, nullptr);
    EXPECT_EQ(feeder->getMRMLNode(), fiducialNode);
    double p[3];
    ASSERT_TRUE(fiducialNode->GetFiducialCoordinates(p));
    EXPECT_EQ(p[2], 6.0);

    // The fiducial is shown once the view has taken up the read.
    vtkNew<vtkCollection> managers;
    view->getViewer()->getDisplayableManagers(managers);
    vtkMRMLAnnotationDisplayableManager* fiducials = nullptr;
    for (int i = 0; i < managers->GetNumberOfItems(); ++i)
        if (auto* m = vtkMRMLAnnotationFiducialDisplayableManager::SafeDownCast(managers->GetItemAsObject(i)))
            fiducials = m;
    ASSERT_NE(fiducials, nullptr);
    view->getViewer()->threeDView()->forceRender();
    EXPECT_NE(fiducials->GetWidget(fiducialNode), nullptr);

    // Saving through the annotations' storage nodes writes the files back byte for byte.
    ASSERT_EQ(rulerNode->GetStorageNode()->WriteData(rulerNode), 1);
    ASSERT_EQ(fiducialNode->GetStorageNode()->WriteData(fiducialNode), 1);
    EXPECT_EQ(readAll(rulerFile), rulerBytes);
    EXPECT_EQ(readAll(fiducialFile), fiducialBytes);
}

TEST_F(ObjectCommands, AFiducialListFromTheCommandLineOpensAsItsLastPointAndOtherFilesAreRefused)
{
    QTemporaryDir dir;
    const QString fcsv = QDir(dir.path()).filePath("marks.fcsv");
    writeText(fcsv, "# " + QByteArray(5000, 'c') + "\n"
                    "# pointColumns = type|x|y|z|sel|vis\n"
                    "point|1|2|3|1|1\n"
                    "point|7|8|9|0|1\n");
    const QString garbage = QDir(dir.path()).filePath("notes.acsv");
    writeText(garbage, "these are my notes\npoint of view\n");
    const QString empty = QDir(dir.path()).filePath("empty.fcsv");
    writeText(empty, "");
    const QString oneLine = QDir(dir.path()).filePath("line.fcsv");
    writeText(oneLine, QByteArray(3 << 20, 'p'));

    PelmoraTest::ConsoleCapture console;
    Obj::Application& logic = Obj::Application::instance();
    logic.processFiles({garbage.toStdString(), empty.toStdString(), oneLine.toStdString()});
    EXPECT_TRUE(logic.get_projects().empty());
    EXPECT_EQ(console.count(PelmoraTest::ConsoleCapture::Level::Error, "not an annotation list file"), 3);
    // A single line of three megabytes is no list of points, and nothing is made for it.
    EXPECT_EQ(console.count(PelmoraTest::ConsoleCapture::Level::Error, "line.fcsv"), 1);

    logic.processFiles({fcsv.toStdString()});
    project = logic.get_current_project();
    ASSERT_NE(project, nullptr);
    EXPECT_STREQ(project->getProjectName(), "marks");
    gui = app->get_project(project);
    ASSERT_NE(gui, nullptr);
    ASSERT_EQ(objectsOf(Obj::AnnotationFiducial::getClassTypeId()).size(), 1u);
    auto* node = vtkMRMLAnnotationFiducialNode::SafeDownCast(
        gui->mrmlScene()->GetFirstNodeByClass("vtkMRMLAnnotationFiducialNode"));
    ASSERT_NE(node, nullptr);
    double p[3];
    ASSERT_TRUE(node->GetFiducialCoordinates(p));
    EXPECT_EQ(p[0], 7.0);
    EXPECT_EQ(p[1], 8.0);
    EXPECT_EQ(p[2], 9.0);
}

namespace {

void putBigEndian(QByteArray& out, std::uint32_t v)
{
    char bytes[4];
    qToBigEndian(v, bytes);
    out.append(bytes, 4);
}

void putFloat(QByteArray& out, float f)
{
    std::uint32_t bits;
    std::memcpy(&bits, &f, 4);
    putBigEndian(out, bits);
}

// A FreeSurfer triangle surface as FreeSurfer writes it, with its tags after the faces,
// stating the counts given.
QByteArray freeSurferSurface(const std::vector<float>& xyz, const std::vector<std::int32_t>& faces,
                             std::int32_t vertexCount, std::int32_t faceCount)
{
    static const char header[] = "\xff\xff\xfe" "created by tester on Mon Dec  7 09:00:00 2026\n\n";
    QByteArray out(header, sizeof header - 1);
    putBigEndian(out, static_cast<std::uint32_t>(vertexCount));
    putBigEndian(out, static_cast<std::uint32_t>(faceCount));
    for (float f : xyz)
        putFloat(out, f);
    for (std::int32_t i : faces)
        putBigEndian(out, static_cast<std::uint32_t>(i));
    static const char tags[] = "\0\0\0\x03" "valid = 1  # volume info valid\n";
    out.append(tags, sizeof tags - 1);
    return out;
}

QByteArray freeSurferSurface(const std::vector<float>& xyz, const std::vector<std::int32_t>& faces)
{
    return freeSurferSurface(xyz, faces, static_cast<std::int32_t>(xyz.size() / 3),
                             static_cast<std::int32_t>(faces.size() / 3));
}

const std::vector<float> tetraPoints{0, 0, 0, 10.5f, 0, 0, 0, 20.25f, 0, 0, 0, -30};
const std::vector<std::int32_t> tetraFaces{0, 2, 1, 0, 1, 3, 1, 2, 3, 0, 3, 2};

} // namespace

TEST_F(ObjectCommands, ModelLoaderReadsFreeSurferTriangleSurfacesAndRefusesDamagedOnesClearly)
{
    openProject();
    vtkMRMLScene* scene = gui->mrmlScene();
    QTemporaryDir dir;
    const QString folder = QDir(dir.path()).filePath(QStringLiteral("Oberfl\u00e4chen v1.2"));
    ASSERT_TRUE(QDir().mkpath(folder));
    auto file = [&](const char* name, const QByteArray& bytes) {
        const QString path = QDir(folder).filePath(QString::fromUtf8(name));
        writeText(path, bytes);
        return QFile::encodeName(path).toStdString();
    };

    PelmoraTest::ConsoleCapture console;
    vtkMRMLModelNode* model = Gui::StdCmdMRMLModel::loadModel(file("lh.pial", freeSurferSurface(tetraPoints, tetraFaces)).c_str(), scene);
    ASSERT_NE(model, nullptr);
    EXPECT_STREQ(model->GetName(), "lh");
    vtkPolyData* data = model->GetPolyData();
    ASSERT_NE(data, nullptr);
    ASSERT_EQ(data->GetNumberOfPoints(), 4);
    ASSERT_EQ(data->GetNumberOfPolys(), 4);
    double p[3];
    data->GetPoint(2, p);
    EXPECT_EQ(p[1], 20.25);
    data->GetPoint(3, p);
    EXPECT_EQ(p[2], -30.0);
    vtkNew<vtkIdList> ids;
    data->GetCellPoints(1, ids);
    ASSERT_EQ(ids->GetNumberOfIds(), 3);
    EXPECT_EQ(ids->GetId(2), 3);
    EXPECT_NE(model->GetDisplayNode(), nullptr);
    EXPECT_EQ(console.count(PelmoraTest::ConsoleCapture::Level::Error, ""), 0);
    // The other kinds are surfaces too; upper case as written by some tools.
    EXPECT_NE(Gui::StdCmdMRMLModel::loadModel(file("rh.WHITE", freeSurferSurface(tetraPoints, tetraFaces)).c_str(), scene),
              nullptr);

    const QByteArray good = freeSurferSurface(tetraPoints, tetraFaces);
    QByteArray quad = good;
    quad[2] = '\xff';
    std::vector<float> nan = tetraPoints;
    nan[4] = std::numeric_limits<float>::quiet_NaN();
    std::vector<float> infinite = tetraPoints;
    infinite[4] = -std::numeric_limits<float>::infinity();
    const std::vector<float> onePoint(tetraPoints.size(), 2.5f);
    struct Bad
    {
        const char* name;
        QByteArray bytes;
        const char* reason;
    };
    const int before = scene->GetNumberOfNodes();
    for (const Bad& bad : {Bad{"cut.orig", good.left(3 + 47 + 8 + 48 + 20), "is truncated"},
                           Bad{"header.orig", good.left(30), "header text does not end"},
                           Bad{"huge.sphere", freeSurferSurface(tetraPoints, tetraFaces, 0x7fffffff, 0x7fffffff),
                               "is truncated"},
                           Bad{"negative.sphere", freeSurferSurface(tetraPoints, tetraFaces, -4, 4), "negative"},
                           Bad{"quad.inflated", quad, "quadrangle"},
                           Bad{"index.smoothwm", freeSurferSurface(tetraPoints, {0, 1, 4, 0, 1, 2}), "names vertex 4"},
                           Bad{"nan.white", freeSurferSurface(nan, tetraFaces), "point 1 has a coordinate that is not a number"},
                           Bad{"inf.white", freeSurferSurface(infinite, tetraFaces), "point 1 has a coordinate that is infinite"},
                           Bad{"point.white", freeSurferSurface(onePoint, tetraFaces), "all its 4 faces collapse to one point"},
                           Bad{"corner.white", freeSurferSurface(tetraPoints, {0, 0, 0}), "its one face collapses to a point"},
                           Bad{"notes.pial", "these are my notes on the pial surface\n", "not a FreeSurfer surface"},
                           Bad{"empty.pial", "", "is empty"}}) {
        SCOPED_TRACE(bad.name);
        console.clear();
        EXPECT_EQ(Gui::StdCmdMRMLModel::loadModel(file(bad.name, bad.bytes).c_str(), scene), nullptr);
        EXPECT_EQ(console.count(PelmoraTest::ConsoleCapture::Level::Error, "Cannot open model file"), 1);
        EXPECT_EQ(console.count(PelmoraTest::ConsoleCapture::Level::Error, bad.name), 1);
        EXPECT_EQ(console.count(PelmoraTest::ConsoleCapture::Level::Error, bad.reason), 1);
    }
    EXPECT_EQ(scene->GetNumberOfNodes(), before);
}

TEST_F(ObjectCommands, ModelLoaderReadsTheFileAFileURINamesAndLeavesRemoteDataPending)
{
    openProject();
    vtkMRMLScene* scene = gui->mrmlScene();
    QTemporaryDir dir;
    const QString folder = QDir(dir.path()).filePath(QStringLiteral("shared models \u00e9t\u00e9"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString stl = QDir(folder).filePath(QStringLiteral("ball.v2.stl"));
    ASSERT_TRUE(PelmoraTest::writeSphereFile(QFile::encodeName(stl).toStdString(), 0.5));
    writeText(QDir(folder).filePath(QStringLiteral("lh.pial")), freeSurferSurface(tetraPoints, tetraFaces));

    PelmoraTest::ConsoleCapture console;
    const QByteArray uri = QUrl::fromLocalFile(stl).toEncoded();
    ASSERT_TRUE(uri.contains("%20")) << uri.constData();
    vtkMRMLModelNode* model = Gui::StdCmdMRMLModel::loadModel(uri.constData(), scene);
    ASSERT_NE(model, nullptr);
    EXPECT_STREQ(model->GetName(), "ball");
    EXPECT_GT(model->GetPolyData()->GetNumberOfPoints(), 0);
    auto* storage = vtkMRMLStorageNode::SafeDownCast(model->GetStorageNode());
    ASSERT_NE(storage, nullptr);
    EXPECT_EQ(QFile::decodeName(storage->GetFileName()), stl);
    EXPECT_EQ(storage->GetReadState(), vtkMRMLStorageNode::TransferDone);
    const QByteArray surface = "file://localhost" + QUrl::fromLocalFile(QDir(folder).filePath("lh.pial")).toEncoded().mid(7);
    EXPECT_NE(Gui::StdCmdMRMLModel::loadModel(surface.constData(), scene), nullptr) << surface.constData();
    EXPECT_EQ(console.count(PelmoraTest::ConsoleCapture::Level::Error, ""), 0);

    const int before = scene->GetNumberOfNodes();
    for (const char* remote : {"https://example.invalid/models/ball.stl", "file://fileserver/models/ball.stl"}) {
        SCOPED_TRACE(remote);
        console.clear();
        EXPECT_EQ(Gui::StdCmdMRMLModel::loadModel(remote, scene), nullptr);
        EXPECT_EQ(console.count(PelmoraTest::ConsoleCapture::Level::Error, "not fetched: its read stays pending"), 1);
    }
    EXPECT_EQ(scene->GetNumberOfNodes(), before);

    // A storage node named by a file URI alone reads through it; one of a remote URI stays pending.
    vtkNew<vtkMRMLModelNode> target;
    vtkNew<vtkMRMLModelStorageNode> local;
    local->SetURI(uri.constData());
    EXPECT_EQ(local->ReadData(target), 1);
    EXPECT_GT(target->GetPolyData()->GetNumberOfPoints(), 0);
    vtkNew<vtkMRMLModelStorageNode> far;
    far->SetURI("https://example.invalid/models/ball.stl");
    EXPECT_EQ(far->ReadData(target), 0);
    EXPECT_EQ(far->GetReadState(), vtkMRMLStorageNode::Pending);
}

TEST_F(ObjectCommands, ModelURIsAreDecodedBeforeTheirKindIsTakenByTheLoaderAndTheStorageNodeAlike)
{
    openProject();
    vtkMRMLScene* scene = gui->mrmlScene();
    QTemporaryDir dir;
    const QString folder = QDir(dir.path()).filePath(QStringLiteral("shared models \u00e9t\u00e9"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString stl = QDir(folder).filePath(QStringLiteral("t.stl"));
    ASSERT_TRUE(PelmoraTest::writeSphereFile(QFile::encodeName(stl).toStdString(), 0.5, 8, 8));
    ASSERT_TRUE(PelmoraTest::writeSphereFile(QFile::encodeName(QDir(folder).filePath("t.vtk")).toStdString(), 0.5, 4, 4));
    const QByteArray folderURI = QUrl::fromLocalFile(folder).toEncoded();
    const QByteArray folderPath = QUrl::fromLocalFile(folder).path(QUrl::FullyEncoded).toLatin1();

    // Every spelling names t.stl: an escaped dot, a query after the name, one slash.
    PelmoraTest::ConsoleCapture console;
    for (const QByteArray& uri : {folderURI + "/t%2Estl", folderURI + "/t.stl?x=1", "file:" + folderPath + "/t.stl",
                                  "FILE://localhost" + folderPath + "/t%2estl"}) {
        SCOPED_TRACE(uri.constData());
        console.clear();
        vtkMRMLModelNode* model = Gui::StdCmdMRMLModel::loadModel(uri.constData(), scene);
        ASSERT_NE(model, nullptr) << (console.lines().empty() ? std::string() : console.lines().back().text);
        EXPECT_EQ(model->GetPolyData()->GetNumberOfPoints(), 50);
        auto* storage = vtkMRMLStorageNode::SafeDownCast(model->GetStorageNode());
        ASSERT_NE(storage, nullptr);
        EXPECT_EQ(QFile::decodeName(storage->GetFileName()), stl);

        vtkNew<vtkMRMLModelNode> target;
        vtkNew<vtkMRMLModelStorageNode> node;
        node->SetURI(uri.constData());
        EXPECT_EQ(node->ReadData(target), 1) << node->GetLastErrorMessage();
        ASSERT_NE(target->GetPolyData(), nullptr);
        EXPECT_EQ(target->GetPolyData()->GetNumberOfPoints(), 50);
    }
    EXPECT_EQ(console.count(PelmoraTest::ConsoleCapture::Level::Error, ""), 0);

    // A NUL in the path would end the name early and read another file (here t.vtk).
    const int before = scene->GetNumberOfNodes();
    const QByteArray nul = folderURI + "/t.vtk%00.stl";
    console.clear();
    EXPECT_EQ(Gui::StdCmdMRMLModel::loadModel(nul.constData(), scene), nullptr);
    EXPECT_EQ(console.count(PelmoraTest::ConsoleCapture::Level::Error, "its path holds a NUL character"), 1);
    EXPECT_EQ(scene->GetNumberOfNodes(), before);
    vtkNew<vtkMRMLModelNode> target;
    vtkNew<vtkMRMLModelStorageNode> node;
    node->SetURI(nul.constData());
    EXPECT_EQ(node->ReadData(target), 0);
    EXPECT_NE(node->GetLastErrorMessage().find("its path holds a NUL character"), std::string::npos)
        << node->GetLastErrorMessage();
    EXPECT_EQ(target->GetPolyData(), nullptr);
}

TEST_F(ObjectCommands, TheModelButtonNamesEachModelAfterItsFileUpToTheFirstDot)
{
    openProject();
    // As when the user activates the project's view.
    app->set_current_project(gui);
    vtkMRMLScene* scene = gui->mrmlScene();
    QTemporaryDir dir;
    const QString folder = QDir(dir.path()).filePath(QStringLiteral("Modelle v2.1 \u00fcber"));
    ASSERT_TRUE(QDir().mkpath(folder));
    QStringList chosen;
    for (const char* name : {"ball.v3.stl", "ball.v2.stl", "gear wheel \xc3\xbc.final.stl", ".mesh.stl"}) {
        chosen << QDir(folder).filePath(QString::fromUtf8(name));
        ASSERT_TRUE(PelmoraTest::writeSphereFile(QFile::encodeName(chosen.last()).toStdString(), 0.5));
    }
    // The user picks the four files in the "Load model file" dialog.
    Gui::FileDialog::Backend backend;
    QString caption;
    backend.openFileNames = [&](QWidget*, const QString& title, const QString&, const QString&, QString*,
                                QFileDialog::Options) {
        caption = title;
        return chosen;
    };
    const Gui::FileDialog::Backend previous = Gui::FileDialog::setBackend(backend);
    PelmoraTest::ConsoleCapture console;
    command("Std_MRMLModel")->invoke(0);
    Gui::FileDialog::setBackend(previous);
    EXPECT_EQ(caption, QStringLiteral("Load model file"));
    EXPECT_EQ(console.count(PelmoraTest::ConsoleCapture::Level::Error, ""), 0);

    // Each model is named after its file up to the first dot; the second "ball" gets the
    // scene's next free name.
    std::vector<std::string> names;
    std::vector<vtkMRMLNode*> nodes;
    scene->GetNodesByClass("vtkMRMLModelNode", nodes);
    for (vtkMRMLNode* node : nodes)
        if (auto* model = vtkMRMLModelNode::SafeDownCast(node))
            if (model->GetStorageNode())
                names.emplace_back(model->GetName());
    EXPECT_EQ(names, (std::vector<std::string>{"ball", "ball_1", "gear wheel \xc3\xbc", ".mesh"}));
}

// At the limit of objects one project file holds (lowered for the test), an annotation
// placed with a command or read from a list file is refused with the reason, the group
// and the annotation both or neither; with room for them they are made.
TEST_F(ObjectCommands, AnnotationsStopAtWhatAProjectFileHolds)
{
    Obj::ProjectFileLimits::TestLimits limits(10, 3);
    openProject();
    Obj::Application& logic = Obj::Application::instance();
    project->add_object("Obj::ProjectObject", "Box");
    project->add_object("Obj::ProjectObject", "Ball");
    QTemporaryDir dir;
    const QString fcsv = QDir(dir.path()).filePath("marks.fcsv");
    writeText(fcsv, "# pointColumns = type|x|y|z|sel|vis\npoint|1|2|3|1|1\n");
    const std::string full = "2 objects are open, and 2 more would be more than the 3 one project file may hold";
    {
        PelmoraTest::ModalCloser closer(QMessageBox::Ok);
        PelmoraTest::ConsoleCapture console;
        run("Std_AnnotationFiducial");
        EXPECT_EQ(closer.texts(), QStringList{QString::fromStdString("Cannot add an annotation to " +
                                                                     std::string(project->get_name()) + ": " + full)});
        logic.processFiles({fcsv.toStdString()});
        EXPECT_TRUE(console.contains(PelmoraTest::ConsoleCapture::Level::Error, "marks.fcsv: " + full));
        EXPECT_EQ(logic.get_num_objects(), 2u);
        EXPECT_EQ(project->annotationsGroup, nullptr);
    }
    // The Model button where the group would be one object too many: refused before a file
    // is chosen; nothing is drawn, nothing is added.
    {
        Obj::ProjectObject* extra = project->add_object("Obj::ProjectObject", "Extra");
        app->set_current_project(gui);
        const QString ball = QDir(dir.path()).filePath("ball.stl");
        ASSERT_TRUE(PelmoraTest::writeSphereFile(QFile::encodeName(ball).toStdString(), 0.5));
        int dialogs = 0;
        Gui::FileDialog::Backend backend;
        backend.openFileNames = [&](QWidget*, const QString&, const QString&, const QString&, QString*,
                                    QFileDialog::Options) {
            ++dialogs;
            return QStringList{ball};
        };
        const Gui::FileDialog::Backend previous = Gui::FileDialog::setBackend(backend);
        PelmoraTest::ConsoleCapture console;
        const int models = gui->mrmlScene()->GetNumberOfNodesByClass("vtkMRMLModelNode");
        command("Std_MRMLModel")->invoke(0);
        Gui::FileDialog::setBackend(previous);
        EXPECT_EQ(dialogs, 0);
        EXPECT_EQ(console.count(PelmoraTest::ConsoleCapture::Level::Error, ""), 1);
        EXPECT_TRUE(console.contains(PelmoraTest::ConsoleCapture::Level::Error,
                                     "Cannot load a model into " + std::string(project->get_name())
                                         + ": 3 objects are open, and 1 more would be more than the 3 one project file may hold"));
        EXPECT_EQ(gui->mrmlScene()->GetNumberOfNodesByClass("vtkMRMLModelNode"), models);
        EXPECT_EQ(project->annotationsGroup, nullptr);
        EXPECT_EQ(logic.get_num_objects(), 3u);
        project->remove_object(extra->getObjectId());
    }
    // Room for the group and one annotation: the file's fiducial comes in with its group.
    project->remove_object(project->get_object("Ball")->getObjectId());
    logic.processFiles({fcsv.toStdString()});
    EXPECT_EQ(objectsOf(Obj::AnnotationFiducial::getClassTypeId()).size(), 1u);
    EXPECT_NE(project->annotationsGroup, nullptr);
    EXPECT_EQ(logic.get_num_objects(), 3u);
}
