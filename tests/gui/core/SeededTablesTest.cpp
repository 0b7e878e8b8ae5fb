// Every table keyed by what a file, a paste or a message holds hashes under the process's
// seed.  Against a hash without one, an input can choose keys that all share one slot or
// bucket, and each key then walks all before it (80,000 chosen faces read in seconds,
// 100,000 chosen objects opened in most of a minute).  Each row makes such keys against
// the hash its table had, the attacker's model kept here only, and counts the slots or
// chain entries the table walks for them and for as many random keys.

#include <annotations/vtkMRMLAnnotationLinesNode.h>
#include <core/OpenHashMap.h>
#include <mrml/MRMLBitMixing.h>
#include <mrml/MRMLModelFileChecks.h>
#include <obj/Application.h>
#include <obj/ObjectTable.h>
#include <obj/Project.h>

#include <support/ProjectFileSeal.h>
#include <support/StepCount.h>
#include <support/TestEnvironment.h>

#include <QFile>
#include <QTemporaryDir>

#include <vtkCellArray.h>
#include <vtkNew.h>
#include <vtkPoints.h>
#include <vtkPolyData.h>

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <sstream>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace {

using Keys = std::vector<std::uint64_t>;   // candidate numbers, decoded by each row
constexpr std::size_t Count = 2000;        // keys a row fills its table with
constexpr std::uint64_t Golden = 0x9E3779B97F4A7C15ull;

std::uint64_t& treeSteps()
{
    return Counted::tally<struct TreeSteps>();
}

// Faces (a, b, c) on 400 points, listed from their lowest corner.
constexpr std::uint64_t FacePoints = 400;
std::uint64_t corner(std::uint64_t k, int i)
{
    return i == 0 ? k / (FacePoints * FacePoints) : i == 1 ? k / FacePoints % FacePoints : k % FacePoints;
}
bool aFace(std::uint64_t k)
{
    return corner(k, 0) < corner(k, 1) && corner(k, 0) < corner(k, 2) && corner(k, 1) != corner(k, 2);
}
std::uint64_t faceProbes(const Keys& keys, bool narrow)
{
    vtkNew<vtkPoints> points;
    for (std::uint64_t i = 0; i < FacePoints; ++i)
        points->InsertNextPoint(double(i), double(i % 7), double(i % 11));
    vtkNew<vtkCellArray> cells;
    for (std::uint64_t k : keys) {
        const vtkIdType face[3] = {vtkIdType(corner(k, 0)), vtkIdType(corner(k, 1)), vtkIdType(corner(k, 2))};
        cells->InsertNextCell(3, face);
    }
    if (narrow)
        cells->ConvertTo32BitStorage();
    vtkNew<vtkPolyData> model;
    model->SetPoints(points);
    model->SetPolys(cells);
    std::string problem;
    long long probes = 0;
    EXPECT_EQ(mrmlmodelfile::dropRepeatedFaces(model, problem, &probes), 0);
    return std::uint64_t(probes);
}

constexpr std::uint64_t LinePoints = 3000;
std::uint64_t lineEntries(const Keys& keys)
{
    auto node = vtkSmartPointer<vtkMRMLAnnotationLinesNode>::New();
    for (std::uint64_t i = 0; i < LinePoints; ++i) {
        const double p[3] = {double(i), 0, 0};
        node->AddControlPoint(p, 0, 1);
    }
    PelmoraTest::StepMeter meter(&vtkMRMLAnnotationLinesNode::GetLineEntriesVisited);
    for (std::uint64_t k : keys)
        node->AddLine(int(k / LinePoints), int(k % LinePoints), 0, 1);
    EXPECT_EQ(node->GetNumberOfLines(), int(keys.size()));
    return meter.elapsed();
}

std::uint64_t treeEntries(const Keys& keys)
{
    const std::uint64_t before = treeSteps();
    Gui::OpenHashMap<unsigned, int, &treeSteps> items;
    for (std::uint64_t k : keys)
        items.insert(unsigned(k + 1), 1);
    for (std::uint64_t k : keys)
        EXPECT_TRUE(items.contains(unsigned(k + 1)));
    return treeSteps() - before;
}

// The object table's and name index's slots for opening a project file of the objects
// (ids k + 1 or names "n" + k), or for pasting them into another project.
enum class Way { IdsInAFile, NamesInAFile, NamesInAPaste };
std::uint64_t objectSlots(const Keys& keys, Way way)
{
    QTemporaryDir dir;
    PelmoraTest::ScopedLogic logic;
    Obj::Application& app = logic.app();
    app.create_project("Chosen", "Chosen");
    const QByteArray file = QFile::encodeName(dir.filePath("chosen.pmdb"));
    EXPECT_TRUE(app.save_as_file(1, file.constData()));
    app.close_all_projects();
    QFile f(QString::fromLocal8Bit(file));
    EXPECT_TRUE(f.open(QIODevice::ReadWrite));
    QByteArray body = f.readAll();
    body.chop(body.size() - body.lastIndexOf("end\t"));
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const bool ids = way == Way::IdsInAFile;
        body += "object\t" + QByteArray::number(qulonglong(ids ? keys[i] + 1 : i + 1)) + "\tObj::ProjectObject\tn"
                + QByteArray::number(qulonglong(ids ? i : keys[i])) + "\t0\n";
    }
    f.seek(0);
    f.write(PelmoraTest::sealedProjectFile(body));
    f.close();
    std::uint64_t before = Obj::ObjectTable::slotsVisited();
    EXPECT_TRUE(app.resume_from_file(1, file.constData())) << app.last_file_error();
    Obj::Project* opened = app.get_project("Chosen");
    EXPECT_EQ(opened ? opened->get_num_objects() : 0, keys.size());
    if (!opened || way != Way::NamesInAPaste)
        return Obj::ObjectTable::slotsVisited() - before;
    std::stringstream copy;
    opened->export_objects(opened->get_objects(), copy);
    Obj::Project* target = app.create_project("Target", "Target");
    before = Obj::ObjectTable::slotsVisited();
    EXPECT_EQ(target->import_objects(copy).size(), keys.size());
    return Obj::ObjectTable::slotsVisited() - before;
}

