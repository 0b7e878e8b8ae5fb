// Where the colour logic looks for colour files: the shipped folder under the
// application's home, and the user's folders in their order.

#include <colors/vtkVizColorLogic.h>

#include <mrml/vtkMRMLColorTableNode.h>
#include <mrml/vtkMRMLProceduralColorNode.h>
#include <mrml/vtkMRMLScene.h>


#include <vtkCallbackCommand.h>
#include <vtkColorTransferFunction.h>
#include <vtkNew.h>
#include <vtkSmartPointer.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include <sys/stat.h>

namespace {

std::string write(const QString& dir, const char* name, const QByteArray& text)
{
    // The name's bytes as they are, UTF-8 or not.
    QDir().mkpath(dir);
    const std::string path = QFile::encodeName(dir).toStdString() + "/" + name;
    if (std::FILE* file = std::fopen(path.c_str(), "wb")) {
        std::fwrite(text.constData(), 1, static_cast<size_t>(text.size()), file);
        std::fclose(file);
    }
    return path;
}

std::vector<std::string> names(const std::vector<std::string>& paths)
{
    std::vector<std::string> result;
    for (const std::string& p : paths)
        result.push_back(p.substr(p.find_last_of('/') + 1));
    return result;
}

// Sets or removes an environment variable for one test and restores it.
struct ScopedEnv
{
    ScopedEnv(const char* n, const QByteArray& value, bool set = true)
        : name(n), old(qgetenv(n)), had(qEnvironmentVariableIsSet(n))
    {
        if (set)
            qputenv(name, value);
        else
            qunsetenv(name);
    }
    ~ScopedEnv()
    {
        if (had)
            qputenv(name, old);
        else
            qunsetenv(name);
    }
    const char* name;
    QByteArray old;
    bool had;
};

} // namespace

TEST(ColorFilesSearch, ShippedTablesAreFoundUnderTheHomeAndBecomeTheDefaults)
{
    ScopedEnv home("PELMORA_HOME", PELMORA_TEST_BUILD_DIR);
    vtkNew<vtkVizColorLogic> logic;
    std::vector<std::string> found = names(logic->FindDefaultColorFiles());
    std::sort(found.begin(), found.end());
    const std::vector<std::string> shipped{"DarkBrightChartColors.txt", "GenericAnatomyColors.txt",
                                           "HotToColdRainbow.txt"};
    for (const std::string& name : shipped)
        EXPECT_TRUE(std::binary_search(found.begin(), found.end(), name)) << name;

    vtkNew<vtkMRMLScene> scene;
    logic->SetMRMLScene(scene);
    for (const char* id : {logic->GetDefaultLabelMapColorNodeID(), logic->GetDefaultEditorColorNodeID(),
                           logic->GetDefaultChartColorNodeID()}) {
        auto* table = vtkMRMLColorTableNode::SafeDownCast(scene->GetNodeByID(id));
        ASSERT_NE(table, nullptr) << id;
        EXPECT_GT(table->GetNumberOfColors(), 1) << id;
    }
    EXPECT_STREQ(logic->GetDefaultLabelMapColorNodeID(), "vtkMRMLColorTableNodeFileHotToColdRainbow.txt");
    EXPECT_NE(scene->GetNodeByID("vtkMRMLColorTableNodePmRainbow"), nullptr);
}

TEST(ColorFilesSearch, TheWorkingDirectoryIsNoFallbackForTheHome)
{
    QTemporaryDir dir;
    write(QDir(dir.path()).filePath(QStringLiteral("share/Pelmora-2.1/ColorFiles")), "Stray.txt", "0 a 1 2 3 255\n");
    ScopedEnv home("PELMORA_HOME", QByteArray(), false);
    ScopedEnv pwd("PWD", dir.path().toUtf8());
    vtkNew<vtkVizColorLogic> logic;
    EXPECT_TRUE(logic->FindDefaultColorFiles().empty());
}

