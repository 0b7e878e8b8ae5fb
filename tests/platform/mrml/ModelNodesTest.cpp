#include "MRMLTestHelpers.h"

#include <support/SmallDisk.h>

#include <mrml/vtkMRMLModelDisplayNode.h>
#include <mrml/vtkMRMLModelNode.h>
#include <mrml/vtkMRMLModelStorageNode.h>
#include <mrml/vtkMRMLScene.h>
#include <mrml/vtkMRMLTransformNode.h>

#include <vtkCallbackCommand.h>
#include <vtkCommand.h>
#include <vtkMatrix4x4.h>
#include <vtkNew.h>
#include <vtkPLYWriter.h>
#include <vtkPolyData.h>
#include <vtkPolyDataWriter.h>
#include <vtkSphereSource.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <vexil/PrintableText.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <iterator>
#include <sstream>
#include <string>

using MRMLTest::EventRecorder;

namespace {

vtkSmartPointer<vtkPolyData> sphere()
{
    vtkNew<vtkSphereSource> source;
    source->SetThetaResolution(12);
    source->SetPhiResolution(8);
    source->Update();
    return source->GetOutput();
}

std::string writeXML(vtkMRMLNode* node)
{
    std::ostringstream os;
    node->WriteXML(os, 0);
    return os.str();
}

// Collects the ErrorEvent messages of one object.
struct ErrorLog
{
    explicit ErrorLog(vtkObject* object)
    {
        command->SetClientData(this);
        command->SetCallback([](vtkObject*, unsigned long, void* client, void* data) {
            static_cast<ErrorLog*>(client)->messages.push_back(static_cast<const char*>(data));
        });
        object->AddObserver(vtkCommand::ErrorEvent, command);
    }
    vtkNew<vtkCallbackCommand> command;
    std::vector<std::string> messages;
};

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

std::string path(const QTemporaryDir& dir, const char* name)
{
    return QDir(dir.path()).filePath(name).toStdString();
}

} // namespace

TEST(ModelDisplayNode, DisplayModesClippingAndSceneFileAttributes)
{
    vtkNew<vtkMRMLModelDisplayNode> display;
    EventRecorder events(display, {vtkCommand::ModifiedEvent});
    EXPECT_EQ(display->GetDisplayMode(), vtkMRMLDisplayNode::DisplayShaded);

    display->SetDisplayMode(3);
    display->SetDisplayMode(3);
    EXPECT_EQ(display->GetDisplayMode(), 3);
    EXPECT_EQ(events.count(vtkCommand::ModifiedEvent), 1);
    display->SetDisplayMode(0);
    display->SetDisplayMode(4);
    EXPECT_EQ(display->GetDisplayMode(), 3) << "modes outside 1 to 3 are ignored";
    display->SetMeshDisplayMode(1);
    display->ClippingOn();
    display->SetOpacity(0.25);
    display->SetColor(0.1, 0.2, 0.3);
    display->SetEdgeColor(1, 0.5, 0);

    const std::string xml = writeXML(display);
    EXPECT_NE(xml.find(" displayMode=\"3\""), std::string::npos) << xml;
    EXPECT_NE(xml.find(" meshDisplayMode=\"1\""), std::string::npos) << xml;
    EXPECT_NE(xml.find(" clipping=\"true\""), std::string::npos) << xml;

    vtkNew<vtkMRMLModelDisplayNode> read;
    const char* atts[] = {"displayMode", "1", "meshDisplayMode", "3", "clipping", "true",
                          "opacity", "0.25", "color", "0.1 0.2 0.3", "scalarVisibility", "1",
                          nullptr};
    read->ReadXMLAttributes(atts);
    EXPECT_EQ(read->GetDisplayMode(), 1);
    EXPECT_EQ(read->GetMeshDisplayMode(), 3);
    EXPECT_EQ(read->GetClipping(), 1);
    EXPECT_DOUBLE_EQ(read->GetOpacity(), 0.25);
    EXPECT_DOUBLE_EQ(read->GetColor()[2], 0.3);
    EXPECT_EQ(read->GetScalarVisibility(), 1);

    vtkNew<vtkMRMLModelDisplayNode> copy;
    copy->Copy(display);
    EXPECT_EQ(copy->GetDisplayMode(), 3);
    EXPECT_EQ(copy->GetMeshDisplayMode(), 1);
    EXPECT_EQ(copy->GetClipping(), 1);
    EXPECT_DOUBLE_EQ(copy->GetEdgeColor()[1], 0.5);
}

