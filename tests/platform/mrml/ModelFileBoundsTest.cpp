// Model files read no further than their kind asks: a file of another kind is told from
// its first bytes, a file longer than its header declares is read as far as the header
// says, a model of nothing is refused with the reason, and running out of memory while
// reading is a refusal like any other.

#include <support/ConsoleCapture.h>
#include <support/OwnMemory.h>

#include <mrml/MRMLModelFileChecks.h>
#include <mrml/vtkMRMLFreeSurferModelStorageNode.h>
#include <mrml/vtkMRMLModelNode.h>
#include <mrml/vtkMRMLModelStorageNode.h>

#include <vtkCellArray.h>
#include <vtkCellData.h>
#include <vtkIntArray.h>
#include <vtkNew.h>
#include <vtkOBJWriter.h>
#include <vtkPLYWriter.h>
#include <vtkPoints.h>
#include <vtkPolyData.h>
#include <vtkPolyDataWriter.h>
#include <vtkSTLWriter.h>
#include <vtkXMLPolyDataWriter.h>
#include <vtkSmartPointer.h>
#include <vtkSphereSource.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <array>
#include <malloc.h>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using PelmoraTest::resetPeak;
using PelmoraTest::statusKiB;

std::string pathIn(const QTemporaryDir& dir, const char* name)
{
    return QFile::encodeName(QDir(dir.path()).filePath(QString::fromUtf8(name))).toStdString();
}

void writeFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Makes the file `size` bytes long without writing the rest: it reads as zeros and takes
// no disk.
bool extendTo(const std::string& path, std::uint64_t size)
{
    return ::truncate(path.c_str(), static_cast<off_t>(size)) == 0;
}

std::string littleEndian32(std::uint32_t v)
{
    std::string out(4, '\0');
    for (int i = 0; i < 4; ++i)
        out[static_cast<size_t>(i)] = static_cast<char>((v >> (8 * i)) & 0xFF);
    return out;
}

std::string bigEndian32(std::uint32_t v)
{
    std::string out(4, '\0');
    for (int i = 0; i < 4; ++i)
        out[static_cast<size_t>(i)] = static_cast<char>((v >> (24 - 8 * i)) & 0xFF);
    return out;
}

std::string floatBits(float f, bool big)
{
    std::uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    return big ? bigEndian32(bits) : littleEndian32(bits);
}

// A binary STL: `header` padded to 80 bytes, the count, and the triangles (nine corners'
// coordinates each).
std::string binarySTL(const std::string& header, std::uint32_t count, const std::vector<std::vector<float>>& triangles)
{
    std::string bytes = header;
    bytes.resize(80, ' ');
    bytes += littleEndian32(count);
    for (const auto& t : triangles) {
        bytes += std::string(12, '\0'); // the normal
        for (float c : t)
            bytes += floatBits(c, false);
        bytes += std::string(2, '\0');
    }
    return bytes;
}

const std::vector<std::vector<float>> wedge{
    {0, 0, 0, 4, 0, 0, 0, 3, 0}, {0, 0, 0, 0, 3, 0, 0, 0, 2}, {0, 0, 0, 0, 0, 2, 4, 0, 0}, {4, 0, 0, 0, 0, 2, 0, 3, 0}};

const std::vector<float> tetraCorners{0.f, 0.f, 0.f, 10.5f, 0.f, 0.f, 0.f, 20.25f, 0.f, 0.f, 0.f, -30.f};

std::string freeSurferTetra(const std::vector<float>& corners = tetraCorners)
{
    std::string bytes = "\xFF\xFF\xFE" "created by hand\n\n";
    bytes += bigEndian32(4) + bigEndian32(4);
    for (float c : corners)
        bytes += floatBits(c, true);
    for (std::uint32_t i : {0u, 2u, 1u, 0u, 1u, 3u, 1u, 2u, 3u, 0u, 3u, 2u})
        bytes += bigEndian32(i);
    return bytes;
}

struct Reading
{
    vtkSmartPointer<vtkPolyData> data;
    std::string error;
    long peakGrowthKiB = 0;
};

