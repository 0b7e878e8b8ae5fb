// What a project file or a paste may hold, and what reading one costs: the first line is
// checked before anything else is read, no record is read past what the file holds,
// names and labels are taken whole or refused with a reason, and a surface that would
// crash the model reader is refused.

#include "support/OwnMemory.h"
#include "support/ProjectFileSeal.h"
#include "support/TestEnvironment.h"
#include "support/WorkCount.h"

#include <obj/Application.h>
#include <obj/GeometryObject.h>
#include <obj/Project.h>
#include <obj/ProjectObject.h>
#include <obj/Property.h>
#include <obj/PropertyPath.h>
#include <obj/PropertyStringList.h>
#include <vexil/TypeInfo.h>
#include <vexil/Exception.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <vtkDataArray.h>
#include <vtkNew.h>
#include <vtkPoints.h>
#include <vtkPolyData.h>
#include <vtkPolyDataWriter.h>
#include <vtkSmartPointer.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <unistd.h>

using PelmoraTest::ScopedLogic;

namespace {

using PelmoraTest::resetPeak;
using PelmoraTest::statusKiB;

std::string path(const QString& p)
{
    return QFile::encodeName(p).toStdString();
}

QByteArray readBytes(const QString& file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeBytes(const QString& file, const QByteArray& bytes)
{
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

// A project file's bytes with `from` replaced by `to`, and a closing line that fits.
QByteArray changed(QByteArray bytes, const QByteArray& from, const QByteArray& to)
{
    EXPECT_GE(bytes.indexOf(from), 0) << from.toStdString();
    bytes.replace(bytes.indexOf(from), from.size(), to);
    bytes.chop(bytes.size() - bytes.lastIndexOf("end\t"));
    return PelmoraTest::sealedProjectFile(bytes);
}

// A file of `size` bytes that begins with `head` and holds zeros after it, taking no
// room on disk.
void sparseFile(const QString& file, const QByteArray& head, qint64 size)
{
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(head);
    ASSERT_TRUE(f.resize(size));
}

// Runs `step` and gives what it read (KiB) and how far the resident memory peaked above
// where it was (KiB).
template <class Step>
std::pair<std::int64_t, long> cost(Step step)
{
    const long before = statusKiB("VmRSS");
    resetPeak();
    const std::uint64_t read = PelmoraTest::bytesReadByProcess();
    step();
    return {static_cast<std::int64_t>((PelmoraTest::bytesReadByProcess() - read) / 1024), statusKiB("VmHWM") - before};
}

// A project "P" with objects "first" and "second".
QByteArray sampleFile(Obj::Application& app, const QTemporaryDir& dir)
{
    Obj::Project* project = app.create_project("P", "P label");
    project->add_object("Obj::ProjectObject", "first");
    project->add_object("Obj::ProjectObject", "second")->set_label("second label");
    const QString file = dir.filePath("sample.pmdb");
    EXPECT_TRUE(app.save_as_file(1, path(file).c_str())) << app.last_file_error();
    app.close_all_projects();
    return readBytes(file);
}

std::vector<std::string> projectNames(Obj::Application& app)
{
    std::vector<std::string> names;
    for (Obj::Project* p : app.get_projects())
        names.emplace_back(p->get_name());
    return names;
}

} // namespace

TEST(ProjectFileBounds, NamesWithANulByteOrOfMegabytesAreRefusedNotCut)
{
    QTemporaryDir dir;
    ScopedLogic logic;
    Obj::Application& app = logic.app();
    const QByteArray sound = sampleFile(app, dir);
    const QByteArray longName(4097, 'n');
    const QByteArray label4MB(4 << 20, 'L');
    const struct
    {
        const char* file;
        QByteArray bytes;
        const char* says;
    } cases[] = {
        {"nul in object name.pmdb", changed(sound, "\tfirst\t", "\tfir%00st\t"), "an object name holding a NUL byte"},
        {"nul in label.pmdb", changed(sound, "second label", "second%00label"), "a label holding a NUL byte"},
        {"nul in project name.pmdb", changed(sound, "project\tP\t", "project\tP%00Q\t"), "a project name holding a NUL"},
        {"long object name.pmdb", changed(sound, "\tfirst\t", "\t" + longName + "\t"), "an object name longer than 4096"},
        {"4 MB label.pmdb", changed(sound, "P label", label4MB), "a label longer than 4096"},
    };
    app.create_project("Keep", "Keep");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const QString file = dir.filePath(c.file);
        writeBytes(file, c.bytes);
        const auto spent = cost([&] { EXPECT_FALSE(app.resume_from_file(1, path(file).c_str())); });
        EXPECT_NE(app.last_file_error().find(c.says), std::string::npos) << app.last_file_error();
        EXPECT_NE(app.last_file_error().find(c.file), std::string::npos) << app.last_file_error();
        EXPECT_EQ(projectNames(app), std::vector<std::string>{"Keep"});
        // Read once, no more than the file holds (a few MiB at most).
        EXPECT_LT(spent.first, 2 * (static_cast<std::int64_t>(c.bytes.size()) / 1024) + 1024) << spent.first << " KiB read";

        // The same copied onto the clipboard: the paste is refused as a whole.
        std::istringstream copy(std::string(c.bytes.constData(), static_cast<size_t>(c.bytes.size())));
        Obj::Project* keep = app.get_project("Keep");
        try {
            keep->import_objects(copy);
            ADD_FAILURE() << "pasted";
        }
        catch (const Vexil::ExceptionHandler& e) {
            EXPECT_NE(std::string(e.what()).find(c.says), std::string::npos) << e.what();
        }
        EXPECT_EQ(keep->get_num_objects(), 0u);
    }

    // A name of the longest length reads back whole, and a longer one is not saved at all.
    app.close_all_projects();
    const QByteArray longest(4096, 'x');
    const QString file = dir.filePath("longest.pmdb");
    writeBytes(file, changed(sound, "\tfirst\t", "\t" + longest + "\t"));
    ASSERT_TRUE(app.resume_from_file(1, path(file).c_str())) << app.last_file_error();
    ASSERT_TRUE(app.get_project("P"));
    EXPECT_TRUE(app.get_project("P")->get_object(longest.constData()));
    app.get_project("P")->get_object(longest.constData())->set_label(longName.constData());
    EXPECT_FALSE(app.save_as_file(1, path(file).c_str()));
    EXPECT_NE(app.last_file_error().find("longer than 4096 bytes"), std::string::npos) << app.last_file_error();
    EXPECT_EQ(readBytes(file), changed(sound, "\tfirst\t", "\t" + longest + "\t")) << "the file is left as it was";
}

TEST(ProjectFileBounds, TheFirstLineIsCheckedBeforeTheRestIsRead)
{
    QTemporaryDir dir;
    ScopedLogic logic;
    Obj::Application& app = logic.app();
    const QByteArray sound = sampleFile(app, dir);
    const qint64 gigabyte = qint64(1) << 30;
    const QString foreign = dir.filePath("sparse.pmdb");
    sparseFile(foreign, QByteArray(), gigabyte);
    const QString framed = dir.filePath("framed sparse.pmdb");
    sparseFile(framed, sound.left(sound.indexOf('\n') + 1), gigabyte);
    // Surface records: one of zeros, and a long one cut before its end, which is read only
    // as far as the file goes.
    const QByteArray surface = sound.left(sound.indexOf("object")) + "object\t1\tObj::GeometryObject\tg\t0\nmodel\t";
    const QString zeros = dir.filePath("sparse.model.pmdb");
    sparseFile(zeros, surface, gigabyte);
    const QString cut = dir.filePath("cut.model.pmdb");
    writeBytes(cut, surface + QByteArray(8 << 20, 'A'));
    QByteArray junk = sound.left(sound.indexOf("object"));
    junk += "prop\t" + QByteArray(17 << 20, 'v');
    const QString longRecord = dir.filePath("long record.pmdb");
    writeBytes(longRecord, junk);

    const struct
    {
        QString file;
        const char* says;
        long peakKiB;
    } cases[] = {
        {foreign, "not a Pelmora project file", 8 * 1024},
        {framed, "damaged: an unknown record at line 2", 8 * 1024},
        {zeros, "damaged: a bad model record at line", 8 * 1024},
        {cut, "incomplete", 40 * 1024},
        {longRecord, "a record longer than any it writes", 64 * 1024},
    };
    // Under a limit of 2 GiB more address space than now, none of it runs out of memory.
    rlimit before{};
    getrlimit(RLIMIT_AS, &before);
    rlimit capped = before;
    capped.rlim_cur = static_cast<rlim_t>(statusKiB("VmSize")) * 1024 + (rlim_t(2) << 30);
    if (before.rlim_cur == RLIM_INFINITY || before.rlim_cur > capped.rlim_cur)
        setrlimit(RLIMIT_AS, &capped);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file.toStdString());
        const auto spent = cost([&] { EXPECT_FALSE(app.resume_from_file(1, path(c.file).c_str())); });
        EXPECT_NE(app.last_file_error().find(c.says), std::string::npos) << app.last_file_error();
        EXPECT_LT(spent.second, c.peakKiB);
        // Never the gigabyte: what a refusal needs, the long records (up to 17 MiB) at most.
        EXPECT_LT(spent.first, 64 * 1024) << spent.first << " KiB read";
        EXPECT_TRUE(app.get_projects().empty());
    }

    // A paste by a file's path reads as sparingly.
    app.create_project("Target", "Target");
    std::ifstream stream(path(framed), std::ios::binary);
    const auto spent = cost([&] {
        EXPECT_THROW(app.get_project("Target")->import_objects(stream), Vexil::ExceptionHandler);
    });
    setrlimit(RLIMIT_AS, &before);
    EXPECT_LT(spent.first, 64 * 1024) << spent.first << " KiB read";
    EXPECT_LT(spent.second, 8 * 1024);
    EXPECT_EQ(app.get_project("Target")->get_num_objects(), 0u);
}

