#include "AnnotationTestHelpers.h"

#include <core/GuiProject.h>
#include <support/TestEnvironment.h>

#include <vtkMRMLAnnotationFiducialNode.h>
#include <vtkMRMLAnnotationRulerNode.h>
#include <vtkMRMLAnnotationTextNode.h>

#include <mrml/vtkMRMLCameraNode.h>
#include <mrml/vtkMRMLScene.h>
#include <mrml/vtkMRMLSliceNode.h>

#include <vtkMatrix4x4.h>
#include <vtkNew.h>

#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <map>

using namespace AnnotationTest;

namespace {

vtkSmartPointer<vtkMRMLSliceNode> addSlice(vtkMRMLScene* scene, const char* layout, const char* orientation)
{
    auto slice = vtkSmartPointer<vtkMRMLSliceNode>::New();
    slice->SetLayoutName(layout);
    slice->SetOrientation(orientation);
    scene->AddNode(slice);
    return slice;
}

// The scene as a scene file: one element per node, named by its tag.
std::string writeScene(vtkMRMLScene* scene)
{
    std::ostringstream os;
    os << "<MRML>\n";
    for (int i = 0; i < scene->GetNumberOfNodes(); ++i) {
        vtkMRMLNode* node = scene->GetNthNode(i);
        os << " <" << node->GetNodeTagName();
        node->WriteXML(os, 1);
        os << "></" << node->GetNodeTagName() << ">\n";
    }
    os << "</MRML>\n";
    return os.str();
}

// Reads a scene file into the scene: a node the scene already holds by ID takes the
// attributes, any other element becomes a node of the class registered for its tag.
// Returns the tags nobody could create.
std::vector<std::string> readScene(vtkMRMLScene* scene, const std::string& text)
{
    std::vector<std::string> unknown;
    QXmlStreamReader xml(QByteArray::fromStdString(text));
    while (xml.readNextStartElement()) {
        if (xml.name() == QLatin1String("MRML"))
            continue;
        const std::string tag = xml.name().toString().toStdString();
        std::vector<std::pair<std::string, std::string>> atts;
        for (const auto& a : xml.attributes())
            atts.emplace_back(a.name().toString().toStdString(), a.value().toString().toStdString());
        xml.skipCurrentElement();
        std::string id;
        for (const auto& a : atts)
            if (a.first == "id")
                id = a.second;
        if (vtkMRMLNode* existing = scene->GetNodeByID(id)) {
            readAttributes(existing, atts);
            continue;
        }
        const char* className = scene->GetClassNameByTag(tag.c_str());
        auto node = vtkSmartPointer<vtkMRMLNode>::Take(scene->CreateNodeByClass(className));
        if (!node) {
            unknown.push_back(tag);
            continue;
        }
        readAttributes(node, atts);
        scene->AddNode(node);
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    return unknown;
}

std::string xmlOf(vtkMRMLNode* node)
{
    std::ostringstream os;
    node->WriteXML(os, 0);
    return os.str();
}

} // namespace

TEST(AnnotationView, SaveAndRestoreTheSlicesAndTheCamera)
{
    // Without a scene there is nothing to save.
    vtkNew<vtkMRMLAnnotationNode> loose;
    {
        Messages messages(loose);
        loose->SaveView();
        EXPECT_TRUE(messages.hasWarning("vtkMRMLAnnotationNode::SaveView failed: scene is invalid")) << messages.all();
    }

    vtkNew<vtkMRMLScene> scene;
    auto red = addSlice(scene, "Red", "Axial");
    auto yellow = addSlice(scene, "Yellow", "Sagittal");
    auto green = addSlice(scene, "Green", "Coronal");
    vtkNew<vtkMRMLCameraNode> camera;
    scene->AddNode(camera);
    vtkNew<vtkMRMLAnnotationFiducialNode> fiducial;
    fiducial->Initialize(scene);

    // Restoring before anything was saved leaves the view alone.
    camera->SetPosition(1, 2, 3);
    EXPECT_EQ(countEvents(camera, vtkCommand::ModifiedEvent, [&] { fiducial->RestoreView(); }), 0);
    EXPECT_DOUBLE_EQ(camera->GetPosition()[0], 1);

    red->SetSliceOffset(12.5);
    yellow->SetFieldOfView(100, 80, 2);
    fiducial->SaveView();

    red->SetSliceOffset(-40);
    yellow->SetOrientation("Axial");
    green->SetDimensions(10, 20, 1);
    camera->SetPosition(9, 9, 9);
    camera->SetViewAngle(60);

    // Each scene node comes back with one modified event.
    EXPECT_EQ(countEvents(red, vtkCommand::ModifiedEvent, [&] { fiducial->RestoreView(); }), 1);
    EXPECT_DOUBLE_EQ(red->GetSliceOffset(), 12.5);
    EXPECT_STREQ(yellow->GetOrientation(), "Sagittal");
    EXPECT_DOUBLE_EQ(yellow->GetFieldOfView()[1], 80);
    EXPECT_EQ(green->GetDimensions()[0], 256);
    EXPECT_DOUBLE_EQ(camera->GetPosition()[0], 1);
    EXPECT_DOUBLE_EQ(camera->GetViewAngle(), 30);
    EXPECT_STREQ(red->GetID(), "vtkMRMLSliceNode1") << "restoring keeps the scene node's identity";
}

TEST(AnnotationView, MissingViewNodesAreSkipped)
{
    vtkNew<vtkMRMLScene> scene;
    auto red = addSlice(scene, "Red", "Axial");
    vtkNew<vtkMRMLAnnotationTextNode> text;
    text->Initialize(scene);
    red->SetSliceOffset(3);
    text->SaveView();

    // Nodes that turn up later take the defaults saved for the missing ones.
    auto yellow = addSlice(scene, "Yellow", "Coronal");
    vtkNew<vtkMRMLCameraNode> camera;
    camera->SetPosition(5, 5, 5);
    scene->AddNode(camera);
    red->SetSliceOffset(7);
    text->RestoreView();
    EXPECT_DOUBLE_EQ(red->GetSliceOffset(), 3);
    EXPECT_STREQ(yellow->GetOrientation(), "Axial");
    EXPECT_DOUBLE_EQ(camera->GetPosition()[1], 500);
}

TEST(ViewNodes, SliceGeometryAndSceneAttributes)
{
    vtkNew<vtkMRMLScene> scene;
    auto slice = vtkSmartPointer<vtkMRMLNode>::Take(scene->CreateNodeByClass("vtkMRMLSliceNode"));
    auto* red = vtkMRMLSliceNode::SafeDownCast(slice);
    ASSERT_TRUE(red);
    EXPECT_FALSE(red->SetOrientation("axial"));
    EXPECT_STREQ(red->GetOrientation(), "Axial");

    // The view's centre pixel lies on the plane's origin; pixels are field / dimension apart.
    red->SetFieldOfView(200, 100, 1);
    red->SetDimensions(400, 200, 1);
    red->SetOrientation("Coronal");
    red->SetSliceOffset(-20);
    const double centre[4] = {200, 100, 0, 1};
    double ras[4];
    red->GetXYToRAS()->MultiplyPoint(centre, ras);
    EXPECT_NEAR(ras[0], 0, 1e-12);
    EXPECT_NEAR(ras[1], 20, 1e-12);
    EXPECT_NEAR(ras[2], 0, 1e-12);
    const double corner[4] = {0, 0, 0, 1};
    red->GetXYToRAS()->MultiplyPoint(corner, ras);
    EXPECT_NEAR(ras[0], -100, 1e-12);
    EXPECT_NEAR(ras[2], -50, 1e-12);

    // Sizes that would divide by zero or flip the view are refused.
    red->SetFieldOfView(0, 1, 1);
    red->SetDimensions(0, -3, 1);
    EXPECT_DOUBLE_EQ(red->GetFieldOfView()[0], 200);
    EXPECT_EQ(red->GetDimensions()[0], 1);

    vtkNew<vtkMRMLSliceNode> back;
    xmlRoundTrip(red, back);
    EXPECT_EQ(xmlOf(back), xmlOf(red));
    EXPECT_DOUBLE_EQ(back->GetSliceOffset(), -20);

    vtkNew<vtkMRMLCameraNode> camera;
    camera->SetPosition(0.1, -2.5e-7, 1e300);
    camera->ParallelProjectionOn();
    camera->SetParallelScale(-4);
    EXPECT_GT(camera->GetParallelScale(), 0);
    auto cameraBack = vtkSmartPointer<vtkMRMLNode>::Take(scene->CreateNodeByClass("vtkMRMLCameraNode"));
    ASSERT_TRUE(cameraBack);
    xmlRoundTrip(camera, cameraBack);
    EXPECT_EQ(xmlOf(cameraBack), xmlOf(camera));
}

TEST(ControlPointsNode, CommandLineForm)
{
    vtkNew<vtkMRMLScene> scene;
    vtkNew<vtkMRMLAnnotationRulerNode> ruler;
    ruler->Initialize(scene);
    const double a[3] = {1.5, 0, -3}, b[3] = {0.1, -2, 7};
    ruler->SetControlPoint(0, a, 1, 1);
    ruler->SetControlPoint(1, b, 1, 1);

    std::vector<std::string> args = {"--first"};
    EXPECT_TRUE(ruler->WriteCLI(args, "--seeds", vtkMRMLAnnotationControlPointsNode::CoordinateSystemRAS));
    ASSERT_EQ(args.size(), 2u);
    EXPECT_EQ(args[1], "--seeds 1.5,0,-3,0.1,-2,7");

    args.clear();
    {
        Messages messages(ruler);
        ruler->WriteCLI(args, "", vtkMRMLAnnotationControlPointsNode::CoordinateSystemLPS, 0);
        EXPECT_TRUE(messages.hasWarning("WriteCLI - Ignoring 'multipleFlag' and writing all 2 points for annotation "
                                        + std::string(ruler->GetID()) + ". For more details see "))
            << messages.all();
    }
    ASSERT_EQ(args.size(), 1u);
    EXPECT_EQ(args[0], "-1.5,0,-3,-0.1,2,7");

    args.clear();
    ruler->WriteCLI(args, "--seeds", 2);
    EXPECT_EQ(args, std::vector<std::string>{"--seeds "});

    // One point asked for one: no warning; coordinates keep every digit.
    vtkNew<vtkMRMLAnnotationFiducialNode> fiducial;
    fiducial->Initialize(scene);
    fiducial->SetFiducialCoordinates(0.1 + 0.2, 1.0 / 3.0, 0);
    Messages messages(fiducial);
    args.clear();
    fiducial->WriteCLI(args, "--point", 0, 0);
    EXPECT_TRUE(messages.Warnings.empty());
    EXPECT_EQ(args[0], "--point 0.30000000000000004,0.3333333333333333,0");
}

TEST(ApplicationScene, SceneFileRecreatesAnnotationNodes)
{
    PelmoraTest::ScopedLogic logic;
    Gui::GuiProject first(nullptr, nullptr);
    vtkMRMLScene* scene = first.mrmlScene();
    vtkNew<vtkMRMLAnnotationRulerNode> ruler;
    ruler->Initialize(scene);
    const double a[3] = {1, 2, 3}, b[3] = {4.25, -5, 6.125};
    ruler->SetPosition1(a);
    ruler->SetPosition2(b);
    ruler->SetName("Distance | one");
    vtkNew<vtkMRMLAnnotationFiducialNode> fiducial;
    fiducial->Initialize(scene);
    fiducial->SetFiducialCoordinates(0.5, 0.25, 0.125);
    fiducial->SetLocked(1);
    const std::string file = writeScene(scene);

    Gui::GuiProject second(nullptr, nullptr);
    vtkMRMLScene* again = second.mrmlScene();
    EXPECT_TRUE(readScene(again, file).empty());
    ASSERT_EQ(again->GetNumberOfNodes(), scene->GetNumberOfNodes());
    for (int i = 0; i < scene->GetNumberOfNodes(); ++i) {
        vtkMRMLNode* original = scene->GetNthNode(i);
        vtkMRMLNode* read = again->GetNodeByID(original->GetID());
        ASSERT_TRUE(read) << original->GetID();
        EXPECT_STREQ(read->GetClassName(), original->GetClassName());
        EXPECT_EQ(xmlOf(read), xmlOf(original));
    }
    auto* readRuler = vtkMRMLAnnotationRulerNode::SafeDownCast(again->GetNodeByID(ruler->GetID()));
    ASSERT_TRUE(readRuler);
    EXPECT_DOUBLE_EQ(readRuler->GetPosition2()[2], 6.125);
    EXPECT_TRUE(readRuler->GetAnnotationLineDisplayNode()) << "display nodes are found through the read references";
    EXPECT_EQ(writeScene(again), file);
}