TEST(ColorFilesSearch, UserFoldersAreSearchedInOrderAndOddFilesLeftOut)
{
    QTemporaryDir dir;
    const QString first = QDir(dir.path()).filePath(QStringLiteral("first"));
    const QString second = QDir(dir.path()).filePath(QStringLiteral("second"));
    write(first, "B.txt", "0 b 1 2 3 255\n");
    write(first, "notes.dat", "plain text that no colour reader takes\n");
    write(first, "picture.png", [] {
        static const char png[] = "\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\0\x01\0\0\0\x01\x08\x06\0\0\0";
        return QByteArray(png, sizeof png - 1);
    }());
    write(first, "NoExtension", "0 n 1 2 3 255\n");
    write(second, "A.ctbl", "0 a 1 2 3 255\n");
    write(second, "B.txt", "0 b 1 2 3 255\n");
    // A named pipe and a folder named like colour files are passed over without waiting.
    ASSERT_EQ(0, ::mkfifo(QFile::encodeName(QDir(second).filePath(QStringLiteral("C.txt"))).constData(), 0600));
    ASSERT_TRUE(QDir(second).mkdir(QStringLiteral("D.txt")));
    // Names in other scripts, in the file's name and in its colours, are no binary data;
    // a damaged table is listed too, and refused (with its reason) when it is read.
    const QString third = QDir(dir.path()).filePath(QStringLiteral("third"));
    write(third, "\xd0\xa6\xd0\xb2\xd0\xb5\xd1\x82\xd0\xb0.txt", "0 \xd0\xba\xd1\x80\xd0\xb0\xd1\x81\xd0\xbd\xd1\x8b\xd0\xb9 255 0 0\n");
    write(third, "\xe8\x89\xb2.ctbl", "0 \xe8\xb5\xa4 255 0 0\n1 \xe9\x9d\x92 0 0 255\n");
    write(third, "damaged.txt", QByteArray("0 a 1 2 3\n\x01\x02\x00\xff\n", 15));
    // So are names that are not UTF-8 (Latin-1, CP1251, Shift-JIS): found by their bytes,
    // and shown with those bytes escaped.
    const char* const foreignNames[] = {"lat\xe4.txt", "\xd6\xe2\xe5\xf2.txt", "\x90\x46.ctbl"};
    std::vector<std::string> foreignFiles;
    for (const char* name : foreignNames)
        foreignFiles.push_back(write(third, name, "0 a 1 2 3 255\n"));
    // QTemporaryDir cannot name them to remove them.
    const std::shared_ptr<void> removeForeign(nullptr, [&foreignFiles](void*) {
        for (const std::string& file : foreignFiles)
            std::remove(file.c_str());
    });

    vtkNew<vtkVizColorLogic> logic;
    EXPECT_TRUE(logic->FindUserColorFiles().empty()) << "no paths set";
    logic->SetUserColorFilePaths("");
    EXPECT_TRUE(logic->FindUserColorFiles().empty());

    std::vector<std::string> warnings;
    vtkNew<vtkCallbackCommand> observer;
    observer->SetClientData(&warnings);
    observer->SetCallback([](vtkObject*, unsigned long, void* client, void* data) {
        static_cast<std::vector<std::string>*>(client)->emplace_back(static_cast<const char*>(data));
    });
    logic->AddObserver(vtkCommand::WarningEvent, observer);
    const std::string paths = (first + QStringLiteral(";;") + second + QStringLiteral(";") + third).toStdString();
    logic->SetUserColorFilePaths(paths.c_str());
    const std::vector<std::string> found = logic->FindUserColorFiles();
    ASSERT_EQ(found.size(), 9u);
    EXPECT_EQ(names({found.begin(), found.begin() + 3}), (std::vector<std::string>{"B.txt", "A.ctbl", "B.txt"}));
    std::vector<std::string> inThird = names({found.begin() + 3, found.end()});
    std::sort(inThird.begin(), inThird.end());
    std::vector<std::string> expectedInThird{"damaged.txt", "\xd0\xa6\xd0\xb2\xd0\xb5\xd1\x82\xd0\xb0.txt", "\xe8\x89\xb2.ctbl"};
    expectedInThird.insert(expectedInThird.end(), std::begin(foreignNames), std::end(foreignNames));
    std::sort(expectedInThird.begin(), expectedInThird.end());
    EXPECT_EQ(inThird, expectedInThird);
    EXPECT_EQ(found.front().rfind(first.toStdString() + "/", 0), 0u);
    // Each file left out is named with the reason, once.
    ASSERT_EQ(warnings.size(), 2u);
    std::sort(warnings.begin(), warnings.end());
    for (size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(warnings[i].rfind("FindColorFiles: not a supported file type:\n", 0), 0u) << warnings[i];
        EXPECT_NE(warnings[i].find(i == 0 ? "notes.dat" : "picture.png"), std::string::npos) << warnings[i];
    }
    logic->FindUserColorFiles();
    EXPECT_EQ(warnings.size(), 2u);
    // The tables in other scripts read as any other.
    vtkNew<vtkMRMLScene> scene;
    logic->SetMRMLScene(scene);
    auto* japanese = vtkMRMLColorTableNode::SafeDownCast(
        scene->GetNodeByID(vtkMRMLColorLogic::GetFileColorNodeID("\xe8\x89\xb2.ctbl")));
    ASSERT_NE(japanese, nullptr);
    EXPECT_STREQ(japanese->GetColorName(1), "\xe9\x9d\x92");
    EXPECT_NE(scene->GetNodeByID(vtkMRMLColorLogic::GetFileColorNodeID("\xd0\xa6\xd0\xb2\xd0\xb5\xd1\x82\xd0\xb0.txt")),
              nullptr);
    const char* const shownNames[] = {"lat\\xe4", "\\xd6\\xe2\\xe5\\xf2", "\\x90F"};
    for (size_t i = 0; i < std::size(foreignNames); ++i) {
        SCOPED_TRACE(shownNames[i]);
        auto* foreign = vtkMRMLColorTableNode::SafeDownCast(scene->GetNodeByID(vtkMRMLColorLogic::GetFileColorNodeID(foreignNames[i])));
        ASSERT_NE(foreign, nullptr);
        EXPECT_STREQ(foreign->GetName(), shownNames[i]);
    }
    logic->SetMRMLScene(nullptr);
    EXPECT_STREQ(logic->GetUserColorFilePaths(), paths.c_str()) << "the search leaves the text as it was";
}