TEST(ModelNode, PolyDataDisplayAndTransformEvents)
{
    vtkNew<vtkMRMLScene> scene;
    auto model = MRMLTest::addNode<vtkMRMLModelNode>(scene);
    EventRecorder events(model, {vtkMRMLModelNode::MeshModifiedEvent,
                                 vtkMRMLDisplayableNode::DisplayModifiedEvent,
                                 vtkMRMLTransformableNode::TransformModifiedEvent});

    auto data = sphere();
    model->SetAndObservePolyData(data);
    EXPECT_EQ(events.count(vtkMRMLModelNode::MeshModifiedEvent), 1);
    data->Modified();
    EXPECT_EQ(events.count(vtkMRMLModelNode::MeshModifiedEvent), 2);
    model->SetAndObservePolyData(nullptr);
    data->Modified();
    EXPECT_EQ(events.count(vtkMRMLModelNode::MeshModifiedEvent), 3)
        << "a released poly data is no longer observed";
    model->SetAndObservePolyData(data);

    model->CreateDefaultDisplayNodes();
    model->CreateDefaultDisplayNodes();
    ASSERT_NE(model->GetModelDisplayNode(), nullptr);
    EXPECT_EQ(model->GetNumberOfDisplayNodes(), 1);
    EXPECT_EQ(scene->GetNumberOfNodesByClass("vtkMRMLModelDisplayNode"), 1);
    model->GetModelDisplayNode()->SetDisplayMode(1);
    EXPECT_EQ(events.count(vtkMRMLDisplayableNode::DisplayModifiedEvent), 1);

    auto transform = MRMLTest::addNode<vtkMRMLTransformNode>(scene);
    model->SetAndObserveTransformNodeID(transform->GetID());
    events.clear();
    vtkNew<vtkMatrix4x4> shift;
    shift->SetElement(0, 3, 10.0);
    transform->SetMatrixTransformToParent(shift);
    EXPECT_EQ(events.count(vtkMRMLTransformableNode::TransformModifiedEvent), 1);
    EXPECT_EQ(vtkMRMLTransformableNode::TransformModifiedEvent, 15000);

    double bounds[6];
    ASSERT_TRUE(model->GetRASBounds(bounds));
    double local[6];
    data->GetBounds(local);
    EXPECT_NEAR(bounds[0], local[0] + 10.0, 1e-6);
    EXPECT_NEAR(bounds[1], local[1] + 10.0, 1e-6);
    EXPECT_NEAR(bounds[2], local[2], 1e-6);

    vtkNew<vtkMRMLModelNode> copy;
    copy->Copy(model);
    ASSERT_NE(copy->GetPolyData(), nullptr);
    EXPECT_NE(copy->GetPolyData(), model->GetPolyData()) << "a copy owns its own poly data";
    EXPECT_EQ(copy->GetPolyData()->GetNumberOfPoints(), data->GetNumberOfPoints());
    vtkSmartPointer<vtkMRMLStorageNode> storage =
        vtkSmartPointer<vtkMRMLStorageNode>::Take(model->CreateDefaultStorageNode());
    EXPECT_TRUE(vtkMRMLModelStorageNode::SafeDownCast(storage));
}

