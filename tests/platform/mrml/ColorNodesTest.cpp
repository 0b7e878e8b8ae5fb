// Colour nodes and their files: tables and transfer functions written and read back
// exactly, damaged files refused, and the colour logic filling a scene with the default
// colour nodes once, their entries shared by every scene until one changes them.

#include "MRMLTestHelpers.h"

#include <support/NamedPipe.h>

#include <mrml/vtkMRMLColorLogic.h>
#include <mrml/vtkMRMLColorTableNode.h>
#include <mrml/vtkMRMLColorTableStorageNode.h>
#include <mrml/vtkMRMLFreeSurferProceduralColorNode.h>
#include <mrml/vtkMRMLProceduralColorNode.h>
#include <mrml/vtkMRMLProceduralColorStorageNode.h>
#include <mrml/vtkMRMLScene.h>
#include <mrml/vtkVizApplicationLogic.h>

#include <vtkColorTransferFunction.h>
#include <vtkLookupTable.h>
#include <vtkNew.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

std::string writeText(const QTemporaryDir& dir, const char* name, const QByteArray& text)
{
    const QString path = QDir(dir.path()).filePath(QString::fromLatin1(name));
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(text);
    return path.toStdString();
}

QByteArray readText(const std::string& path)
{
    QFile file(QString::fromStdString(path));
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

// Read errors are expected here; keep them off the test output.
struct QuietVtk
{
    QuietVtk() { vtkObject::GlobalWarningDisplayOff(); }
    ~QuietVtk() { vtkObject::GlobalWarningDisplayOn(); }
};

} // namespace

TEST(ColorFiles, TableWrittenAndReadBackKeepsSizeNamesAndColours)
{
    QTemporaryDir dir;
    vtkNew<vtkMRMLColorTableNode> table;
    table->SetTypeToUser();
    table->SetNumberOfColors(5);
    table->SetColor(0, "background", 0, 0, 0, 0);
    table->SetColor(1, "hot spot", 1, 0.5, 0, 1);
    table->SetColor(3, "cold", 0, 0, 1, 1);
    // Entry 2 stays unnamed and empty; entry 4 too, but it is the last one.

    vtkNew<vtkMRMLColorTableStorageNode> storage;
    EXPECT_TRUE(storage->SupportedFileType("a/b/Table.TXT"));
    EXPECT_TRUE(storage->SupportedFileType("x.ctbl"));
    EXPECT_FALSE(storage->SupportedFileType("x.png"));
    const std::string path = QDir(dir.path()).filePath(QStringLiteral("t.ctbl")).toStdString();
    storage->SetFileName(path.c_str());
    ASSERT_EQ(storage->WriteData(table), 1);

    vtkNew<vtkMRMLColorTableNode> back;
    ASSERT_EQ(storage->ReadData(back), 1) << storage->GetLastError();
    ASSERT_EQ(back->GetNumberOfColors(), 5);
    EXPECT_STREQ(back->GetColorName(1), "hot_spot") << "a blank in a name would split the entry";
    EXPECT_STREQ(back->GetColorName(2), "");
    EXPECT_STREQ(back->GetColorName(3), "cold");
    double rgba[4];
    ASSERT_TRUE(back->GetColor(1, rgba));
    EXPECT_DOUBLE_EQ(rgba[0], 1.0);
    EXPECT_NEAR(rgba[1], 0.5, 0.5 / 255);
    EXPECT_DOUBLE_EQ(rgba[3], 1.0);
    EXPECT_EQ(back->GetType(), vtkMRMLColorNode::File);
    EXPECT_DOUBLE_EQ(back->GetLookupTable()->GetRange()[1], 4.0);
}

TEST(ColorFiles, DamagedTablesAreRefusedAndLeaveTheNodeAsItWas)
{
    QuietVtk quiet;
    QTemporaryDir dir;
    vtkNew<vtkMRMLColorTableNode> node;
    node->SetTypeAndColors(vtkMRMLColorNode::Grey, 3);
    vtkNew<vtkMRMLColorTableStorageNode> storage;
    const std::pair<const char*, QByteArray> bad[] = {
        {"empty.txt", "# only a comment\n\n"},
        {"short.txt", "0 a 1 2\n"},
        {"range.txt", "0 a 1 2 300 255\n"},
        {"negative.txt", "-1 a 1 2 3 255\n"},
        {"huge.txt", "99999999 a 1 2 3 255\n"},
        {"words.txt", "0 a red green blue 255\n"},
        {"extra.txt", "0 a 1 2 3 255 7\n"},
        {"binary.txt", QByteArray("\x00\x01\x02\xff", 4)},
    };
    for (const auto& [name, text] : bad) {
        storage->SetFileName(writeText(dir, name, text).c_str());
        EXPECT_EQ(storage->ReadData(node), 0) << name;
        EXPECT_FALSE(storage->GetLastError().empty()) << name;
    }
    storage->SetFileName(QDir(dir.path()).filePath(QStringLiteral("missing.txt")).toUtf8().constData());
    EXPECT_EQ(storage->ReadData(node), 0);
    EXPECT_EQ(node->GetNumberOfColors(), 3);

    // Writing where no file can be made fails and reports it.
    storage->SetFileName(QDir(dir.path()).filePath(QStringLiteral("no/such/dir/t.txt")).toUtf8().constData());
    EXPECT_EQ(storage->WriteData(node), 0);
}