TEST(ColorFilesSearch, ARefusedOrOddColourFileIsReadAndWarnedAboutOnceForAllProjects)
{
    QTemporaryDir dir;
    const QString folder = QDir(dir.path()).filePath(QStringLiteral("share/Pelmora-2.1/ColorFiles"));
    // Blank lines only: no table and no transfer function.
    const std::string refused = write(folder, "blank lines..txt", QByteArray(200000, '\n'));
    write(folder, "Good one.txt", "0 a 1 2 3 255\n");
    // Text in a file no colour reader takes.
    write(folder, "read me.dat", "notes\n");
    ScopedEnv home("PELMORA_HOME", dir.path().toUtf8());

    std::vector<std::string> warnings;
    vtkNew<vtkCallbackCommand> observer;
    observer->SetClientData(&warnings);
    observer->SetCallback([](vtkObject*, unsigned long, void* client, void* data) {
        static_cast<std::vector<std::string>*>(client)->emplace_back(static_cast<const char*>(data));
    });
    const std::string refusedID = vtkMRMLColorLogic::GetFileColorNodeID(refused.c_str());
    const auto openProjects = [&](int count) {
        // Each project's scene gets the colour nodes from a logic of its own.
        for (int i = 0; i < count; ++i) {
            vtkNew<vtkVizColorLogic> logic;
            logic->AddObserver(vtkCommand::WarningEvent, observer);
            vtkNew<vtkMRMLScene> scene;
            logic->SetMRMLScene(scene);
            EXPECT_NE(scene->GetNodeByID(vtkMRMLColorLogic::GetFileColorNodeID("Good one.txt")), nullptr);
            const bool shown = scene->GetNodeByID(refusedID) != nullptr;
            logic->SetMRMLScene(nullptr);
            if (shown)
                return true;
        }
        return false;
    };
    const auto refusals = [&] {
        return std::count_if(warnings.begin(), warnings.end(), [&](const std::string& w) {
            return w.find("is not read: ") != std::string::npos && w.find(refused) != std::string::npos;
        });
    };

    EXPECT_FALSE(openProjects(6));
    EXPECT_EQ(refusals(), 1) << "the unchanged file is read and refused once";
    EXPECT_EQ(std::count_if(warnings.begin(), warnings.end(),
                            [](const std::string& w) {
                                return w.find("not a supported file type") != std::string::npos
                                       && w.find("read me.dat") != std::string::npos;
                            }),
              1);

    // Changed, it is read again: now as a table for every later project.
    write(folder, "blank lines..txt", "0 mended 9 9 9 255\n");
    EXPECT_TRUE(openProjects(1));
    EXPECT_EQ(refusals(), 1);

    // Damaged again, it is refused again, once.
    write(folder, "blank lines..txt", QByteArray(100, '\n'));
    EXPECT_FALSE(openProjects(4));
    EXPECT_EQ(refusals(), 2);
}