// Reads the file with the reader its name picks, and how far the peak of resident memory
// rose meanwhile.
Reading readMeasured(const std::string& path)
{
    Reading r;
    const long before = statusKiB("VmRSS");
    const bool measured = resetPeak() && statusKiB("VmHWM") > 0;
    if (vtkMRMLFreeSurferModelStorageNode::IsSupportedFileName(path.c_str()))
        r.data.TakeReference(vtkMRMLFreeSurferModelStorageNode::ReadSurface(path.c_str(), r.error));
    else
        r.data.TakeReference(vtkMRMLModelStorageNode::ReadPolyData(path.c_str(), r.error));
    r.peakGrowthKiB = measured ? statusKiB("VmHWM") - before : 0;
    return r;
}

} // namespace

TEST(ModelFileBounds, GigabyteFilesOfZerosAreRefusedFromTheirFirstBytes)
{
    QTemporaryDir dir;
    const std::uint64_t gigabyte = 1ull << 30;
    const struct
    {
        const char* name;
        const char* says;
    } cases[] = {
        {"zero fill.v2.vtk", "could not be read: its header is damaged"},
        {"zero fill.v2.vtp", "could not be read: it is not a VTK poly data file"},
        {"zero fill.v2.obj", "could not be read: it is not a Wavefront OBJ file"},
        {"zero fill.v2.stl", "holds no model geometry: its header declares no triangles"},
        {"zero fill.v2.ply", "is not a PLY file"},
        {"lh.zero fill.pial", "could not be read: it is not a FreeSurfer surface file"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = pathIn(dir, c.name);
        writeFile(path, "");
        ASSERT_TRUE(extendTo(path, gigabyte));
        const Reading r = readMeasured(path);
        EXPECT_EQ(r.data, nullptr);
        EXPECT_NE(r.error.find(c.says), std::string::npos) << r.error;
        EXPECT_NE(r.error.find(c.name), std::string::npos) << r.error;
        EXPECT_LT(r.peakGrowthKiB, 32 * 1024);
    }

    // Models followed by a gigabyte that their headers do not count: the model is read,
    // and no more.
    const std::string stl = pathIn(dir, "wedge.tail.stl");
    writeFile(stl, binarySTL("wedge", 4, wedge));
    ASSERT_TRUE(extendTo(stl, gigabyte));
    const std::string pial = pathIn(dir, "rh.tail.pial");
    writeFile(pial, freeSurferTetra());
    ASSERT_TRUE(extendTo(pial, gigabyte));
    for (const std::string& path : {stl, pial}) {
        SCOPED_TRACE(path);
        const Reading r = readMeasured(path);
        ASSERT_NE(r.data, nullptr) << r.error;
        EXPECT_EQ(r.data->GetNumberOfPolys(), 4);
        EXPECT_EQ(r.data->GetNumberOfPoints(), 4);
        EXPECT_LT(r.peakGrowthKiB, 32 * 1024);
    }

    // A legacy header that announces more points than the file can hold.
    const std::string legacy = pathIn(dir, "many.points.vtk");
    writeFile(legacy, "# vtk DataFile Version 3.0\nmany\nBINARY\nDATASET POLYDATA\nPOINTS 900000000 float\n");
    ASSERT_TRUE(extendTo(legacy, 64ull << 20));
    const Reading many = readMeasured(legacy);
    EXPECT_EQ(many.data, nullptr);
    EXPECT_NE(many.error.find("its header announces 900000000 points, more than the file can hold"),
              std::string::npos)
        << many.error;
    EXPECT_LT(many.peakGrowthKiB, 32 * 1024);
}

namespace {

// The tetrahedron above as the writer of its kind writes it; in text when the name says so.
void writeTetra(const std::string& path, const std::vector<float>& corners)
{
    if (path.find(".pial") != std::string::npos)
        return writeFile(path, freeSurferTetra(corners));
    vtkNew<vtkPoints> points;
    for (size_t k = 0; k < corners.size(); k += 3)
        points->InsertNextPoint(corners[k], corners[k + 1], corners[k + 2]);
    vtkNew<vtkCellArray> faces;
    for (std::array<vtkIdType, 3> face : {std::array<vtkIdType, 3>{0, 2, 1}, {0, 1, 3}, {1, 2, 3}, {0, 3, 2}})
        faces->InsertNextCell(3, face.data());
    vtkNew<vtkPolyData> tetra;
    tetra->SetPoints(points);
    tetra->SetPolys(faces);
    const bool text = path.find("text") != std::string::npos;
    auto write = [&](auto writer) {
        writer->SetInputData(tetra);
        writer->SetFileName(path.c_str());
        if constexpr (std::is_same_v<decltype(writer), vtkSmartPointer<vtkXMLPolyDataWriter>>)
            text ? writer->SetDataModeToAscii() : writer->SetDataModeToAppended();
        else if constexpr (!std::is_same_v<decltype(writer), vtkSmartPointer<vtkOBJWriter>>)
            text ? writer->SetFileTypeToASCII() : writer->SetFileTypeToBinary();
        writer->Write();
    };
    const std::string ext = path.substr(path.rfind('.'));
    if (ext == ".stl")
        write(vtkSmartPointer<vtkSTLWriter>::New());
    else if (ext == ".vtk")
        write(vtkSmartPointer<vtkPolyDataWriter>::New());
    else if (ext == ".vtp")
        write(vtkSmartPointer<vtkXMLPolyDataWriter>::New());
    else if (ext == ".ply")
        write(vtkSmartPointer<vtkPLYWriter>::New());
    else
        write(vtkSmartPointer<vtkOBJWriter>::New());
}

} // namespace

// One rule for every kind of model file: a coordinate that is not a number, or is
// infinite, refuses the file with that reason (points that equal nothing would be joined
// at a cost that grows with their square, and drawn as nothing), and a model whose
// corners all coincide holds no geometry.
TEST(ModelFileBounds, EveryKindRefusesCoordinatesThatAreNotFiniteAndCornersThatAllCoincide)
{
    QTemporaryDir dir;
    const float inf = std::numeric_limits<float>::infinity();
    // Points are numbered as the file lists them: STL files list each triangle's corners.
    const std::pair<float, const char*> values[] = {
        {std::numeric_limits<float>::quiet_NaN(), "could not be read: point ? has a coordinate that is not a number"},
        {inf, "could not be read: point ? has a coordinate that is infinite"},
        {-inf, "could not be read: point ? has a coordinate that is infinite"},
        {std::numeric_limits<float>::max(), "could not be read: point ? has a coordinate beyond 1e+37, too far to be drawn"},
        {-1e38f, "could not be read: point ? has a coordinate beyond 1e+37, too far to be drawn"},
        {1.5f, "holds no model geometry: all its 4 faces collapse to one point"}};
    for (const char* kind : {"model.stl", "model text.stl", "model.vtk", "model text.vtk", "model.vtp", "model text.vtp", "model.ply",
                             "model text.ply", "model.obj", "lh.model.pial"}) {
        for (const auto& [value, says] : values) {
            std::vector<float> corners = value == 1.5f ? std::vector<float>(tetraCorners.size(), value) : tetraCorners;
            corners[7] = value;
            const std::string path = pathIn(dir, kind);
            writeTetra(path, corners);
            SCOPED_TRACE(std::string(kind) + ", " + std::to_string(value));
            const Reading r = readMeasured(path);
            EXPECT_EQ(r.data, nullptr);
            EXPECT_NE(r.error.find(kind), std::string::npos) << r.error;
            const std::string reason = says;
            const size_t digit = reason.find('?');
            EXPECT_NE(r.error.find(reason.substr(0, digit)), std::string::npos) << r.error;
            EXPECT_NE(r.error.find(reason.substr(std::min(digit + 1, reason.size()))), std::string::npos) << r.error;
            std::remove(path.c_str());
        }
    }

    // As text files write them, in whatever form the readers take: a value beyond the
    // range of single precision points is an infinite one, and beyond that of double
    // precision too; a finite one in double precision is too far to be drawn.
    const struct
    {
        const char* kind;
        const char* number;
        bool doublePoints; // legacy VTK's points declared as double
        const char* says;  // null: read
    } written[] = {
        {"model text.vtk", "+inf", false, "point 2 has a coordinate that is infinite"},
        {"model text.vtk", "1e39", false, "point 2 has a coordinate that is infinite"},
        {"model text.vtk", "1e39", true, "point 2 has a coordinate beyond 1e+37, too far to be drawn"},
        {"model text.vtk", "-1e400", true, "point 2 has a coordinate that is infinite"},
        {"model text.vtk", "1e-400", true, nullptr},
        {"model text.vtp", "+inf", false, "point 2 has a coordinate that is infinite"},
        {"model text.vtp", "1e39", false, "point 2 has a coordinate that is infinite"},
        {"model text.ply", "+inf", false, "point 2 has a coordinate that is infinite"},
        {"model text.ply", "1e39", false, "point 2 has a coordinate that is infinite"},
        {"model text.ply", "+7.25", false, nullptr},
        {"model.obj", "+inf", false, "point 2 has a coordinate that is infinite"},
        {"model.obj", "1e39", false, "point 2 has a coordinate that is infinite"},
        {"model.obj", "1e38", false, "point 2 has a coordinate beyond 1e+37, too far to be drawn"},
        {"model.obj", "+7.25", false, nullptr},
    };
    for (const auto& w : written) {
        SCOPED_TRACE(std::string(w.kind) + ", " + w.number);
        std::vector<float> corners = tetraCorners;
        corners[7] = 7.25f;
        const std::string path = pathIn(dir, w.kind);
        writeTetra(path, corners);
        std::string text;
        {
            std::ifstream in(path, std::ios::binary);
            text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        }
        const size_t at = text.find("7.25");
        ASSERT_NE(at, std::string::npos) << text;
        text.replace(at, 4, w.number);
        if (w.doublePoints) {
            const size_t points = text.find("POINTS 4 float");
            ASSERT_NE(points, std::string::npos) << text;
            text.replace(points, 14, "POINTS 4 double");
        }
        writeFile(path, text);
        const Reading r = readMeasured(path);
        if (!w.says) {
            EXPECT_NE(r.data, nullptr) << r.error;
        } else {
            EXPECT_EQ(r.data, nullptr);
            EXPECT_NE(r.error.find(std::string("could not be read: ") + w.says), std::string::npos) << r.error;
        }
        std::remove(path.c_str());
    }
}

TEST(ModelFileBounds, BinarySTLIsReadAsFarAsItsCountAndAModelOfOnePointIsRefused)
{
    QTemporaryDir dir;
    // What exporters write: a header that begins with "solid", a few bytes after the
    // triangles.
    const std::string solid = pathIn(dir, "solid head.v1.stl");
    writeFile(solid, binarySTL("solid wedge exported", 4, wedge) + std::string("\r\n\0\0", 4));
    std::string error;
    vtkSmartPointer<vtkPolyData> data =
        vtkSmartPointer<vtkPolyData>::Take(vtkMRMLModelStorageNode::ReadPolyData(solid.c_str(), error));
    ASSERT_NE(data, nullptr) << error;
    EXPECT_EQ(data->GetNumberOfPolys(), 4);
    EXPECT_EQ(data->GetNumberOfPoints(), 4);
    double p[3];
    data->GetPoint(1, p);
    EXPECT_EQ(p[0], 4.0);

    // As VTK writes a sphere: the same triangles and corners as VTK's own reader gives.
    vtkNew<vtkSphereSource> sphere;
    sphere->Update();
    const std::string written = pathIn(dir, "sphere.vtk-made.stl");
    vtkNew<vtkSTLWriter> writer;
    writer->SetInputData(sphere->GetOutput());
    writer->SetFileTypeToBinary();
    writer->SetFileName(written.c_str());
    writer->Write();
    data.TakeReference(vtkMRMLModelStorageNode::ReadPolyData(written.c_str(), error));
    ASSERT_NE(data, nullptr) << error;
    EXPECT_EQ(data->GetNumberOfPolys(), sphere->GetOutput()->GetNumberOfPolys());
    EXPECT_EQ(data->GetNumberOfPoints(), sphere->GetOutput()->GetNumberOfPoints());

    // A megabyte of zeros declares no triangles; triangles that all sit on one point,
    // binary or text, make no model either.
    const std::string zeros = pathIn(dir, "zeros.stl");
    writeFile(zeros, std::string(1 << 20, '\0'));
    const std::string point = pathIn(dir, "point.stl");
    writeFile(point, binarySTL("", 3, std::vector<std::vector<float>>(3, std::vector<float>(9, 1.5f))));
    const std::string text = pathIn(dir, "point text.stl");
    std::string facet = " facet normal 0 0 0\n  outer loop\n   vertex 0 0 0\n   vertex -0 0 0\n   vertex 0 0 0\n"
                        "  endloop\n endfacet\n";
    writeFile(text, "solid p\n" + facet + facet + "endsolid p\n");
    // Faces are judged by the corners they use, whatever points, vertices or lines come
    // with them; lines alone by theirs.
    auto objFile = [&dir](const char* name, const std::string& text) {
        const std::string path = pathIn(dir, name);
        writeFile(path, text);
        return path;
    };
    const std::string apart = "v 3 3 3\nv 5 6 7\n", together = "v 1 1 1\nv 1 1 1\nv 1 1 1\nv 9 9 9\n";
    const struct
    {
        std::string path;
        const char* says; // null: read
    } refused[] = {
        {zeros, "holds no model geometry: its header declares no triangles"},
        {point, "holds no model geometry: all its 3 faces collapse to one point"},
        {text, "holds no model geometry: all its 2 faces collapse to one point"},
        {objFile("one corner.obj", apart + "f 1 1 1\n"), "holds no model geometry: its one face collapses to a point"},
        {objFile("unused.obj", together + "f 1 2 3\n"), "holds no model geometry: its one face collapses to a point"},
        {objFile("vertex cell.obj", together + "f 1 2 3\np 4\nl 1 4\n"),
         "holds no model geometry: its one face collapses to a point"},
        {objFile("each a point.obj", apart + "f 1 1 1\nf 2 2 2\n"),
         "holds no model geometry: each of its 2 faces collapses to a point"},
        {objFile("line.obj", together + "l 1 2\n"), "holds no model geometry: its one line collapses to a point"},
        {objFile("face and point.obj", together + "f 1 2 4\nf 1 1 1\n"), nullptr},
        {objFile("lines.obj", apart + "l 1 2\n"), nullptr},
        {objFile("line and vertex.obj", together + "l 1 2\np 4\n"), nullptr},
    };
    for (const auto& r : refused) {
        SCOPED_TRACE(r.path);
        auto read = vtkSmartPointer<vtkPolyData>::Take(vtkMRMLModelStorageNode::ReadPolyData(r.path.c_str(), error));
        EXPECT_EQ(read == nullptr, r.says != nullptr) << error;
        if (r.says)
            EXPECT_NE(error.find(r.says), std::string::npos) << error;
    }
}

TEST(ModelFileBounds, RunningOutOfMemoryWhileReadingIsARefusal)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer reserves address space beyond any limit set here";
#else
    // A million triangles, a few distinct and the rest on one corner: large enough that
    // some limit lets the reader through and stops what follows it.
    QTemporaryDir dir;
    const std::uint32_t count = 1u << 20;
    const std::string path = pathIn(dir, "large model.v3.stl");
    writeFile(path, binarySTL("large", count, wedge));
    ASSERT_TRUE(extendTo(path, 84 + 50ull * count));

    // In a child, under address limits rising from a little above what it uses to far
    // more, through the storage node as a scene reads it: nothing may escape the read.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // One heap, and every large block mapped on its own and given back when freed:
        // otherwise what the warm-up below freed stays reserved (a thread's arena, a
        // raised mapping threshold), counts in the size the limits start from, and a
        // read can fit in it under the smallest limit, as it did now and then.
        mallopt(M_ARENA_MAX, 1);
        mallopt(M_MMAP_THRESHOLD, 128 * 1024);
        // VTK's parallel loops start their thread pool on first use, and a pool that
        // cannot start ends the process wherever it is: a program that reads models has
        // started it long before memory runs short.
        std::string warmUp;
        vtkSmartPointer<vtkPolyData>::Take(vtkMRMLModelStorageNode::ReadPolyData(path.c_str(), warmUp));
        malloc_trim(0);
        rlimit before{};
        getrlimit(RLIMIT_AS, &before);
        bool refused = false;
        bool read = false;
        for (rlim_t margin = 8; margin <= 512; margin += 4) {
            rlimit capped = before;
            capped.rlim_cur = static_cast<rlim_t>(statusKiB("VmSize")) * 1024 + (margin << 20);
            if (before.rlim_cur != RLIM_INFINITY && capped.rlim_cur > before.rlim_cur)
                capped.rlim_cur = before.rlim_cur;
            setrlimit(RLIMIT_AS, &capped);
            int ok = 0;
            std::string error;
            try {
                vtkNew<vtkMRMLModelNode> model;
                vtkNew<vtkMRMLModelStorageNode> storage;
                storage->SetURI(("file:" + path).c_str());
                ok = storage->ReadData(model);
                error = storage->GetLastErrorMessage();
            } catch (...) {
                _exit(3);
            }
            setrlimit(RLIMIT_AS, &before);
            if (!ok && error.find("asks for more memory than there is") == std::string::npos)
                _exit(4);
            refused = refused || !ok;
            read = read || ok;
            if (read)
                break;
        }
        _exit(refused && read ? 0 : 5);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "the child ended by signal " << (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
    EXPECT_NE(WEXITSTATUS(status), 3) << "an exception escaped the read";
    EXPECT_NE(WEXITSTATUS(status), 4) << "a read failed for another reason than memory";
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the limits did not reach from a refusal to a read";
#endif
}

TEST(ModelFileBounds, ASurfaceThatHoldsMoreVerticesThanItsHeaderCountsSaysSo)
{
    // Four vertices written, three declared: the triangles are read from the fourth.
    std::string bytes = "\xFF\xFF\xFE" "created by hand\n\n";
    bytes += bigEndian32(3) + bigEndian32(2);
    for (float c : {0.f, 0.f, 0.f, 10.5f, 0.f, 0.f, 0.f, 20.25f, 0.f, -30.f, 2.f, 3.f})
        bytes += floatBits(c, true);
    for (std::uint32_t i : {0u, 1u, 2u, 0u, 2u, 3u})
        bytes += bigEndian32(i);
    QTemporaryDir dir;
    const std::string path = pathIn(dir, "lh.one more.white");
    writeFile(path, bytes);
    const Reading r = readMeasured(path);
    EXPECT_EQ(r.data, nullptr);
    EXPECT_NE(r.error.find("could not be read: its header's vertex and triangle counts do not match its data: "
                           "triangle 0 names vertex -1041235968, and the header declares 3 vertices"),
              std::string::npos)
        << r.error;
}

// A face listed again with the same corners in the same turn is read once: a stack of
// them costs its height in drawing time and shows one face. The faces' values go with
// the faces kept; a repeat whose values differ is refused. The work grows with the faces.
TEST(ModelFileBounds, FacesThatRepeatExactlyAreReadOnceAtACostThatGrowsWithTheFaces)
{
    const struct
    {
        int distinct;    // faces (i, i+1, i+2), after one vertex cell
        int copies;      // how often each is listed
        bool turned;     // each listed once more from its second corner, and once the other way
        bool differ;     // the last copy of the last face has a value of its own
        long long kept;  // -1: refused
    } rows[] = {
        {1, 1, false, false, 1},      {1, 1000, false, false, 1},    {1, 64000, false, false, 1},
        {1000, 1, false, false, 1000}, {64000, 1, false, false, 64000}, {1000, 3, true, false, 2000},
        {64000, 2, true, false, 128000}, {10, 2, false, true, -1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::to_string(row.distinct) + " x " + std::to_string(row.copies));
        vtkNew<vtkPoints> points;
        for (int i = 0; i < row.distinct + 2; ++i)
            points->InsertNextPoint(i, i % 2, (i / 2) % 3);
        vtkNew<vtkCellArray> verts, faces;
        vtkNew<vtkIntArray> part;
        part->SetName("part");
        const vtkIdType vertex = 0;
        verts->InsertNextCell(1, &vertex);
        part->InsertNextValue(-1);
        for (int copy = 0; copy < row.copies; ++copy)
            for (int i = 0; i < row.distinct; ++i) {
                const vtkIdType face[3] = {i, i + 1, i + 2};
                faces->InsertNextCell(3, face);
                part->InsertNextValue(row.differ && copy + 1 == row.copies && i + 1 == row.distinct ? -2 : i);
            }
        if (row.turned)
            for (int i = 0; i < row.distinct; ++i) {
                const vtkIdType turned[3] = {i + 1, i + 2, i}, other[3] = {i, i + 2, i + 1};
                faces->InsertNextCell(3, turned);
                part->InsertNextValue(i);
                faces->InsertNextCell(3, other);
                part->InsertNextValue(1000000 + i);
            }
        vtkNew<vtkPolyData> model;
        model->SetPoints(points);
        model->SetVerts(verts);
        model->SetPolys(faces);
        model->GetCellData()->AddArray(part);
        const vtkIdType listed = model->GetNumberOfPolys();
        std::string problem;
        long long probes = 0, keptReads = 0;
        const long long left = mrmlmodelfile::dropRepeatedFaces(model, problem, &probes, &keptReads);
        EXPECT_LT(double(probes), 3.0 * double(listed));
        // A few reads of the list of faces kept a face, where a walk over it for each face
        // reads half the faces a face.
        EXPECT_LT(double(keptReads), 8.0 * double(listed));
        if (row.kept < 0) {
            EXPECT_EQ(left, 0);
            EXPECT_EQ(problem, "faces " + std::to_string(row.distinct - 1) + " and " +
                                   std::to_string(row.distinct * row.copies - 1) +
                                   " have the same corners but different values of \"part\"");
            EXPECT_EQ(model->GetNumberOfPolys(), listed);
            continue;
        }
        EXPECT_EQ(problem, "");
        EXPECT_EQ(model->GetNumberOfPolys(), row.kept);
        EXPECT_EQ(left, listed - row.kept);
        // Each face kept has its own value, the vertex cell its own.
        auto* values = vtkIntArray::SafeDownCast(model->GetCellData()->GetArray("part"));
        ASSERT_NE(values, nullptr);
        ASSERT_EQ(values->GetNumberOfValues(), 1 + row.kept);
        EXPECT_EQ(values->GetValue(0), -1);
        EXPECT_EQ(values->GetValue(row.distinct), row.distinct - 1);
        if (row.turned)
            EXPECT_EQ(values->GetValue(row.kept), 1000000 + row.distinct - 1);
    }

    // Read from a file, the faces left out are said once.
    QTemporaryDir dir;
    PelmoraTest::ConsoleCapture console;
    std::string text = "v 0 0 0\nv 1 0 0\nv 0 1 0\n";
    for (int i = 0; i < 5000; ++i)
        text += "f 1 2 3\n";
    const std::string path = pathIn(dir, "stack.obj");
    writeFile(path, text);
    std::string error;
    auto read = vtkSmartPointer<vtkPolyData>::Take(vtkMRMLModelStorageNode::ReadPolyData(path.c_str(), error));
    ASSERT_NE(read, nullptr) << error;
    EXPECT_EQ(read->GetNumberOfPolys(), 1);
    EXPECT_EQ(console.count(PelmoraTest::ConsoleCapture::Level::Message,
                            "stack.obj\": 4999 faces that repeat others exactly were left out"),
              1);
    EXPECT_EQ(console.lines().size(), 1u);
    std::remove(path.c_str());
}