TEST(ColorFiles, FailedWriteKeepsTheOldFile)
{
    QuietVtk quiet;
    QTemporaryDir dir;
    const std::string path = writeText(dir, "keep.txt", "0 old 1 2 3 255\n");
    vtkNew<vtkMRMLProceduralColorNode> wrongKind;
    vtkNew<vtkMRMLColorTableStorageNode> storage;
    storage->SetFileName(path.c_str());
    EXPECT_EQ(storage->WriteData(wrongKind), 0);
    EXPECT_EQ(readText(path), QByteArray("0 old 1 2 3 255\n"));
}

TEST(ColorFiles, TransferFunctionPointsReadBackExactly)
{
    QuietVtk quiet;
    QTemporaryDir dir;
    vtkNew<vtkMRMLProceduralColorNode> node;
    node->GetColorTransferFunction()->AddRGBPoint(-0.1, 0.1, 0.2, 0.3);
    node->GetColorTransferFunction()->AddRGBPoint(1.0 / 3.0, 1, 0.7, 0);
    vtkNew<vtkMRMLProceduralColorStorageNode> storage;
    const std::string path = QDir(dir.path()).filePath(QStringLiteral("f.pcf")).toStdString();
    storage->SetFileName(path.c_str());
    ASSERT_EQ(storage->WriteData(node), 1);
    vtkNew<vtkMRMLProceduralColorNode> back;
    ASSERT_EQ(storage->ReadData(back), 1);
    ASSERT_EQ(back->GetNumberOfColors(), 2);
    double v[6];
    back->GetColorTransferFunction()->GetNodeValue(1, v);
    EXPECT_EQ(v[0], 1.0 / 3.0);
    EXPECT_EQ(v[2], 0.7);

    storage->SetFileName(writeText(dir, "bad.pcf", "0 0.5 0.5 2\n").c_str());
    EXPECT_EQ(storage->ReadData(back), 0) << "components above 1";
    storage->SetFileName(writeText(dir, "nan.pcf", "nan 0.5 0.5 0.5\n").c_str());
    EXPECT_EQ(storage->ReadData(back), 0);
    EXPECT_EQ(back->GetNumberOfColors(), 2);
}

TEST(ColorFiles, OversizedPipedAndFolderFilesAreRefusedAtOnce)
{
    QuietVtk quiet;
    QTemporaryDir dir;
    vtkNew<vtkMRMLProceduralColorNode> node;
    node->GetColorTransferFunction()->AddRGBPoint(0, 1, 1, 1);
    vtkNew<vtkMRMLProceduralColorStorageNode> storage;

    // Each point added sorts them all again: more than a transfer function should hold
    // is refused before any is added.
    QByteArray many;
    for (size_t i = 0; i <= vtkMRMLProceduralColorStorageNode::MaximumPoints; ++i)
        many += QByteArray::number(static_cast<qulonglong>(i)) + " 0.5 0.5 0.5\n";
    storage->SetFileName(writeText(dir, "many.pcf", many).c_str());
    EXPECT_EQ(storage->ReadData(node), 0);
    EXPECT_NE(storage->GetLastError().find("more than"), std::string::npos) << storage->GetLastError();
    EXPECT_EQ(node->GetNumberOfColors(), 1);

    // Line numbers count the comments and blank lines skipped.
    vtkNew<vtkMRMLColorTableNode> table;
    vtkNew<vtkMRMLColorTableStorageNode> tableStorage;
    tableStorage->SetFileName(writeText(dir, "third.txt", "# comment\n\n0 a 1 2 3\r\n1 b x\n").c_str());
    EXPECT_EQ(tableStorage->ReadData(table), 0);
    EXPECT_NE(tableStorage->GetLastError().find("line 4: "), std::string::npos) << tableStorage->GetLastError();

    // A named pipe or a folder: refused without waiting for a writer.
    PelmoraTest::NamedPipe pipe(QDir(dir.path()).filePath(QStringLiteral("pipe.txt")));
    ASSERT_TRUE(pipe.created());
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder.txt")));
    storage->SetFileName(pipe.path().toUtf8().constData());
    tableStorage->SetFileName(pipe.path().toUtf8().constData());
    int readPipe = 1;
    int readTablePipe = 1;
    EXPECT_TRUE(pipe.runsWithoutWaiting([&] {
        readPipe = storage->ReadData(node);
        readTablePipe = tableStorage->ReadData(table);
    })) << "a reader waited for a writer";
    EXPECT_EQ(readPipe, 0);
    EXPECT_EQ(readTablePipe, 0);
    EXPECT_NE(storage->GetLastError().find("not a regular file"), std::string::npos) << storage->GetLastError();
    tableStorage->SetFileName(QDir(dir.path()).filePath(QStringLiteral("folder.txt")).toUtf8().constData());
    EXPECT_EQ(tableStorage->ReadData(table), 0);
    EXPECT_NE(tableStorage->GetLastError().find("not a regular file"), std::string::npos);
}