TEST(ColorFilesSearch, AProceduralFileIsReadOnceAndEveryProjectShowsWhatItGave)
{
    QTemporaryDir dir;
    const QString folder = QDir(dir.path()).filePath(QStringLiteral("share/Pelmora-2.1/ColorFiles"));
    // The most points a file may hold, at even steps of a quarter; a ramp whose points are
    // unevenly spaced and out of order, one place given twice (the later one counts).
    QByteArray even = "# x r g b\n";
    for (int i = 0; i < 4096; ++i)
        even += QByteArray::number(i * 0.25) + ' ' + QByteArray::number((i % 256) / 255.0, 'g', 17) + " 0.5 1\n";
    write(folder, "Even ramp..pcf", even);
    write(folder, "Uneven ramp.txt", "10 1 1 1\n0.5 0 0 0\n-3 0.25 0.5 0.75\n0.5 0.5 0.5 0.5\n");
    ScopedEnv home("PELMORA_HOME", dir.path().toUtf8());

    const auto functionOf = [](vtkMRMLScene* scene, const char* file) {
        auto* node = vtkMRMLProceduralColorNode::SafeDownCast(
            scene->GetNodeByID(vtkMRMLColorLogic::GetFileColorNodeID(file)));
        return node ? node->GetColorTransferFunction() : nullptr;
    };
    std::vector<vtkSmartPointer<vtkMRMLScene>> scenes;
    const auto openProject = [&] {
        vtkNew<vtkVizColorLogic> logic;
        scenes.push_back(vtkSmartPointer<vtkMRMLScene>::New());
        logic->SetMRMLScene(scenes.back());
        logic->SetMRMLScene(nullptr);
    };
    openProject();
    vtkColorTransferFunction* first = functionOf(scenes.front(), "Even ramp..pcf");
    ASSERT_NE(first, nullptr);
    ASSERT_EQ(first->GetSize(), 4096);
    double point[6];
    first->GetNodeValue(4095, point);
    EXPECT_EQ(point[0], 1023.75);
    EXPECT_EQ(point[1], 255 / 255.0);
    first->GetNodeValue(257, point);
    EXPECT_EQ(point[0], 64.25);
    EXPECT_EQ(point[1], 1 / 255.0);
    vtkColorTransferFunction* uneven = functionOf(scenes.front(), "Uneven ramp.txt");
    ASSERT_NE(uneven, nullptr);
    ASSERT_EQ(uneven->GetSize(), 3);
    const double expected[3][4] = {{-3, 0.25, 0.5, 0.75}, {0.5, 0.5, 0.5, 0.5}, {10, 1, 1, 1}};
    for (int i = 0; i < 3; ++i) {
        uneven->GetNodeValue(i, point);
        EXPECT_EQ(std::vector<double>(point, point + 4), std::vector<double>(expected[i], expected[i] + 4)) << i;
    }

    // Every project read the files and built 4,096 points one by one (about 80 ms each).
    const long long reads = vtkMRMLColorLogic::GetNumberOfColorFileReads();
    for (int i = 0; i < 200; ++i)
        openProject();
    EXPECT_EQ(vtkMRMLColorLogic::GetNumberOfColorFileReads() - reads, 0) << "files read again for later projects";
    for (vtkMRMLScene* scene : scenes) {
        EXPECT_EQ(functionOf(scene, "Even ramp..pcf"), first);
        EXPECT_EQ(functionOf(scene, "Uneven ramp.txt"), uneven);
    }
}
