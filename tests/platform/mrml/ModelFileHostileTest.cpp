// Model files as a careless exporter or a hostile sender makes them: each is read or
// refused with a clear error, without a crash, within a second and without memory out of
// proportion to the file.

#include "ModelFileCorpus.h"
#include "support/OwnMemory.h"
#include "support/ThreadCpuTimer.h"

#include <mrml/vtkMRMLModelStorageNode.h>

#include <vtkFloatArray.h>
#include <vtkNew.h>
#include <vtkObjectFactory.h>
#include <vtkOutputWindow.h>
#include <vtkPLYWriter.h>
#include <vtkPointData.h>
#include <vtkPolyData.h>
#include <vtkPolyDataWriter.h>
#include <vtkSTLWriter.h>
#include <vtkSmartPointer.h>
#include <vtkSphereSource.h>
#include <vtkXMLPolyDataWriter.h>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <sys/resource.h>

using ModelFileCorpus::Sample;

namespace {

using PelmoraTest::resetPeak;
using PelmoraTest::statusKiB;

vtkSmartPointer<vtkPolyData> sphere(int resolution)
{
    vtkNew<vtkSphereSource> source;
    source->SetThetaResolution(resolution);
    source->SetPhiResolution(resolution);
    source->Update();
    vtkSmartPointer<vtkPolyData> data = source->GetOutput();
    return data;
}

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void writeFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

struct XmlMode
{
    const char* name;
    int dataMode; // vtkXMLWriter::Ascii, Binary or Appended
    bool encodeAppended;
    const char* compressor; // "", "zlib", "lz4" or "lzma"
    bool header64;
};

const XmlMode xmlModes[] = {
    {"ascii", vtkXMLWriter::Ascii, false, "", false},
    {"inline", vtkXMLWriter::Binary, false, "", false},
    {"inline-zlib", vtkXMLWriter::Binary, false, "zlib", true},
    {"inline-lz4", vtkXMLWriter::Binary, false, "lz4", false},
    {"appended-raw", vtkXMLWriter::Appended, false, "", false},
    {"appended-raw-zlib", vtkXMLWriter::Appended, false, "zlib", true},
    {"appended-base64", vtkXMLWriter::Appended, true, "", true},
    {"appended-base64-lzma", vtkXMLWriter::Appended, true, "lzma", false},
};

// The sphere as VTK writes it in `mode`, with a scalar array of its own.
std::string vtpFile(const QTemporaryDir& dir, const XmlMode& mode, int resolution)
{
    vtkSmartPointer<vtkPolyData> data = sphere(resolution);
    vtkNew<vtkFloatArray> heat;
    heat->SetName("heat");
    heat->SetNumberOfTuples(data->GetNumberOfPoints());
    for (vtkIdType i = 0; i < data->GetNumberOfPoints(); ++i)
        heat->SetValue(i, static_cast<float>(i));
    data->GetPointData()->AddArray(heat);
    const std::string path = QDir(dir.path()).filePath(QString("source-%1.vtp").arg(mode.name)).toStdString();
    vtkNew<vtkXMLPolyDataWriter> writer;
    writer->SetInputData(data);
    writer->SetFileName(path.c_str());
    writer->SetDataMode(mode.dataMode);
    writer->SetEncodeAppendedData(mode.encodeAppended);
    const std::string compressor = mode.compressor;
    if (compressor == "zlib")
        writer->SetCompressorTypeToZLib();
    else if (compressor == "lz4")
        writer->SetCompressorTypeToLZ4();
    else if (compressor == "lzma")
        writer->SetCompressorTypeToLZMA();
    else
        writer->SetCompressorTypeToNone();
    if (mode.header64)
        writer->SetHeaderTypeToUInt64();
    else
        writer->SetHeaderTypeToUInt32();
    writer->Write();
    return readFile(path);
}

template <class Writer>
void writeWith(vtkPolyData* model, const std::string& path, bool ascii)
{
    vtkNew<Writer> writer;
    writer->SetInputData(model);
    if (ascii)
        writer->SetFileTypeToASCII();
    else
        writer->SetFileTypeToBinary();
    writer->SetFileName(path.c_str());
    writer->Write();
}

vtkSmartPointer<vtkPolyData> read(const std::string& path, std::string& error)
{
    return vtkSmartPointer<vtkPolyData>::Take(vtkMRMLModelStorageNode::ReadPolyData(path.c_str(), error));
}

// Writes `bytes` as `name` in `dir` and reads it, which must fail; gives the error.
std::string refusal(const QTemporaryDir& dir, const char* name, const std::string& bytes)
{
    const std::string path = QDir(dir.path()).filePath(name).toStdString();
    writeFile(path, bytes);
    std::string error;
    EXPECT_EQ(read(path, error), nullptr) << name;
    return error;
}

// A figure of /proc/self/status in KiB ("VmHWM", the peak resident memory since the last
// reset; "VmRSS"; "VmSize"); 0 when the system does not tell.
// Counts what VTK would print while it is the output window.
class CountingOutputWindow : public vtkOutputWindow
{
public:
    static CountingOutputWindow* New();
    vtkTypeMacro(CountingOutputWindow, vtkOutputWindow);
    void DisplayText(const char*) override { ++texts; }
    int texts = 0;
};
vtkStandardNewMacro(CountingOutputWindow);

} // namespace

