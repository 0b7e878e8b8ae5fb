// Annotations kept with their project: a placed fiducial, a ruler read from a list file and
// a region of interest come back from a saved project as the same nodes, in this process,
// in another one and in the application given the file; copies and duplicates carry their
// annotation; a damaged annotation text is refused.

#include <annotations/AnnotationProjectFiles.h>
#include <support/HangGuard.h>
#include <annotations/ViewFeederAnnotationBase.h>
#include <annotations/vtkMRMLAnnotationFiducialDisplayableManager.h>
#include <annotations/vtkMRMLAnnotationFiducialNode.h>
#include <annotations/vtkMRMLAnnotationPointDisplayNode.h>
#include <annotations/vtkMRMLAnnotationROINode.h>
#include <annotations/vtkMRMLAnnotationRulerNode.h>
#include <annotations/vtkMRMLAnnotationRulerStorageNode.h>
#include <commands/Command.h>
#include <core/GfxDatabase.h>
#include <core/GuiProject.h>
#include <core/qPelmoraApplication.h>
#include <visualization/qPelmoraThreeDWidget.h>
#include <visualization/qView3DMRML.h>

#include <support/ConsoleCapture.h>
#include <support/CostLimits.h>
#include <support/OwnMemory.h>
#include <support/TestEnvironment.h>

#include <femgui/FemGui.h>
#include <mrml/vtkMRMLScene.h>
#include <mrml/vtkMRMLThreeDViewDisplayableManagerFactory.h>
#include <obj/Application.h>
#include <obj/Project.h>
#include <obj/PropertyCouple.h>
#include <pmmsg/Message.h>
#include <qmrml/qMRMLThreeDView.h>

#include <QVTKOpenGLNativeWidget.h>
#include <vtkCollection.h>
#include <vtkCommand.h>
#include <vtkNew.h>
#include <vtkRenderWindowInteractor.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QSurfaceFormat>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <cstring>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

const bool surfaceFormatSet = [] {
    QSurfaceFormat::setDefaultFormat(QVTKOpenGLNativeWidget::defaultFormat());
    return true;
}();

class AnnotationProjects : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(surfaceFormatSet);
        static const bool registered = [] {
            Obj::Application::init_types();
            Gui::qPelmoraApplication::initialize_application();
            Gui::GfxDatabase::init();
            FemGui::initModule();
            vtkMRMLThreeDViewDisplayableManagerFactory::GetInstance()->RegisterDisplayableManager(
                "vtkMRMLAnnotationFiducialDisplayableManager");
            return true;
        }();
        ASSERT_TRUE(registered);
        app = std::make_unique<Gui::qPelmoraApplication>(true);
    }

    void TearDown() override
    {
        app.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    Obj::Project* openProject()
    {
        pmMsg::runCommand(pmMsg::CMD_NEW_PROJECT, 1, {"Unnamed Project"});
        Obj::Project* project = Obj::Application::instance().get_current_project();
        if (Gui::qView3DMRML* view = viewOf(project)) {
            view->resize(320, 320);
            view->show();
            EXPECT_TRUE(QTest::qWaitForWindowExposed(view, PelmoraTest::HangGuardMs));
        }
        return project;
    }

    Gui::qView3DMRML* viewOf(Obj::Project* project) const
    {
        Gui::GuiProject* gui = project ? app->get_project(project) : nullptr;
        if (!gui || gui->getMDIViews().empty())
            return nullptr;
        return qobject_cast<Gui::qView3DMRML*>(gui->getMDIViews().front());
    }

    vtkMRMLScene* sceneOf(Obj::Project* project) const
    {
        Gui::GuiProject* gui = project ? app->get_project(project) : nullptr;
        return gui ? gui->mrmlScene() : nullptr;
    }

    template <class Node>
    Node* nodeOf(Obj::ProjectObject* object) const
    {
        Gui::GuiProject* gui = object ? app->get_project(object->get_project()) : nullptr;
        auto* feeder = dynamic_cast<Gui::ViewFeederAnnotationBase*>(gui ? gui->get_view_feeder(object) : nullptr);
        return feeder ? Node::SafeDownCast(feeder->getMRMLNode()) : nullptr;
    }

    // Places a fiducial with the fiducial command and a click in the middle of the view.
    Obj::ProjectObject* placeFiducial(Obj::Project* project)
    {
        app->get_command_manager().run_command_by_name("Std_AnnotationFiducial");
        const auto objects = project->get_objects(Obj::AnnotationFiducial::getClassTypeId());
        vtkRenderWindowInteractor* interactor = viewOf(project)->getViewer()->threeDView()->interactor();
        const int* size = interactor->GetSize();
        interactor->SetEventInformation(size[0] / 2, size[1] / 2);
        interactor->InvokeEvent(vtkCommand::LeftButtonPressEvent);
        interactor->InvokeEvent(vtkCommand::LeftButtonReleaseEvent);
        return objects.empty() ? nullptr : objects.back();
    }

    // Saves every project, closes them and opens the file again as a user does.
    void saveCloseAndOpen(const QString& file)
    {
        Obj::Application& logic = Obj::Application::instance();
        ASSERT_TRUE(logic.save_as_file(1, file.toUtf8().constData())) << logic.last_file_error();
        for (Obj::Project* project : logic.get_projects())
            logic.close_project(project->get_name());
        ASSERT_TRUE(logic.get_projects().empty());
        app->openPMDB(file.toUtf8().constData(), "Pelmora");
        ASSERT_FALSE(logic.get_projects().empty()) << logic.last_file_error();
    }

    Obj::ProjectObject* only(Obj::Project* project, const Vexil::TypeInfo& type)
    {
        const auto objects = project->get_objects(type);
        EXPECT_EQ(objects.size(), 1u) << type.get_name();
        return objects.empty() ? nullptr : objects.front();
    }

    PelmoraTest::ScopedLogic logic;
    std::unique_ptr<Gui::qPelmoraApplication> app;
};