TEST(ProjectFileBounds, ASurfaceThatWouldCrashTheModelReaderIsRefused)
{
    // A legacy surface with a METADATA block before its cells, as the program writes
    // them, and a negative count after it.
    QTemporaryDir dir;
    ScopedLogic logic;
    Obj::Application& app = logic.app();
    const QString stl = dir.filePath("wedge.stl");
    writeBytes(stl, "solid w\n facet normal 0 0 1\n  outer loop\n   vertex 0 0 0\n   vertex 4 0 0\n   vertex 0 3 0\n"
                    "  endloop\n endfacet\nendsolid w\n");
    Obj::Project* project = app.open_model_file(path(stl));
    ASSERT_TRUE(project);
    auto* geometry = dynamic_cast<Obj::GeometryObject*>(project->get_objects().front());
    ASSERT_TRUE(geometry && geometry->get_poly_data());
    vtkPolyData* surface = geometry->get_poly_data();
    for (int k = 0; k < 3; ++k)
        surface->GetPoints()->GetData()->SetComponentName(k, k == 0 ? "x" : k == 1 ? "y" : "z");
    vtkNew<vtkPolyDataWriter> writer;
    writer->SetInputData(surface);
    writer->SetFileTypeToBinary();
    writer->WriteToOutputStringOn();
    writer->Write();
    std::string legacy = writer->GetOutputStdString();
    ASSERT_LT(legacy.find("METADATA"), legacy.find("POLYGONS"));
    legacy.replace(legacy.find("POLYGONS 2 3"), 12, "POLYGONS 2 -3");

    const QString file = dir.filePath("with model.pmdb");
    ASSERT_TRUE(app.save_as_file(1, path(file).c_str()));
    const QByteArray bytes = readBytes(file);
    const int model = bytes.indexOf("\nmodel\t") + 7;
    const QByteArray written = bytes.mid(model, bytes.indexOf('\n', model) - model);
    const QByteArray hostile =
        changed(bytes, written, QByteArray(legacy.data(), static_cast<int>(legacy.size())).toBase64());
    app.close_all_projects();
    writeBytes(file, hostile);
    EXPECT_FALSE(app.resume_from_file(1, path(file).c_str()));
    EXPECT_NE(app.last_file_error().find("holds a surface that cannot be read"), std::string::npos)
        << app.last_file_error();
    EXPECT_TRUE(app.get_projects().empty());

    Obj::Project* target = app.create_project("Target", "Target");
    std::istringstream copy(std::string(hostile.constData(), static_cast<size_t>(hostile.size())));
    EXPECT_THROW(target->import_objects(copy), Vexil::ExceptionHandler);
    EXPECT_EQ(target->get_num_objects(), 0u);
}