TEST(HostileModelFiles, AsciiPlyWithoutAFinalLineFeedReads)
{
    // Many exporters end the last line without one; VTK's reader freed memory twice then.
    QTemporaryDir dir;
    const std::string path = QDir(dir.path()).filePath("open-end.ply").toStdString();
    vtkNew<vtkPLYWriter> writer;
    writer->SetInputData(sphere(8));
    writer->SetFileTypeToASCII();
    writer->SetFileName(path.c_str());
    writer->Write();
    std::string bytes = readFile(path);
    while (!bytes.empty() && (bytes.back() == '\n' || bytes.back() == '\r' || bytes.back() == ' '))
        bytes.pop_back();
    writeFile(path, bytes);

    std::string error;
    vtkSmartPointer<vtkPolyData> data = read(path, error);
    ASSERT_NE(data, nullptr) << error;
    EXPECT_EQ(data->GetNumberOfCells(), sphere(8)->GetNumberOfCells());
    EXPECT_EQ(readFile(path), bytes) << "the file itself is left as it is";
}

TEST(HostileModelFiles, PlyHeadersThatVtkWouldMisreadAreRefused)
{
    // Each of these made VTK's reader read through a bad pointer: it finds elements and
    // properties by name, and parts words at blanks and tabs only.
    const std::string triangle = "element face 1\nproperty list uchar int vertex_indices\nend_header\n";
    const std::string faceData = std::string("\x03", 1) + std::string(12, '\0');
    std::string twice = "ply\nformat binary_little_endian 1.0\nelement vertex 3\n";
    for (int i = 0; i < 4; ++i)
        twice += "property float x\nproperty float y\nproperty float z1.0\n";
    twice += "element vertex 3\nproperty float x\nproperty float y\nproperty float z\n" + triangle +
             std::string(3 * 48 + 3 * 12, '\0') + faceData;
    const std::string tabbed = "ply\nformat binary_little_endian 1.0\nelement vertex 3\nproperty float x\n"
                               "property float y\n\v\vproperty float z\n" +
                               triangle + std::string(3 * 12, '\0') + faceData;
    // It passes over other elements without reading their data, nor does it follow a
    // second format line.
    const std::string first = "ply\nformat ascii 1.0\nelement junk 1\nproperty float a\nelement vertex 3\n"
                              "property float x\nproperty float y\nproperty float z\n" +
                              triangle + "7\n0 0 0\n1 0 0\n0 1 0\n3 0 1 2\n";
    std::string formats = first;
    formats.replace(formats.find("element junk 1\nproperty float a\n"), 32, "format binary_little_endian 1.0\n");
    QTemporaryDir dir;
    for (const auto& c : {std::make_pair("twice.ply", twice), std::make_pair("tabbed.ply", tabbed),
                          std::make_pair("first.ply", first), std::make_pair("formats.ply", formats)}) {
        const std::string error = refusal(dir, c.first, c.second);
        EXPECT_NE(error.find("could not be read: its header"), std::string::npos) << error;
    }
}