std::vector<double> coordinates(vtkMRMLAnnotationFiducialNode* node)
{
    double p[3] = {0, 0, 0};
    if (!node || !node->GetFiducialCoordinates(p))
        return {};
    return {p[0], p[1], p[2]};
}

std::vector<double> rulerEnds(vtkMRMLAnnotationRulerNode* node)
{
    double a[3], b[3];
    node->GetPositionWorldCoordinates1(a);
    node->GetPositionWorldCoordinates2(b);
    return {a[0], a[1], a[2], b[0], b[1], b[2]};
}

// The widget that draws the node in the project's 3D view; null when it is not drawn.
vtkAbstractWidget* widgetOf(Gui::qView3DMRML* view, vtkMRMLAnnotationNode* node)
{
    if (!view)
        return nullptr;
    view->getViewer()->threeDView()->forceRender();
    vtkNew<vtkCollection> managers;
    view->getViewer()->getDisplayableManagers(managers);
    for (int i = 0; i < managers->GetNumberOfItems(); ++i)
        if (auto* m = vtkMRMLAnnotationFiducialDisplayableManager::SafeDownCast(managers->GetItemAsObject(i)))
            return m->GetWidget(node);
    return nullptr;
}

} // namespace

TEST_F(AnnotationProjects, APlacedFiducialComesBackWhereItWasWithItsNameAndLooks)
{
    QTemporaryDir dir;
    Obj::Project* project = openProject();
    Obj::ProjectObject* placed = placeFiducial(project);
    auto* node = nodeOf<vtkMRMLAnnotationFiducialNode>(placed);
    ASSERT_NE(node, nullptr);
    EXPECT_NE(widgetOf(viewOf(project), node), nullptr);

    // Changes after the placement reach the project: it has something to save.
    project->set_modified(false);
    node->SetFiducialCoordinates(1.25, -2.5, 1.0 / 3.0);
    EXPECT_TRUE(project->is_modified());
    node->SetName("Tip | of\nthe probe");
    node->SetText(0, "Probe tip", 1, 1);
    const double red[3] = {1, 0, 0};
    node->GetAnnotationPointDisplayNode()->SetColor(red);
    node->GetAnnotationPointDisplayNode()->SetGlyphScale(7.5);
    Obj::Application::instance().get_current_project()->rename_object(placed->getObjectId(), "Probe");
    const std::vector<double> where = coordinates(node);

    saveCloseAndOpen(dir.filePath("probe.pmdb"));

    project = Obj::Application::instance().get_current_project();
    ASSERT_NE(project, nullptr);
    Obj::ProjectObject* fiducial = only(project, Obj::AnnotationFiducial::getClassTypeId());
    ASSERT_NE(fiducial, nullptr);
    EXPECT_STREQ(fiducial->get_label(), "Probe");
    auto* back = nodeOf<vtkMRMLAnnotationFiducialNode>(fiducial);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->GetScene(), sceneOf(project));
    EXPECT_EQ(coordinates(back), where);
    EXPECT_STREQ(back->GetName(), "Tip | of\nthe probe");
    EXPECT_EQ(std::string(back->GetText(0)), "Probe tip");
    const double* color = back->GetAnnotationPointDisplayNode()->GetColor();
    EXPECT_EQ(std::vector<double>(color, color + 3), std::vector<double>(red, red + 3));
    EXPECT_EQ(back->GetAnnotationPointDisplayNode()->GetGlyphScale(), 7.5);
    EXPECT_EQ(sceneOf(project)->GetNumberOfNodesByClass("vtkMRMLAnnotationFiducialNode"), 1);
    EXPECT_FALSE(project->is_modified());
    // Drawn in the project's view.
    EXPECT_NE(widgetOf(viewOf(project), back), nullptr);

    // The project's annotations group came back as its own: the next fiducial joins it.
    ASSERT_NE(project->annotationsGroup, nullptr);
    EXPECT_EQ(fiducial->parentGroup, project->annotationsGroup);
    if (Gui::qView3DMRML* view = viewOf(project)) {
        view->resize(320, 320);
        view->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(view, PelmoraTest::HangGuardMs));
        placeFiducial(project);
        EXPECT_EQ(project->get_objects(Obj::AnnotationsGroup::getClassTypeId()).size(), 1u);
        EXPECT_EQ(project->annotationsGroup->get_objects().size(), 2u);
    }
}