TEST(TransformNode, AParentChainThatLoopsBackEndsItsEventsAndItsMatrix)
{
    // A transform that is its own parent, or two that are each other's: passing the
    // change on went round the loop until the stack ran out.
    vtkNew<vtkMRMLScene> scene;
    auto a = MRMLTest::addNode<vtkMRMLTransformNode>(scene);
    auto b = MRMLTest::addNode<vtkMRMLTransformNode>(scene);
    auto model = MRMLTest::addNode<vtkMRMLModelNode>(scene);
    model->SetAndObservePolyData(sphere());
    model->SetAndObserveTransformNodeID(a->GetID());
    a->SetAndObserveTransformNodeID(a->GetID());
    a->SetAndObserveTransformNodeID(b->GetID());
    b->SetAndObserveTransformNodeID(a->GetID());

    EventRecorder events(model, {vtkMRMLTransformableNode::TransformModifiedEvent});
    vtkNew<vtkMatrix4x4> shift;
    shift->SetElement(0, 3, 10.0);
    b->SetMatrixTransformToParent(shift);
    EXPECT_GE(events.count(vtkMRMLTransformableNode::TransformModifiedEvent), 1);
    EXPECT_LE(events.count(vtkMRMLTransformableNode::TransformModifiedEvent), 3);
    vtkNew<vtkMatrix4x4> toWorld;
    model->GetTransformToWorld(toWorld);
    EXPECT_DOUBLE_EQ(toWorld->GetElement(0, 3), 10.0) << "each transform of the loop counts once";
}

TEST(ModelStorageNode, WritesAndReadsBackEveryFormat)
{
    QTemporaryDir dir;
    vtkNew<vtkMRMLModelNode> source;
    source->SetAndObservePolyData(sphere());
    const vtkIdType cells = source->GetPolyData()->GetNumberOfCells();
    for (const char* name : {"m.vtk", "m.vtp", "m.stl", "m.ply", "m.obj", "UPPER.STL"}) {
        SCOPED_TRACE(name);
        vtkNew<vtkMRMLModelStorageNode> storage;
        storage->SetFileName(path(dir, name).c_str());
        ASSERT_EQ(storage->WriteData(source), 1) << storage->GetLastErrorMessage();
        EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files).filter(".part").isEmpty());

        vtkNew<vtkMRMLModelNode> model;
        ASSERT_EQ(storage->ReadData(model), 1) << storage->GetLastErrorMessage();
        ASSERT_NE(model->GetPolyData(), nullptr);
        EXPECT_EQ(model->GetPolyData()->GetNumberOfCells(), cells);
        double bounds[6], expected[6];
        model->GetPolyData()->GetBounds(bounds);
        source->GetPolyData()->GetBounds(expected);
        for (int i = 0; i < 6; ++i)
            EXPECT_NEAR(bounds[i], expected[i], 1e-5);
    }
}

TEST(ModelStorageNode, FullDiskFailsInEveryFormatAndKeepsTheOldFile)
{
    PelmoraTest::SmallDisk disk(512);
    if (!disk.mounted())
        GTEST_SKIP() << disk.skipReason().toStdString();
    vtkNew<vtkMRMLModelNode> small;
    small->SetAndObservePolyData(sphere());
    vtkNew<vtkSphereSource> fine;
    fine->SetThetaResolution(60);
    fine->SetPhiResolution(40);
    fine->Update();
    vtkNew<vtkMRMLModelNode> large;
    large->SetAndObservePolyData(fine->GetOutput());

    const std::vector<std::string> names{"m.ply", "m.obj", "m.stl", "m.vtk", "m.vtp"};
    std::vector<QByteArray> before;
    for (const std::string& name : names) {
        vtkNew<vtkMRMLModelStorageNode> storage;
        storage->SetFileName(disk.filePath(QString::fromStdString(name)).toStdString().c_str());
        ASSERT_EQ(storage->WriteData(small), 1) << storage->GetLastErrorMessage();
        QFile f(disk.filePath(QString::fromStdString(name)));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        before.push_back(f.readAll());
    }
    disk.fill();
    for (size_t i = 0; i < names.size(); ++i) {
        SCOPED_TRACE(names[i]);
        vtkNew<vtkMRMLModelStorageNode> storage;
        storage->SetFileName(disk.filePath(QString::fromStdString(names[i])).toStdString().c_str());
        EXPECT_EQ(storage->WriteData(large), 0);
        EXPECT_NE(storage->GetLastErrorMessage().find("No space left on device"), std::string::npos)
            << storage->GetLastErrorMessage();
        QFile f(disk.filePath(QString::fromStdString(names[i])));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), before[i]);
        vtkNew<vtkMRMLModelNode> back;
        EXPECT_EQ(storage->ReadData(back), 1) << storage->GetLastErrorMessage();
    }
}