TEST(HostileModelFiles, LegacyVtkFieldDataOfAnUnknownTypeIsRefused)
{
    // VTK's reader fails on the array and then uses the field data it did not make.
    QTemporaryDir dir;
    const std::string error =
        refusal(dir, "field.vtk",
                "# vtk DataFile Version 3.0\nx\nASCII\nDATASET POLYDATA\nPOINTS 3 float\n0 0 0 1 0 0 0 1 0\n"
                "FIELD FieldData 1\nname 1 1 nonsense\n0\nPOLYGONS 1 4\n3 0 1 2\n");
    EXPECT_NE(error.find("could not be read: its field data is damaged"), std::string::npos) << error;
}

TEST(HostileModelFiles, AnStlReadAsBinaryMustHoldTheTrianglesItsHeaderCounts)
{
    // A text STL with bytes changed in its head: VTK's reader would take it for a binary
    // file whose count (bytes 80 to 84, letters here) asks for gigabytes.  It is a text
    // file, damaged, and said to be one.
    QTemporaryDir dir;
    const std::string path = QDir(dir.path()).filePath("head.stl").toStdString();
    writeWith<vtkSTLWriter>(sphere(8), path, true);
    std::string bytes = readFile(path);
    for (size_t i = 100; i < 140; ++i)
        bytes[i] = '\x01';
    const std::string error = refusal(dir, "head.stl", bytes);
    EXPECT_NE(error.find("it begins as a text STL file (\"solid\") and holds bytes that are not text"), std::string::npos)
        << error;
}