TEST_F(AnnotationProjects, ARulerFromAListFileAndARegionOfInterestKeepTheirPoints)
{
    QTemporaryDir dir;
    Obj::Project* project = openProject();
    const QString rulerFile = dir.filePath("span.acsv");
    {
        vtkNew<vtkMRMLScene> other;
        vtkNew<vtkMRMLAnnotationRulerNode> ruler;
        ruler->Initialize(other);
        ruler->SetName("Span");
        const double p1[3] = {1.5, -2, 3}, p2[3] = {10, 20.25, 0.1};
        ruler->SetPositionWorldCoordinates1(p1);
        ruler->SetPositionWorldCoordinates2(p2);
        vtkNew<vtkMRMLAnnotationRulerStorageNode> writer;
        writer->SetFileName(rulerFile.toUtf8().constData());
        ASSERT_EQ(writer->WriteData(ruler), 1);
    }
    ASSERT_TRUE(Gui::openAnnotationListFile(rulerFile.toStdString()));
    // A region of interest made in the scene and handed to its object.
    Obj::ProjectObject* roiObject = Gui::addAnnotationObject(project, "Obj::AnnotationROI", "Box");
    vtkNew<vtkMRMLAnnotationROINode> roi;
    roi->Initialize(sceneOf(project));
    roi->SetXYZ(1, 2, 3);
    roi->SetRadiusXYZ(4, 5, 6.5);
    roi->SetName("Box");
    auto* roiFeeder =
        dynamic_cast<Gui::ViewFeederAnnotationBase*>(app->get_project(project)->get_view_feeder(roiObject));
    ASSERT_NE(roiFeeder, nullptr);
    roiFeeder->setMRMLNode(roi);
    // Hidden after it was handed over.
    roi->SetDisplayVisibility(0);

    saveCloseAndOpen(dir.filePath("measures.pmdb"));

    project = Obj::Application::instance().get_current_project();
    ASSERT_NE(project, nullptr);
    auto* ruler = nodeOf<vtkMRMLAnnotationRulerNode>(only(project, Obj::AnnotationRuler::getClassTypeId()));
    ASSERT_NE(ruler, nullptr);
    EXPECT_STREQ(ruler->GetName(), "Span");
    EXPECT_EQ(rulerEnds(ruler), (std::vector<double>{1.5, -2, 3, 10, 20.25, 0.1}));
    auto* box = nodeOf<vtkMRMLAnnotationROINode>(only(project, Obj::AnnotationROI::getClassTypeId()));
    ASSERT_NE(box, nullptr);
    double centre[3], radius[3];
    ASSERT_TRUE(box->GetXYZ(centre));
    ASSERT_TRUE(box->GetRadiusXYZ(radius));
    EXPECT_EQ(std::vector<double>(centre, centre + 3), (std::vector<double>{1, 2, 3}));
    EXPECT_EQ(std::vector<double>(radius, radius + 3), (std::vector<double>{4, 5, 6.5}));
    EXPECT_EQ(box->GetDisplayVisibility(), 0);
}