TEST(ColorLogic, AttachedSceneGetsTheDefaultNodesOnceAndFilesOfBothKinds)
{
    QuietVtk quiet;
    QTemporaryDir dir;
    vtkNew<vtkMRMLScene> scene;
    vtkNew<vtkMRMLColorLogic> logic;
    logic->SetMRMLScene(scene);
    auto* rainbow = vtkMRMLColorTableNode::SafeDownCast(scene->GetNodeByID("vtkMRMLColorTableNodePmRainbow"));
    ASSERT_NE(rainbow, nullptr);
    EXPECT_EQ(rainbow->GetNumberOfColors(), 256);
    double first[4];
    double last[4];
    rainbow->GetColor(0, first);
    rainbow->GetColor(255, last);
    EXPECT_GT(first[2], 0.9) << "the rainbow starts blue";
    EXPECT_GT(last[0], 0.9) << "and ends red";
    EXPECT_NE(vtkMRMLFreeSurferProceduralColorNode::SafeDownCast(
                  scene->GetNodeByID(vtkMRMLColorLogic::GetHeatColorNodeID())),
              nullptr);
    const int count = scene->GetNumberOfNodes();

    // A scene handed over again gets nothing twice.
    logic->SetMRMLScene(nullptr);
    logic->SetMRMLScene(scene);
    EXPECT_EQ(scene->GetNumberOfNodes(), count);

    // A ".txt" file holding a transfer function becomes a procedural node.
    const std::string function = writeText(dir, "Ramp.txt", "# x r g b\n0 0 0 0\n10 1 1 1\n");
    vtkMRMLColorNode* node = logic->LoadColorFile(function.c_str());
    ASSERT_NE(vtkMRMLProceduralColorNode::SafeDownCast(node), nullptr);
    EXPECT_EQ(std::string(node->GetID()), vtkMRMLColorLogic::GetFileColorNodeID("Ramp.txt"));
    EXPECT_STREQ(node->GetName(), "Ramp");
    EXPECT_EQ(logic->LoadColorFile(function.c_str()), node) << "loaded once";
    EXPECT_EQ(logic->LoadColorFile(writeText(dir, "junk.txt", "not a colour file\n").c_str()), nullptr);
}

TEST(ColorLogic, ApplicationLogicHandsItsSceneToTheColourLogic)
{
    vtkNew<vtkVizApplicationLogic> app;
    vtkNew<vtkMRMLScene> scene;
    app->SetMRMLScene(scene);
    EXPECT_EQ(scene->GetNodeByID("vtkMRMLColorTableNodePmRainbow"), nullptr);
    vtkNew<vtkMRMLColorLogic> colors;
    app->SetColorLogic(colors);
    EXPECT_NE(scene->GetNodeByID("vtkMRMLColorTableNodePmRainbow"), nullptr) << "the current scene";
    vtkNew<vtkMRMLScene> next;
    app->SetMRMLScene(next);
    EXPECT_EQ(colors->GetMRMLScene(), next.GetPointer());
    EXPECT_NE(next->GetNodeByID("vtkMRMLColorTableNodePmRainbow"), nullptr);
    app->SetMRMLScene(nullptr);
    EXPECT_EQ(colors->GetMRMLScene(), nullptr) << "a closed scene is not kept alive";
}