TEST(HostileModelFiles, VtpHeadersAreCheckedBeforeTheReaderTrustsThem)
{
    QTemporaryDir dir;
    const XmlMode& ascii = xmlModes[0];
    const XmlMode& zlib = xmlModes[2];
    const std::string plain = vtpFile(dir, ascii, 6);
    const std::string compressed = vtpFile(dir, zlib, 6);
    auto replaced = [](std::string bytes, const std::string& from, const std::string& to) {
        const size_t at = bytes.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        if (at != std::string::npos)
            bytes.replace(at, from.size(), to);
        return bytes;
    };
    // The first block header of a compressed array, with one of its words replaced.
    auto header = [&](size_t word, std::uint64_t value) {
        std::string bytes = compressed;
        const size_t first = bytes.find_first_not_of(" \n", bytes.find('>', bytes.find("format=\"binary\"")) + 1);
        const size_t end = bytes.find('=', first) + 1;
        std::string words = ModelFileCorpus::unbase64(bytes.substr(first, end - first));
        words.replace(word * 8, 8, ModelFileCorpus::littleEndian(value, 8));
        bytes.replace(first, end - first, ModelFileCorpus::base64(words));
        return bytes;
    };
    // The last cell offset, which sizes the connectivity, replaced.
    auto lastOffset = [&](const std::string& value) {
        std::string bytes = plain;
        const size_t start = bytes.find('>', bytes.find("Name=\"offsets\"", bytes.find("<Polys>"))) + 1;
        const size_t end = bytes.find_last_of("0123456789", bytes.find('<', start)) + 1;
        const size_t first = bytes.find_last_of(" \n", end - 1) + 1;
        bytes.replace(first, end - first, value);
        return bytes;
    };
    // A byte of the first compressed block changed (a base64 digit of its data run).
    std::string damagedBlock = compressed;
    const size_t text = damagedBlock.find('>', damagedBlock.find("format=\"binary\"")) + 1;
    const size_t run = damagedBlock.find_first_not_of('=', damagedBlock.find('=', text)) + 8;
    damagedBlock[run] = damagedBlock[run] == 'A' ? 'B' : 'A';
    std::string deep = ModelFileCorpus::nested("deep", plain, 200000).bytes;
    std::string wide = plain;
    std::string siblings;
    for (int i = 0; i < 300000; ++i)
        siblings += "<a/>";
    wide.insert(wide.find('>', wide.find("<Piece")) + 1, siblings);
    const std::string points = "NumberOfPoints=\"" + std::to_string(sphere(6)->GetNumberOfPoints()) + "\"";
    const struct
    {
        const char* file;
        std::string bytes;
    } cases[] = {
        {"negative-points.vtp", replaced(plain, points, "NumberOfPoints=\"-1\"")},
        {"negative-points-compressed.vtp", replaced(compressed, points, "NumberOfPoints=\"-1\"")},
        {"many-points.vtp", replaced(plain, points, "NumberOfPoints=\"3000000000\"")},
        {"components.vtp", replaced(plain, "NumberOfComponents=\"3\"", "NumberOfComponents=\"4294967295\"")},
        {"no-blocks.vtp", header(0, 0)},
        {"all-blocks.vtp", header(0, 0xffffffffu)},
        {"block-size.vtp", header(1, 0)},
        {"huge-last-block.vtp", header(2, 1ull << 36)},
        {"empty-block.vtp", header(3, 0)},
        {"damaged-block.vtp", damagedBlock},
        {"deep.vtp", deep},
        {"wide.vtp", wide},
        {"far-offset.vtp", lastOffset("99999999999")},
        {"negative-offset.vtp", lastOffset("-5")},
        {"doctype.vtp", "<!DOCTYPE x [<!ENTITY a \"aaaa\">]>" + plain},
        {"not-closed.vtp", plain.substr(0, plain.size() / 2)},
    };
    // What a refused file says is all in the error: nothing goes to VTK's output window.
    vtkSmartPointer<vtkOutputWindow> previous = vtkOutputWindow::GetInstance();
    vtkNew<CountingOutputWindow> printed;
    vtkOutputWindow::SetInstance(printed);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string path = QDir(dir.path()).filePath(c.file).toStdString();
        writeFile(path, c.bytes);
        std::string error;
        EXPECT_EQ(read(path, error), nullptr);
        EXPECT_NE(error.find(std::string(c.file) + "\" could not be read: "), std::string::npos) << error;
        EXPECT_EQ(printed->texts, 0);
    }
    vtkOutputWindow::SetInstance(previous);

    // What VTK writes in each of its forms still reads, whole.
    for (const XmlMode& mode : xmlModes) {
        SCOPED_TRACE(mode.name);
        const std::string path = QDir(dir.path()).filePath(QString("sound-%1.vtp").arg(mode.name)).toStdString();
        writeFile(path, vtpFile(dir, mode, 60));
        std::string error;
        vtkSmartPointer<vtkPolyData> data = read(path, error);
        ASSERT_NE(data, nullptr) << error;
        EXPECT_EQ(data->GetNumberOfCells(), sphere(60)->GetNumberOfCells());
        EXPECT_NE(data->GetPointData()->GetArray("heat"), nullptr);
    }
}