TEST(ModelStorageNode, WritesThroughASymbolicLink)
{
    QTemporaryDir dir;
    vtkNew<vtkMRMLModelNode> model;
    model->SetAndObservePolyData(sphere());
    ASSERT_TRUE(QFile::link(QStringLiteral("real.stl"), dir.filePath("link.stl")));
    vtkNew<vtkMRMLModelStorageNode> storage;
    storage->SetFileName(path(dir, "link.stl").c_str());
    ASSERT_EQ(storage->WriteData(model), 1) << storage->GetLastErrorMessage();
    EXPECT_TRUE(QFileInfo(dir.filePath("link.stl")).isSymLink());
    EXPECT_GT(QFileInfo(dir.filePath("real.stl")).size(), 84);
}

TEST(ModelStorageNode, BadFilesGiveClearErrorsAndLeaveTheNodeAlone)
{
    QTemporaryDir dir;
    vtkNew<vtkMRMLModelNode> good;
    good->SetAndObservePolyData(sphere());
    vtkNew<vtkMRMLModelStorageNode> writer;
    writer->SetFileName(path(dir, "good.stl").c_str());
    ASSERT_EQ(writer->WriteData(good), 1);
    QFile stl(QString::fromStdString(path(dir, "good.stl")));
    ASSERT_TRUE(stl.open(QIODevice::ReadOnly));
    const QByteArray stlBytes = stl.readAll();
    writer->SetFileName(path(dir, "good.vtk").c_str());
    ASSERT_EQ(writer->WriteData(good), 1);
    QFile vtk(QString::fromStdString(path(dir, "good.vtk")));
    ASSERT_TRUE(vtk.open(QIODevice::ReadOnly));
    const QByteArray vtkBytes = vtk.readAll();

    const QByteArray garbage("this is not a model at all\n\x01\x02\x03 garbage garbage\n");
    writeBytes(QString::fromStdString(path(dir, "empty.stl")), QByteArray());
    writeBytes(QString::fromStdString(path(dir, "cut.stl")), stlBytes.left(stlBytes.size() / 2));
    writeBytes(QString::fromStdString(path(dir, "cut.vtk")), vtkBytes.left(vtkBytes.size() / 3));
    for (const char* name : {"junk.vtk", "junk.vtp", "junk.ply", "junk.obj", "junk.stl", "junk.txt"})
        writeBytes(QString::fromStdString(path(dir, name)), garbage);

    const struct
    {
        const char* file;
        const char* says;
    } cases[] = {
        {"missing.stl", "does not exist"}, {"empty.stl", "is empty"},
        {"cut.stl", "truncated"},          {"cut.vtk", "could not be read"},
        {"junk.vtk", "could not be read"}, {"junk.vtp", "could not be read"},
        {"junk.ply", "not a PLY file"},    {"junk.obj", "no model geometry"},
        {"junk.stl", "truncated"},         {"junk.txt", "unknown kind"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        vtkNew<vtkMRMLModelNode> model;
        auto previous = sphere();
        model->SetAndObservePolyData(previous);
        vtkNew<vtkMRMLModelStorageNode> storage;
        ErrorLog errors(storage);
        storage->SetFileName(path(dir, c.file).c_str());
        EXPECT_EQ(storage->ReadData(model), 0);
        EXPECT_EQ(model->GetPolyData(), previous.Get()) << "a failed read keeps the old data";
        EXPECT_NE(storage->GetLastErrorMessage().find(c.says), std::string::npos)
            << storage->GetLastErrorMessage();
        ASSERT_EQ(errors.messages.size(), 1u);
        EXPECT_NE(errors.messages[0].find(c.file), std::string::npos) << errors.messages[0];
    }
}

TEST(ModelStorageNode, DamagedCellListsAreRefusedBeforeTheReaderWalksThem)
{
    // Each of these made VTK's reader read or free memory past its arrays.
    QTemporaryDir dir;
    vtkNew<vtkMRMLModelNode> good;
    good->SetAndObservePolyData(sphere());
    vtkNew<vtkMRMLModelStorageNode> writer;
    writer->SetFileName(path(dir, "good.vtk").c_str());
    ASSERT_EQ(writer->WriteData(good), 1);
    QFile written(QString::fromStdString(path(dir, "good.vtk")));
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    const QByteArray vtk51 = written.readAll();
    QByteArray noVersion = vtk51;
    noVersion.replace("Version 5.1", "Version");
    QByteArray halfVersion = vtk51; // VTK reads "5." as no version: an old file
    halfVersion.replace("Version 5.1", QByteArray("Version 5.\0" "1", 12));
    QByteArray nulVersion = vtk51; // read as a C string, the line ends before the number
    nulVersion.replace("Version 5.1", QByteArray("Version\0\0 5.1", 14));
    QByteArray negativeCount = vtk51;
    const int polygons = negativeCount.indexOf("POLYGONS ");
    negativeCount.replace(polygons, negativeCount.indexOf('\n', polygons) - polygons, "POLYGONS 145 -32");

    const QByteArray plyHeader = "ply\nformat binary_little_endian 1.0\nelement vertex 3\nproperty float x\n"
                                 "property float y\nproperty float z\nelement face 1\n"
                                 "property list uchar int vertex_indices\nend_header\n";
    QByteArray plyFar = plyHeader + QByteArray(36, '\0');
    const char face[13] = {3, 0, 0, 0, 0, 1, 0, 0, 0, 77, 0, 0, 0};
    plyFar.append(face, 13);
    QByteArray plyNoIndices = plyFar;
    plyNoIndices.replace("property list uchar int vertex_indices\n", "");
    const QByteArray legacy = "# vtk DataFile Version 4.2\nx\nASCII\nDATASET POLYDATA\nPOINTS 3 float\n";
    const struct
    {
        const char* file;
        QByteArray bytes;
    } cases[] = {
        {"normal.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nvn 0 0 1\nf 1//1 2//1 3//7\n"},
        {"slash.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nvn 0 0 1\nf 1//1 2/ 3//1\n"},
        {"far.ply", plyFar},
        {"noindices.ply", plyNoIndices},
        {"short.ply", "ply\nformat ascii 1.0\nelement vertex 3\nproperty float x\nproperty float y\nproperty float z\n"
                      "element face 1\nproperty list uchar int vertex_indices\nend_header\n0 0 0\n1 0\n0 1 0\n3 0 1 2\n"},
        {"count.vtk", legacy + "0 0 0 1 0 0 0 1 0\nPOLYGONS 1 4\n9 0 1 2\n"},
        {"point.vtk", legacy + "0 0 0 1 0 0 0 1\nPOLYGONS 1 4\n3 0 1 2\n"},
        {"version.vtk", noVersion},
        {"halfversion.vtk", halfVersion},
        {"nulversion.vtk", nulVersion},
        {"negative.vtk", negativeCount},
        // A compressed array whose header claims 2^62 blocks: the reader threw.
        {"blocks.vtp", "<?xml version=\"1.0\"?>\n<VTKFile type=\"PolyData\" version=\"1.0\" byte_order=\"LittleEndian\" "
                       "header_type=\"UInt64\" compressor=\"vtkZLibDataCompressor\"><PolyData><Piece NumberOfPoints=\"3\" "
                       "NumberOfPolys=\"1\"><Points><DataArray type=\"Float32\" NumberOfComponents=\"3\" format=\"binary\">"
                       "AAAAAAAAAEAAgAAAAAAAACQAAAAAAAAAKAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA"
                       "</DataArray></Points><Polys><DataArray type=\"Int64\" Name=\"connectivity\" format=\"ascii\">0 1 2"
                       "</DataArray><DataArray type=\"Int64\" Name=\"offsets\" format=\"ascii\">3</DataArray></Polys>"
                       "</Piece></PolyData></VTKFile>\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        writeBytes(QString::fromStdString(path(dir, c.file)), c.bytes);
        std::string error;
        vtkSmartPointer<vtkPolyData> data =
            vtkSmartPointer<vtkPolyData>::Take(vtkMRMLModelStorageNode::ReadPolyData(path(dir, c.file).c_str(), error));
        EXPECT_EQ(data, nullptr);
        EXPECT_NE(error.find(std::string(c.file) + "\" could not be read: "), std::string::npos) << error;
    }

    // Sound files of the older and plainer forms, and relative OBJ indices, still read.
    vtkNew<vtkPolyDataWriter> legacyWriter;
    legacyWriter->SetInputData(sphere());
    legacyWriter->SetFileVersion(42);
    legacyWriter->SetFileName(path(dir, "old-ascii.vtk").c_str());
    legacyWriter->Write();
    legacyWriter->SetFileTypeToBinary();
    legacyWriter->SetFileName(path(dir, "old-binary.vtk").c_str());
    legacyWriter->Write();
    vtkNew<vtkPLYWriter> plyWriter;
    plyWriter->SetInputData(sphere());
    plyWriter->SetFileTypeToASCII();
    plyWriter->SetFileName(path(dir, "ascii.ply").c_str());
    plyWriter->Write();
    writeBytes(QString::fromStdString(path(dir, "relative.obj")),
               "v 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0 0\nvt 1 0\nvt 0 1\nf -3/-3 -2/-2 -1/-1\n");
    for (const char* file : {"old-ascii.vtk", "old-binary.vtk", "ascii.ply", "relative.obj"}) {
        SCOPED_TRACE(file);
        std::string error;
        vtkSmartPointer<vtkPolyData> data =
            vtkSmartPointer<vtkPolyData>::Take(vtkMRMLModelStorageNode::ReadPolyData(path(dir, file).c_str(), error));
        ASSERT_NE(data, nullptr) << error;
        EXPECT_GT(data->GetNumberOfCells(), 0);
    }
}

TEST(ModelStorageNode, AddModelFromFileAddsAllOrNothing)
{
    QTemporaryDir dir;
    vtkNew<vtkMRMLModelNode> good;
    good->SetAndObservePolyData(sphere());
    vtkNew<vtkMRMLModelStorageNode> writer;
    writer->SetFileName(path(dir, "part.stl").c_str());
    ASSERT_EQ(writer->WriteData(good), 1);
    writeBytes(QString::fromStdString(path(dir, "bad.stl")), QByteArray("solid x\nnonsense\n"));

    vtkNew<vtkMRMLScene> scene;
    EventRecorder sceneEvents(scene, {vtkMRMLScene::NodeAddedEvent});
    std::string error;
    for (const char* bad : {"bad.stl", "none.stl"}) {
        EXPECT_EQ(vtkMRMLModelStorageNode::AddModelFromFile(scene, path(dir, bad).c_str(), "B", error),
                  nullptr);
        EXPECT_FALSE(error.empty());
    }
    EXPECT_EQ(scene->GetNumberOfNodes(), 0);
    EXPECT_EQ(sceneEvents.count(vtkMRMLScene::NodeAddedEvent), 0);

    vtkMRMLModelNode* model =
        vtkMRMLModelStorageNode::AddModelFromFile(scene, path(dir, "part.stl").c_str(), nullptr, error);
    ASSERT_NE(model, nullptr) << error;
    EXPECT_TRUE(error.empty());
    EXPECT_STREQ(model->GetName(), "part");
    EXPECT_TRUE(scene->IsNodePresent(model));
    ASSERT_NE(model->GetModelDisplayNode(), nullptr);
    EXPECT_TRUE(scene->IsNodePresent(model->GetModelDisplayNode()));
    ASSERT_NE(model->GetStorageNode(), nullptr);
    EXPECT_STREQ(model->GetStorageNode()->GetFileName(), path(dir, "part.stl").c_str());
    EXPECT_EQ(scene->GetNumberOfNodes(), 3);
}

TEST(ModelStorageNode, HostileContentIsRefusedWithoutCrashing)
{
    QTemporaryDir dir;
    const struct
    {
        const char* file;
        QByteArray bytes;
    } cases[] = {
        {"far.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 999999\n"},
        {"negative.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf -7 2 3\n"},
        {"huge.vtk", "# vtk DataFile Version 3.0\nx\nASCII\nDATASET POLYDATA\nPOINTS 4000000000 float\n0 0 0\n"},
        {"badcell.vtk", "# vtk DataFile Version 3.0\nx\nASCII\nDATASET POLYDATA\nPOINTS 3 float\n0 0 0 1 0 0 0 1 0\n"
                        "POLYGONS 1 4\n3 0 1 77\n"},
        {"count.stl", QByteArray(80, 'x') + QByteArray("\xff\xff\xff\x7f", 4) + QByteArray(50, '\0')},
        {"header.ply", "ply\nformat ascii 1.0\nelement vertex 99999999999\nproperty float x\nend_header\n0\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const QString name = QDir(dir.path()).filePath(QString::fromLatin1(c.file));
        writeBytes(name, c.bytes);
        std::string error;
        vtkSmartPointer<vtkPolyData> data =
            vtkSmartPointer<vtkPolyData>::Take(vtkMRMLModelStorageNode::ReadPolyData(name.toUtf8().constData(), error));
        EXPECT_EQ(data, nullptr);
        EXPECT_NE(error.find(c.file), std::string::npos) << error;
    }
}

TEST(ModelStorageNode, FileNamesAreBytesPermissionsAreKeptAndMessagesQuoteNoRawFileContent)
{
    // A reader that quotes the file's first line: control characters, bytes that are not
    // UTF-8 and a line of 300,000 bytes stay out of the error.
    QTemporaryDir dir;
    QByteArray line("\x1b[31m\x01\xff\xfe\xc2\x9b");
    line += QByteArray(300000, 'x');
    writeBytes(QString::fromStdString(path(dir, "noise.vtk")), line + "\n");
    writeBytes(QString::fromStdString(path(dir, "noise.obj")), line + "\n");
    for (const char* file : {"noise.vtk", "noise.obj"}) {
        SCOPED_TRACE(file);
        std::string error;
        vtkSmartPointer<vtkPolyData> data =
            vtkSmartPointer<vtkPolyData>::Take(vtkMRMLModelStorageNode::ReadPolyData(path(dir, file).c_str(), error));
        EXPECT_EQ(data, nullptr);
        EXPECT_NE(error.find(file), std::string::npos) << error;
        EXPECT_LT(error.size(), 500u);
        EXPECT_TRUE(QString::fromStdString(error).toUtf8() == QByteArray::fromStdString(error)) << "valid UTF-8";
        EXPECT_EQ(std::count_if(error.begin(), error.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; }), 0);
        EXPECT_EQ(error.find("\xc2\x9b"), std::string::npos) << "no C1 control character either";
    }

    // A keyword the reader does not know is quoted as the file spells it, its case kept,
    // with what is no printable text escaped: noncharacters, a bidirectional control, an
    // escape character, a Latin-1 byte, and letters of other scripts kept as they are.
    const char* const keywords[] = {"FOO\xef\xb7\x90\xef\xbf\xbf\xe2\x80\xae" "BAR", "FOO\x1b[2JBAR", "Lat\xe4Bar",
                                    "\xd0\x9a\xd0\x9b\xd0\xae\xd0\xa7", "MiXeD"};
    int kept = 0;
    for (const char* keyword : keywords) {
        SCOPED_TRACE(Vexil::printableText(keyword));
        const QString file = QStringLiteral("keyword-%1.vtk").arg(kept++);
        writeBytes(dir.filePath(file), QByteArray("# vtk DataFile Version 3.0\nkeywords\nASCII\nDATASET POLYDATA\n"
                                                  "POINTS 3 float\n0 0 0 1 0 0 0 1 0\n")
                                           + keyword + " 1 4\n3 0 1 2\n");
        std::string error;
        vtkSmartPointer<vtkPolyData> data = vtkSmartPointer<vtkPolyData>::Take(
            vtkMRMLModelStorageNode::ReadPolyData(path(dir, file.toUtf8().constData()).c_str(), error));
        EXPECT_EQ(data, nullptr);
        EXPECT_NE(error.find("Unrecognized keyword: " + Vexil::printableText(keyword)), std::string::npos) << error;
        EXPECT_EQ(error.find('?'), std::string::npos) << error;
    }

    // A name that is not UTF-8 (Latin-1 "caf\xe9") is written, replaced and read back as is.
    const std::string name = QFile::encodeName(dir.path()).toStdString() + "/caf\xe9.stl";
    vtkNew<vtkMRMLModelNode> model;
    model->SetAndObservePolyData(sphere());
    vtkNew<vtkMRMLModelStorageNode> storage;
    storage->SetFileName(name.c_str());
    EXPECT_EQ(storage->WriteData(model), 1) << storage->GetLastErrorMessage();
    EXPECT_EQ(storage->WriteData(model), 1) << storage->GetLastErrorMessage();
    const auto inFolder = std::distance(std::filesystem::directory_iterator(QFile::encodeName(dir.path()).toStdString()),
                                        std::filesystem::directory_iterator());
    EXPECT_EQ(inFolder, 3 + kept) << "the noise and keyword files and the model, no temporary file";
    EXPECT_TRUE(std::filesystem::exists(name));
    // Written over, a private file stays private.
    std::filesystem::permissions(name, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    EXPECT_EQ(storage->WriteData(model), 1) << storage->GetLastErrorMessage();
    EXPECT_EQ(std::filesystem::status(name).permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    vtkNew<vtkMRMLModelNode> back;
    EXPECT_EQ(storage->ReadData(back), 1) << storage->GetLastErrorMessage();
    ASSERT_NE(back->GetPolyData(), nullptr);
    EXPECT_EQ(back->GetPolyData()->GetNumberOfCells(), model->GetPolyData()->GetNumberOfCells());
    // Added to a scene, it is named with the byte that is not UTF-8 escaped.
    vtkNew<vtkMRMLScene> scene;
    std::string error;
    vtkMRMLModelNode* added = vtkMRMLModelStorageNode::AddModelFromFile(scene, name.c_str(), nullptr, error);
    std::remove(name.c_str()); // Qt 5 cannot name it to remove it with the folder
    ASSERT_NE(added, nullptr) << error;
    EXPECT_STREQ(added->GetName(), "caf\\xe9");
}