TEST(ColorTables, NodesSharingOneTableAllHearItsChangesThroughOneObserver)
{
    vtkNew<vtkMRMLColorTableNode> source;
    source->SetTypeAndColors(vtkMRMLColorNode::Grey, 4);
    vtkLookupTable* table = source->GetLookupTable();
    std::vector<vtkSmartPointer<vtkMRMLColorTableNode>> sharing;
    for (int k = 0; k < 3; ++k) {
        sharing.push_back(vtkSmartPointer<vtkMRMLColorTableNode>::New());
        sharing.back()->ShareEntriesWith(source);
        ASSERT_EQ(sharing.back()->GetLookupTable(), table);
    }
    // However many nodes show the table, it carries one observer for them.
    int observers = 0;
    for (unsigned long tag = 0; tag < 64; ++tag)
        observers += table->GetCommand(tag) ? 1 : 0;
    EXPECT_EQ(observers, 1);

    const auto modifiedTime = [](vtkMRMLColorTableNode* node) { return node->GetMTime(); };
    std::vector<vtkMTimeType> before;
    for (auto& node : sharing)
        before.push_back(modifiedTime(node));
    const vtkMTimeType sourceBefore = modifiedTime(source);
    table->SetTableValue(1, 1.0, 0.0, 0.0, 1.0);
    table->Modified();
    EXPECT_GT(modifiedTime(source), sourceBefore);
    for (std::size_t k = 0; k < sharing.size(); ++k)
        EXPECT_GT(modifiedTime(sharing[k]), before[k]) << k;

    // A node that goes no longer hears; the others still do.
    sharing.erase(sharing.begin());
    const vtkMTimeType kept = modifiedTime(sharing.front());
    table->Modified();
    EXPECT_GT(modifiedTime(sharing.front()), kept);

    // A node that takes its own copy stops listening to the shared table.
    sharing.front()->SetAndObserveLookupTable(vtkNew<vtkLookupTable>());
    const vtkMTimeType own = modifiedTime(sharing.front());
    table->Modified();
    EXPECT_EQ(modifiedTime(sharing.front()), own);
}

TEST(ColorLogic, EveryScenesDefaultTablesShareTheirEntriesUntilOneIsChanged)
{
    vtkNew<vtkMRMLColorLogic> logic;
    vtkNew<vtkMRMLScene> first;
    vtkNew<vtkMRMLScene> second;
    logic->SetMRMLScene(first);
    logic->SetMRMLScene(second);
    const auto table = [](vtkMRMLScene* scene, const char* id) {
        return vtkMRMLColorTableNode::SafeDownCast(scene->GetNodeByID(id));
    };
    for (const char* id : {vtkMRMLColorLogic::GetRainbowColorNodeID(), vtkMRMLColorLogic::GetGreyColorNodeID()}) {
        vtkMRMLColorTableNode* mine = table(first, id);
        vtkMRMLColorTableNode* theirs = table(second, id);
        ASSERT_NE(mine, nullptr);
        ASSERT_NE(theirs, nullptr);
        EXPECT_EQ(mine->GetLookupTable(), theirs->GetLookupTable()) << id << ": one table for every scene";
        double before[4];
        theirs->GetColor(7, before);

        mine->SetColor(7, "seven", 0.25, 0.5, 0.75);
        double after[4];
        mine->GetColor(7, after);
        EXPECT_NEAR(after[1], 0.5, 0.01);
        mine->SetTableRange(-3, 3);
        theirs->GetColor(7, after);
        EXPECT_EQ(std::vector<double>(after, after + 4), std::vector<double>(before, before + 4)) << id;
        EXPECT_STREQ(theirs->GetColorName(7), "");
        EXPECT_DOUBLE_EQ(theirs->GetLookupTable()->GetRange()[0], 0);
        EXPECT_DOUBLE_EQ(theirs->GetLookupTable()->GetRange()[1], 255);
        EXPECT_STREQ(mine->GetColorName(7), "seven");
        EXPECT_DOUBLE_EQ(mine->GetLookupTable()->GetRange()[0], -3);
    }

    // A later scene still gets the built-in colours, not the changed ones.
    vtkNew<vtkMRMLScene> third;
    logic->SetMRMLScene(third);
    vtkMRMLColorTableNode* grey = table(third, vtkMRMLColorLogic::GetGreyColorNodeID());
    ASSERT_NE(grey, nullptr);
    double seventh[4];
    grey->GetColor(7, seventh);
    EXPECT_DOUBLE_EQ(seventh[0], 7.0 / 255.0);
    EXPECT_EQ(grey->GetNumberOfColors(), 256);
}