TEST(HostileModelFiles, DamagedFilesAreReadOrRefusedWithinASecondAndBoundedMemory)
{
    QTemporaryDir dir;
    std::vector<Sample> corpus;
    for (const XmlMode& mode : xmlModes) {
        const std::string name = std::string("vtp-") + mode.name;
        const std::string file = vtpFile(dir, mode, 5);
        ModelFileCorpus::numericAttributes(name, file, corpus);
        if (mode.dataMode == vtkXMLWriter::Binary)
            ModelFileCorpus::inlineHeaders(name, file, mode.header64 ? 8 : 4, *mode.compressor != '\0', corpus);
        if (mode.dataMode == vtkXMLWriter::Appended && !mode.encodeAppended)
            ModelFileCorpus::appendedWords(name, file, corpus);
        ModelFileCorpus::truncatedAndChanged(name, ".vtp", file, corpus, 40);
        corpus.push_back(ModelFileCorpus::nested(name, file, 200000));
        corpus.push_back(ModelFileCorpus::nested(name, file, 50));
    }
    // The other formats, cut and changed the same way.
    vtkSmartPointer<vtkPolyData> model = sphere(5);
    for (const char* ext : {".ply", ".stl", ".vtk", ".obj"}) {
        for (bool ascii : {true, false}) {
            const std::string path =
                QDir(dir.path()).filePath(QString("source-%1%2").arg(ascii ? "ascii" : "binary", ext)).toStdString();
            if (std::string(ext) == ".ply")
                writeWith<vtkPLYWriter>(model, path, ascii);
            else if (std::string(ext) == ".stl")
                writeWith<vtkSTLWriter>(model, path, ascii);
            else if (std::string(ext) == ".vtk")
                writeWith<vtkPolyDataWriter>(model, path, ascii);
            else {
                if (!ascii)
                    continue;
                std::ostringstream obj;
                for (vtkIdType i = 0; i < model->GetNumberOfPoints(); ++i) {
                    const double* p = model->GetPoint(i);
                    obj << "v " << p[0] << ' ' << p[1] << ' ' << p[2] << '\n';
                }
                obj << "f 1 2 3\nf 2 3 4\n";
                writeFile(path, obj.str());
            }
            ModelFileCorpus::truncatedAndChanged(std::string(ext + 1) + (ascii ? "-ascii" : "-binary"), ext,
                                                 readFile(path), corpus, 40);
        }
    }
    ASSERT_GT(corpus.size(), 1500u);

    // The sound files seed the model-file fuzzer (its first byte picks the kind).
    if (const char* seeds = std::getenv("PELMORA_FUZZ_SEEDS")) {
        const std::string kinds = "vtp ply vtk obj stl";
        for (const QString& source : QDir(dir.path()).entryList({"source*"}, QDir::Files)) {
            const std::string ext = QFileInfo(source).suffix().toStdString();
            const char kind = static_cast<char>(kinds.find(ext) / 4);
            writeFile(std::string(seeds) + "/model/" + source.toStdString(),
                      kind + readFile(QDir(dir.path()).filePath(source).toStdString()));
        }
    }

    // Kept for a run against the host: PELMORA_MODEL_CORPUS names a folder to write to.
    const char* keep = std::getenv("PELMORA_MODEL_CORPUS");
    // A reader that asks for far too much fails here rather than taking the machine.
    rlimit before{};
    getrlimit(RLIMIT_AS, &before);
    rlimit capped = before;
    const rlim_t cap = static_cast<rlim_t>(statusKiB("VmSize")) * 1024 + (rlim_t(4) << 30);
    if (before.rlim_cur == RLIM_INFINITY || before.rlim_cur > cap)
        capped.rlim_cur = cap;
    setrlimit(RLIMIT_AS, &capped);
    const bool measured = resetPeak() && statusKiB("VmHWM") > 0;
    int refused = 0;
    long worstGrowthKiB = 0;
    std::int64_t worstMs = 0;
    for (const Sample& sample : corpus) {
        const std::string path = QDir(dir.path()).filePath("sample" + QString::fromStdString(sample.name.substr(sample.name.rfind('.')))).toStdString();
        writeFile(path, sample.bytes);
        if (keep)
            writeFile(std::string(keep) + "/" + sample.name, sample.bytes);
        const long residentBefore = statusKiB("VmRSS");
        if (measured)
            resetPeak();
        PelmoraTest::ThreadCpuTimer timer;
        std::string error;
        vtkSmartPointer<vtkPolyData> data = read(path, error);
        const std::int64_t ms = timer.elapsed();
        const long growth = measured ? statusKiB("VmHWM") - residentBefore : 0;
        refused += data ? 0 : 1;
        worstMs = std::max(worstMs, ms);
        worstGrowthKiB = std::max(worstGrowthKiB, growth);
        // Sixty-four times the file, and room for the reader's own first use of memory.
        EXPECT_LT(growth, 64 * static_cast<long>(sample.bytes.size()) / 1024 + 48 * 1024) << sample.name;
        EXPECT_EQ(error.find("more memory than there is"), std::string::npos) << sample.name << ": " << error;
        EXPECT_EQ(data == nullptr, !error.empty()) << sample.name;
    }
    setrlimit(RLIMIT_AS, &before);
    std::printf("%zu damaged model files: %d refused, slowest %lld ms, most memory %ld KiB\n", corpus.size(),
                refused, static_cast<long long>(worstMs), worstGrowthKiB);
    EXPECT_GT(refused, static_cast<int>(corpus.size() / 3));
}