TEST_F(AnnotationProjects, CopiesAndDuplicatesBringTheirOwnNodeAtTheSamePlace)
{
    Obj::Project* project = openProject();
    Obj::ProjectObject* original = placeFiducial(project);
    auto* node = nodeOf<vtkMRMLAnnotationFiducialNode>(original);
    ASSERT_NE(node, nullptr);
    node->SetFiducialCoordinates(3, 4, 5);

    // Duplicate takes over the object's content.
    Obj::ProjectObject* duplicate = project->add_object("Obj::AnnotationFiducial", "Copy");
    duplicate->copy_content(*original);
    project->annotationsGroup->get_member_list().add_value(duplicate);
    auto* duplicated = nodeOf<vtkMRMLAnnotationFiducialNode>(duplicate);
    ASSERT_NE(duplicated, nullptr);
    EXPECT_NE(duplicated, node);
    EXPECT_EQ(coordinates(duplicated), (std::vector<double>{3, 4, 5}));

    // Copied to another project, with its group.
    std::stringstream copied;
    project->export_objects(project->get_dependency_graph({project->annotationsGroup}), copied);
    Obj::Project* other = openProject();
    ASSERT_NE(other, project);
    const auto pasted = other->import_objects(copied);
    ASSERT_EQ(pasted.size(), 3u);
    EXPECT_EQ(other->annotationsGroup, pasted[0]);
    for (Obj::ProjectObject* object : other->get_objects(Obj::AnnotationFiducial::getClassTypeId())) {
        auto* copy = nodeOf<vtkMRMLAnnotationFiducialNode>(object);
        ASSERT_NE(copy, nullptr) << object->get_label();
        EXPECT_EQ(copy->GetScene(), sceneOf(other));
        EXPECT_EQ(coordinates(copy), (std::vector<double>{3, 4, 5}));
        EXPECT_EQ(object->parentGroup, other->annotationsGroup);
    }
    // The original stays where it is when a copy moves.
    auto* pastedNode = nodeOf<vtkMRMLAnnotationFiducialNode>(pasted[1]);
    ASSERT_NE(pastedNode, nullptr) << pasted[1]->getTypeId().get_name();
    pastedNode->SetFiducialCoordinates(0.0, 0.0, 0.0);
    EXPECT_EQ(coordinates(node), (std::vector<double>{3, 4, 5}));
}

TEST_F(AnnotationProjects, ADamagedAnnotationTextIsRefusedAndLeavesNoNode)
{
    Obj::Project* project = openProject();
    vtkMRMLScene* scene = sceneOf(project);
    const int nodesBefore = scene->GetNumberOfNodes();
    std::string good;
    {
        vtkNew<vtkMRMLAnnotationFiducialNode> node;
        node->Initialize(scene);
        node->SetFiducialCoordinates(1, 2, 3);
        ASSERT_TRUE(Gui::annotationNodeText(node, good));
        for (int i = node->GetNumberOfDisplayNodes() - 1; i >= 0; --i)
            scene->RemoveNode(node->GetNthDisplayNode(i));
        scene->RemoveNode(node);
    }
    ASSERT_EQ(scene->GetNumberOfNodes(), nodesBefore);

    PelmoraTest::ConsoleCapture console;
    std::string nan = good;
    nan.replace(nan.rfind("point|") + 6, 1, "nan");
    const std::string damaged[] = {"these are my notes\n", "\x7f\x45\x4c\x46\x02\x01\x01", nan};
    int refused = 0;
    for (const std::string& text : damaged) {
        auto* object = static_cast<Obj::AnnotationObject*>(
            Gui::addAnnotationObject(project, "Obj::AnnotationFiducial", "Broken"));
        object->set_annotation_text(text);
        EXPECT_EQ(nodeOf<vtkMRMLAnnotationFiducialNode>(object), nullptr) << text;
        EXPECT_EQ(scene->GetNumberOfNodes(), nodesBefore) << text;
        EXPECT_EQ(console.count(PelmoraTest::ConsoleCapture::Level::Error, "cannot be read"), ++refused);
    }
    // A text cut short reads what it holds, or nothing, and never half a node.
    for (std::size_t cut : {good.size() / 3, good.size() / 2, good.size() - 3}) {
        auto* object = static_cast<Obj::AnnotationObject*>(
            Gui::addAnnotationObject(project, "Obj::AnnotationFiducial", "Cut"));
        object->set_annotation_text(good.substr(0, cut));
        if (!nodeOf<vtkMRMLAnnotationFiducialNode>(object)) {
            EXPECT_EQ(scene->GetNumberOfNodes(), nodesBefore);
        }
    }
}

