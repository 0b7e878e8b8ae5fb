// Model files whose damage hides where an earlier check did not look: cell lists of a
// legacy VTK file after a METADATA block, and the block headers of a .vtp file's arrays
// as the reader counts them. Each is refused at once, without a crash and with little
// memory; the sound forms still read. The files kept from fuzzing are replayed here too.

#include "support/OwnMemory.h"
#include "support/ThreadCpuTimer.h"

#include <mrml/vtkMRMLModelStorageNode.h>

#include <vtkCellArray.h>
#include <vtkDataArray.h>
#include <vtkNew.h>
#include <vtkPoints.h>
#include <vtkPolyData.h>
#include <vtkPolyDataWriter.h>
#include <vtkSmartPointer.h>
#include <vtkSphereSource.h>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

using PelmoraTest::resetPeak;
using PelmoraTest::statusKiB;

void writeFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

struct Outcome
{
    vtkSmartPointer<vtkPolyData> data;
    std::string error;
    std::int64_t ms = 0;
    long growthKiB = 0;
};

Outcome readModel(const std::string& path)
{
    const long before = statusKiB("VmRSS");
    resetPeak();
    PelmoraTest::ThreadCpuTimer timer;
    Outcome o;
    o.data = vtkSmartPointer<vtkPolyData>::Take(vtkMRMLModelStorageNode::ReadPolyData(path.c_str(), o.error));
    o.ms = timer.elapsed();
    o.growthKiB = statusKiB("VmHWM") - before;
    return o;
}

// A small surface whose point coordinates carry component names, so that VTK's legacy
// writer puts a METADATA block between the points and the cells, as it does for the
// program's own surfaces.
vtkSmartPointer<vtkPolyData> namedSurface()
{
    vtkNew<vtkSphereSource> source;
    source->SetThetaResolution(4);
    source->SetPhiResolution(3);
    source->Update();
    vtkSmartPointer<vtkPolyData> data = source->GetOutput();
    data->GetPoints()->GetData()->SetComponentName(0, "x");
    data->GetPoints()->GetData()->SetComponentName(1, "y");
    data->GetPoints()->GetData()->SetComponentName(2, "z");
    return data;
}

std::string legacyFile(vtkPolyData* data, bool binary, int version)
{
    vtkNew<vtkPolyDataWriter> writer;
    writer->SetInputData(data);
    if (binary)
        writer->SetFileTypeToBinary();
    else
        writer->SetFileTypeToASCII();
    if (version < 5)
        writer->SetFileVersion(vtkPolyDataWriter::VTK_LEGACY_READER_VERSION_4_2);
    writer->WriteToOutputStringOn();
    writer->Write();
    return writer->GetOutputStdString();
}

// `bytes` with the first `from` after `after` replaced by `to`.
std::string replaced(std::string bytes, const std::string& after, const std::string& from, const std::string& to)
{
    const size_t at = bytes.find(from, bytes.find(after));
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos)
        bytes.replace(at, from.size(), to);
    return bytes;
}

} // namespace

TEST(HostileModelFileSections, LegacyCellListsAreCheckedWhereverMetadataStands)
{
    QTemporaryDir dir;
    vtkSmartPointer<vtkPolyData> surface = namedSurface();
    const std::string binary5 = legacyFile(surface, true, 5);
    const std::string ascii4 = legacyFile(surface, false, 4);
    ASSERT_LT(binary5.find("METADATA"), binary5.find("POLYGONS")) << "the writer puts the block before the cells";
    ASSERT_LT(ascii4.find("METADATA"), ascii4.find("POLYGONS"));

    // The written forms read whole, their component names and all.
    for (const auto& sound : {std::make_pair("sound binary.vtk", binary5), std::make_pair("sound ascii.v4.vtk", ascii4)}) {
        const std::string path = QDir(dir.path()).filePath(sound.first).toStdString();
        writeFile(path, sound.second);
        const Outcome o = readModel(path);
        ASSERT_NE(o.data, nullptr) << sound.first << ": " << o.error;
        EXPECT_EQ(o.data->GetNumberOfCells(), surface->GetNumberOfCells()) << sound.first;
        EXPECT_EQ(o.data->GetNumberOfPoints(), surface->GetNumberOfPoints()) << sound.first;
    }

    const std::string polygons = "POLYGONS " + std::to_string(surface->GetNumberOfPolys() + 1) + " ";
    // A second block (as after the offsets of a cell list) and one that ends the file.
    std::string twice = binary5;
    twice.insert(twice.find("CONNECTIVITY"), "METADATA\nINFORMATION 0\n\n");
    const struct
    {
        const char* file;
        std::string bytes;
    } cases[] = {
        // Each of these crashed VTK's reader or took gigabytes.
        {"negative connectivity.vtk", replaced(binary5, "POLYGONS", polygons, polygons + "-")},
        {"many offsets.vtk", replaced(binary5, "POLYGONS", polygons, "POLYGONS 2147483647 ")},
        {"point ids past the points.v4.vtk", replaced(ascii4, "POLYGONS", "\n3 ", "\n3 999 ")},
        {"cell count too high.v4.vtk", replaced(ascii4, "POLYGONS", "\n3 ", "\n300 ")},
        {"second block, many ids.vtk", replaced(twice, "CONNECTIVITY", "CONNECTIVITY", "CONNECTIVITY")
                                            .replace(twice.find(polygons), polygons.size(), "POLYGONS 5 2147483647 ")},
        {"ends in metadata.vtk", binary5.substr(0, binary5.find("METADATA") + 30)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string path = QDir(dir.path()).filePath(c.file).toStdString();
        writeFile(path, c.bytes);
        const Outcome o = readModel(path);
        EXPECT_EQ(o.data, nullptr);
        EXPECT_NE(o.error.find(std::string(c.file) + "\" "), std::string::npos) << o.error;
        EXPECT_LT(o.growthKiB, 64 * 1024);
        EXPECT_EQ(o.error.find("more memory than there is"), std::string::npos) << o.error;
    }

    // The model-file fuzzer starts from these too (its first byte picks the kind: 2 for
    // a legacy file).
    if (const char* seeds = std::getenv("PELMORA_FUZZ_SEEDS")) {
        int n = 0;
        for (const std::string& bytes : {binary5, ascii4, cases[0].bytes, cases[4].bytes})
            writeFile(std::string(seeds) + "/model/metadata-" + std::to_string(n++), '\x02' + bytes);
    }
}

TEST(HostileModelFileSections, KeptFuzzFindingsAreRefusedAtOnceWithLittleMemory)
{
    // Among them a compressed .vtp whose appended data holds blanks: this check counted
    // the offsets without them, VTK's parser with them, and it reserved block headers
    // for gigabytes.
    const QDir findings(QStringLiteral(PELMORA_FUZZ_FINDINGS "/model"));
    const QStringList files = findings.entryList(QDir::Files);
    ASSERT_TRUE(files.contains("lzma-block-headers-9gb.vtp")) << findings.path().toStdString();
    for (const QString& file : files) {
        SCOPED_TRACE(file.toStdString());
        const Outcome o = readModel(findings.filePath(file).toStdString());
        EXPECT_EQ(o.data, nullptr);
        EXPECT_NE(o.error.find("could not be read: "), std::string::npos) << o.error;
        EXPECT_EQ(o.error.find("more memory than there is"), std::string::npos) << o.error;
        EXPECT_LT(o.growthKiB, 64 * 1024);
    }
}