TEST(ProjectFileBounds, EveryStringValueWithANulByteRawOrEscapedIsRefusedNamingPropertyObjectAndLine)
{
    QTemporaryDir dir;
    ScopedLogic logic;
    Obj::Application& app = logic.app();
    // One project holding every kind of object whose properties hold text.
    Obj::Project* project = app.create_project("P", "P label");
    project->add_object("Obj::ProjectObject", "first")->set_label("first label");
    auto* geometry = dynamic_cast<Obj::GeometryObject*>(project->add_object("Obj::GeometryObject", "plate"));
    ASSERT_TRUE(geometry);
    geometry->FileName->set_value("/models/plate.stl");
    auto* ruler = dynamic_cast<Obj::AnnotationObject*>(project->add_object("Obj::AnnotationRuler", "ruler"));
    ASSERT_TRUE(ruler);
    ruler->set_annotation_text("# Annotation list\nruler;ruler;1;0,0,0;10,0,0;visible\n");
    const QString sample = dir.filePath("sample.pmdb");
    ASSERT_TRUE(app.save_as_file(1, path(sample).c_str())) << app.last_file_error();
    app.close_all_projects();
    app.create_project("Keep", "Keep");
    QList<QByteArray> lines = readBytes(sample).split('\n');
    // Paths and lists of texts are texts too: one of each, among the first object's properties.
    const int firstProperty = int(std::find_if(lines.begin(), lines.end(), [](const QByteArray& l) { return l.startsWith("prop\t"); }) - lines.begin());
    ASSERT_LT(firstProperty, lines.size());
    for (const char* type : {"Obj::PropertyPath", "Obj::PropertyDirectory", "Obj::PropertyDocIncluded", "Obj::PropertyStringList"})
        lines.insert(firstProperty, QByteArray("prop\t") + type + "\t" + type + "\t/a/b");
    const auto isText = [](const QByteArray& type) {
        const Vexil::TypeInfo t = Vexil::TypeInfo::get_type_from_name(type.constData());
        return t.is_inherited_from(Obj::PropertyString::getClassTypeId()) || t.is_inherited_from(Obj::PropertyPath::getClassTypeId())
               || t.is_inherited_from(Obj::PropertyStringList::getClassTypeId());
    };

    std::set<std::string> covered;
    std::string owner;
    int cells = 0;
    for (int n = 0; n < lines.size(); ++n) {
        const QList<QByteArray> f = lines[n].split('\t');
        if (f.value(0) == "project" || f.value(0) == "object")
            owner = (f.value(0) == "project" ? f.value(1) : f.value(3)).toStdString();
        if ((f.value(0) != "prop" && f.value(0) != "pprop") || f.size() != 4 || f[3].isEmpty()
            || !isText(f[2])
            || f[1] == "Length Unit")   // read as a unit, and refused naming it whole
            continue;
        covered.insert(f[1].toStdString());
        for (const QByteArray& nul : {QByteArray(1, '\0'), QByteArray("%00")}) {
            QList<QByteArray> changedLines = lines;
            QByteArray value = f[3];
            value.insert(value.size() / 2, nul);
            changedLines[n] = f[0] + '\t' + f[1] + '\t' + f[2] + '\t' + value;
            QByteArray body = changedLines.join('\n');
            body.chop(body.size() - body.lastIndexOf("end\t"));
            const QByteArray bytes = PelmoraTest::sealedProjectFile(body);
            const std::string label = f[1].toStdString() + " of " + owner + (nul.size() == 1 ? ", raw" : ", %00");
            const std::vector<std::string> says = {"holding a NUL byte", "'" + f[1].toStdString() + "'",
                                                   "'" + owner + "'", "at line " + std::to_string(n + 1)};
            // From a file: refused whole, the open projects kept.
            const QString file = dir.filePath("nul.pmdb");
            writeBytes(file, bytes);
            EXPECT_FALSE(app.resume_from_file(1, path(file).c_str())) << label;
            for (const std::string& part : says)
                EXPECT_NE(app.last_file_error().find(part), std::string::npos) << label << ": " << app.last_file_error();
            EXPECT_EQ(projectNames(app), std::vector<std::string>{"Keep"}) << label;
            // From the clipboard: the paste is refused whole.
            std::istringstream copy(std::string(bytes.constData(), static_cast<size_t>(bytes.size())));
            Obj::Project* keep = app.get_project("Keep");
            try {
                keep->import_objects(copy);
                ADD_FAILURE() << label << ": pasted";
            }
            catch (const Vexil::ExceptionHandler& e) {
                for (const std::string& part : says)
                    EXPECT_NE(std::string(e.what()).find(part), std::string::npos) << label << ": " << e.what();
            }
            EXPECT_EQ(keep->get_num_objects(), 0u) << label;
            ++cells;
        }
    }
    EXPECT_EQ(covered, (std::set<std::string>{"AnnotationText", "File Name", "Label", "Obj::PropertyPath", "Obj::PropertyDirectory",
                                              "Obj::PropertyDocIncluded", "Obj::PropertyStringList"}));
    EXPECT_GE(cells, 10);
}