// A list file whose reading needs more memory than there is is refused as a damaged one
// is, for either reader: the scene holds what it held and its batch has ended, and the
// next file opens.
TEST_F(AnnotationProjects, AListFileMemoryCannotHoldIsRefusedAndTheNextOneOpens)
{
    PELMORA_SKIP_COST_LIMITS_WHEN_INSTRUMENTED();
    QTemporaryDir dir;
    Obj::Project* project = openProject();
    vtkMRMLScene* scene = sceneOf(project);
    const QString rulerFile = dir.filePath("span.acsv");
    {
        vtkNew<vtkMRMLScene> other;
        vtkNew<vtkMRMLAnnotationRulerNode> ruler;
        ruler->Initialize(other);
        const double p1[3] = {0, 0, 0}, p2[3] = {1, 2, 3};
        ruler->SetPositionWorldCoordinates1(p1);
        ruler->SetPositionWorldCoordinates2(p2);
        vtkNew<vtkMRMLAnnotationRulerStorageNode> writer;
        writer->SetFileName(rulerFile.toUtf8().constData());
        ASSERT_EQ(writer->WriteData(ruler), 1);
    }
    QFile rulerText(rulerFile);
    ASSERT_TRUE(rulerText.open(QIODevice::ReadOnly));
    const std::string ruler = rulerText.readAll().toStdString();
    const struct
    {
        const char* name;
        std::string content;
        const char* header;
    } files[] = {{"ruler..many names.acsv", ruler, "# textColumns = type|annotation|sel|vis"},
                 {"fiducial..many names.fcsv", "# pointColumns = type|x|y|z|sel|vis\npoint|1|2|3|1|1\n",
                  "# pointColumns = type|x|y|z|sel|vis"}};
    // Four million names its header names: a few hundred megabytes to tell them apart.
    std::string names;
    for (int i = 0; i < 4000000; ++i)
        names += "|c" + std::to_string(i);
    for (const auto& f : files) {
        SCOPED_TRACE(f.name);
        std::string content = f.content;
        const size_t header = content.find(f.header);
        ASSERT_NE(header, std::string::npos);
        content.insert(header + std::strlen(f.header), names);
        const QString big = dir.filePath(QString::fromUtf8(f.name));
        QFile out(big);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        ASSERT_EQ(out.write(content.data(), qint64(content.size())), qint64(content.size()));
        out.close();
        const int nodesBefore = scene->GetNumberOfNodes();
        PelmoraTest::ConsoleCapture console;
        bool opened = true;
        {
            // A hundred megabytes above what this process holds now.
            rlimit saved{};
            ASSERT_EQ(getrlimit(RLIMIT_AS, &saved), 0);
            rlimit capped = saved;
            capped.rlim_cur = static_cast<rlim_t>(PelmoraTest::statusKiB("VmSize") + 100 * 1024) * 1024;
            ASSERT_EQ(setrlimit(RLIMIT_AS, &capped), 0);
            opened = Gui::openAnnotationListFile(big.toStdString());
            setrlimit(RLIMIT_AS, &saved);
        }
        EXPECT_FALSE(opened);
        EXPECT_TRUE(console.contains(PelmoraTest::ConsoleCapture::Level::Error, "there is not enough memory to read it"));
        EXPECT_EQ(scene->GetNumberOfNodes(), nodesBefore);
        EXPECT_FALSE(scene->IsBatchProcessing());
        QFile::remove(big);
        EXPECT_TRUE(Gui::openAnnotationListFile(rulerFile.toStdString()));
        EXPECT_GT(scene->GetNumberOfNodes(), nodesBefore);
    }
}