// The first `Count` candidates that are keys at all and whose place is 0, or a random
// choice of `Count` keys (a fixed generator: the same on every run).
Keys keys(const std::function<bool(std::uint64_t)>& valid, const std::function<std::uint64_t(std::uint64_t)>& place)
{
    std::mt19937 pick(20261208);
    Keys found;
    for (std::uint64_t k = 0; found.size() < Count; ++k)
        if (valid(k) && (place ? place(k) == 0 : pick() % 4096 == 0))
            found.push_back(k);
    return found;
}

} // namespace

TEST(SeededTables, KeysChosenAgainstAnUnseededHashCostWhatRandomKeysCost)
{
    std::unordered_map<std::size_t, int> reserved;
    reserved.reserve(Count);
    const std::size_t faceBuckets = reserved.bucket_count();
    std::unordered_map<std::size_t, int> grown;
    for (std::size_t i = 0; i < Count; ++i)
        grown.emplace(i, 0);
    const std::size_t lineBuckets = grown.bucket_count();
    std::size_t slots = 16;   // an open table's size once it holds them, at most half full
    while (slots < 2 * Count)
        slots <<= 1;
    unsigned treeBits = 4;
    while ((std::size_t(1) << treeBits) * 3 < Count * 4)
        ++treeBits;
    const auto anyKey = [](std::uint64_t) { return true; };

    // Former hashes: FNV-1a over the corners into a std::unordered_map's buckets, and the
    // same mixing as now without the seed; a multiple of the start id XOR the end id into
    // buckets; the top or the low bits of the id times a fixed odd number; the standard
    // library's hash of the name.
    const auto formerFace = [&](std::uint64_t k) {
        std::uint64_t h = 1469598103934665603ull;
        for (int i = 0; i < 3; ++i)
            h = (h ^ corner(k, i)) * 1099511628211ull;
        return (h ^ (h >> 29)) % faceBuckets;
    };
    const auto unseededFace = [&](std::uint64_t k) {
        return mrmlmodelfile::mixBits(corner(k, 0) << 32 | corner(k, 1), 3ull << 32 | corner(k, 2), 0) & (slots - 1);
    };
    const auto formerName = [&](std::uint64_t k) { return std::hash<std::string_view>()("n" + std::to_string(k)) & (slots - 1); };
    const struct
    {
        const char* table;
        std::function<bool(std::uint64_t)> valid;
        std::function<std::uint64_t(std::uint64_t)> formerPlace;
        std::function<std::uint64_t(const Keys&)> fill;
    } rows[] = {
        {"faces against the former table, 64-bit cells", aFace, formerFace, [](const Keys& k) { return faceProbes(k, false); }},
        {"faces against the former table, 32-bit cells", aFace, formerFace, [](const Keys& k) { return faceProbes(k, true); }},
        {"faces against the unseeded mixing", aFace, unseededFace, [](const Keys& k) { return faceProbes(k, true); }},
        {"lines of an annotation", [](std::uint64_t k) { return k < LinePoints * LinePoints; },
         [&](std::uint64_t k) { return (std::size_t(k / LinePoints) * 1000003u ^ std::size_t(k % LinePoints)) % lineBuckets; },
         lineEntries},
        {"the project tree's ids", anyKey, [&](std::uint64_t k) { return ((k + 1) * Golden) >> (64 - treeBits); }, treeEntries},
        {"object ids in a project file", anyKey, [&](std::uint64_t k) { return (((k + 1) * Golden) >> 32) & (slots - 1); },
         [](const Keys& k) { return objectSlots(k, Way::IdsInAFile); }},
        {"object names in a project file", anyKey, formerName, [](const Keys& k) { return objectSlots(k, Way::NamesInAFile); }},
        {"object names in a paste", anyKey, formerName, [](const Keys& k) { return objectSlots(k, Way::NamesInAPaste); }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.table);
        const std::uint64_t random = row.fill(keys(row.valid, nullptr));
        const std::uint64_t chosen = row.fill(keys(row.valid, row.formerPlace));
        EXPECT_TRUE(PelmoraTest::stepsGrowAtMost(random, chosen, 2.0)) << "chosen keys against random ones";
    }
}