// The child half of the next test: runs only when the parent names a file.
TEST_F(AnnotationProjects, ChildProcessOpensAProject)
{
    const QByteArray file = qgetenv("PELMORA_TEST_ANNOTATION_PROJECT");
    if (file.isEmpty())
        GTEST_SKIP() << "run by AnotherProcessOpensTheSavedAnnotations";
    app->openPMDB(file.constData(), "Pelmora");
    Obj::Project* project = Obj::Application::instance().get_current_project();
    ASSERT_NE(project, nullptr);
    QFile out(QString::fromLocal8Bit(qgetenv("PELMORA_TEST_ANNOTATION_DUMP")));
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    for (Obj::ProjectObject* object : project->get_objects(Obj::AnnotationFiducial::getClassTypeId())) {
        auto* node = nodeOf<vtkMRMLAnnotationFiducialNode>(object);
        ASSERT_NE(node, nullptr);
        const std::vector<double> p = coordinates(node);
        ASSERT_EQ(p.size(), 3u);
        out.write(QString("%1 %2 %3 %4 %5\n").arg(node->GetName()).arg(p[0], 0, 'g', 17).arg(p[1], 0, 'g', 17)
                      .arg(p[2], 0, 'g', 17).arg(node->GetDisplayVisibility()).toUtf8());
    }
}

TEST_F(AnnotationProjects, AnotherProcessOpensTheSavedAnnotations)
{
    QTemporaryDir dir;
    Obj::Project* project = openProject();
    auto* first = nodeOf<vtkMRMLAnnotationFiducialNode>(placeFiducial(project));
    auto* second = nodeOf<vtkMRMLAnnotationFiducialNode>(placeFiducial(project));
    ASSERT_TRUE(first && second);
    first->SetName("A");
    first->SetFiducialCoordinates(0.1, 0.2, 0.3);
    second->SetName("B");
    second->SetFiducialCoordinates(-1e-7, 12345.678, 9);
    second->SetDisplayVisibility(0);
    const QString file = dir.filePath("shared.pmdb");
    ASSERT_TRUE(Obj::Application::instance().save_as_file(1, file.toUtf8().constData()));

    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("PELMORA_TEST_ANNOTATION_PROJECT"), file);
    env.insert(QStringLiteral("PELMORA_TEST_ANNOTATION_DUMP"), dir.filePath("dump.txt"));
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_filter=AnnotationProjects.ChildProcessOpensAProject")});
    ASSERT_TRUE(child.waitForFinished(PelmoraTest::HangGuardMs));
    EXPECT_EQ(child.exitCode(), 0) << child.readAllStandardOutput().toStdString();
    QFile dump(dir.filePath("dump.txt"));
    ASSERT_TRUE(dump.open(QIODevice::ReadOnly));
    EXPECT_EQ(dump.readAll().toStdString(), "A 0.10000000000000001 0.20000000000000001 0.29999999999999999 1\n"
                                             "B -9.9999999999999995e-08 12345.678 9 0\n");
}

TEST_F(AnnotationProjects, TheApplicationGivenASavedProjectDrawsItsFiducials)
{
    QTemporaryDir dir;
    Obj::Project* project = openProject();
    auto* node = nodeOf<vtkMRMLAnnotationFiducialNode>(placeFiducial(project));
    ASSERT_NE(node, nullptr);
    // A colour that nothing else in the window has.
    const double magenta[3] = {1, 0, 1};
    node->GetAnnotationPointDisplayNode()->SetColor(magenta);
    node->GetAnnotationPointDisplayNode()->SetGlyphScale(10);
    const QString file = dir.filePath("marked.pmdb");
    ASSERT_TRUE(Obj::Application::instance().save_as_file(1, file.toUtf8().constData()));

    const QString shot = dir.filePath("shot.png");
    const QString log = dir.filePath("console.log");
    QProcess host;
    host.start(PELMORA_HOST, {"--log", log, "--screenshot", shot, file});
    ASSERT_TRUE(host.waitForFinished(PelmoraTest::HangGuardMs));
    EXPECT_EQ(host.exitCode(), 0);
    QFile f(log);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(f.readAll());
    EXPECT_FALSE(text.contains("[Err]")) << text.toStdString();
    const QImage image(shot);
    ASSERT_FALSE(image.isNull());
    int drawn = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            drawn += c.red() > 200 && c.blue() > 200 && c.green() < 60;
        }
    EXPECT_GT(drawn, 50);
}
