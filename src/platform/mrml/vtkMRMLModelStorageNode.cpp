#include "vtkMRMLModelStorageNode.h"
#include "VtkMessageText.h"

#include "MRMLModelFileChecks.h"
#include "MRMLSharedPoints.h"
#include "MRMLVtkMessage.h"

#include <vexil/AtomicSave.h>
#include <vexil/MsgConsole.h>
#include <vexil/PrintableText.h>

#include "vtkMRMLModelDisplayNode.h"
#include "vtkMRMLModelNode.h"
#include "vtkMRMLScene.h"

#include <vtkAlgorithm.h>
#include <vtkCallbackCommand.h>
#include <vtkCellArray.h>
#include <vtkDataWriter.h>
#include <vtkDataArray.h>
#include <vtkExecutive.h>
#include <vtkFloatArray.h>
#include <vtkPoints.h>
#include <vtkTypeInt64Array.h>
#include <vtkNew.h>
#include <vtkOBJReader.h>
#include <vtkOBJWriter.h>
#include <vtkOutputWindow.h>
#include <vtkObjectFactory.h>
#include <vtkPLYReader.h>
#include <vtkPLYWriter.h>
#include <vtkPolyData.h>
#include <vtkPolyDataReader.h>
#include <vtkPolyDataWriter.h>
#include <vtkSTLReader.h>
#include <vtkSTLWriter.h>
#include <vtkSmartPointer.h>
#include <vtkXMLPolyDataReader.h>
#include <vtkXMLPolyDataWriter.h>
#include <vtkXMLWriterBase.h>
#include <vtksys/SystemTools.hxx>

#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <memory>
#include <new>
#include <stdexcept>
#include <system_error>

#include <sys/mman.h>
#include <unistd.h>

vtkStandardNewMacro(vtkMRMLModelStorageNode);

namespace {

using mrmlmodelfile::namedFile;

std::string lowerExtension(const char* fileName)
{
    std::string name = fileName ? fileName : "";
    const size_t slash = name.find_last_of("/\\");
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return std::string();
    std::string ext = name.substr(dot);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext;
}

// Takes every message that VTK's output window would print while it lives, so that a
// reader's or writer's complaints (some of which come from helper functions without an
// object to observe) become one clear error of ours.
class CapturingOutputWindow : public vtkOutputWindow
{
public:
    static CapturingOutputWindow* New();
    vtkTypeMacro(CapturingOutputWindow, vtkOutputWindow);
    void DisplayText(const char*) override {}
    void DisplayErrorText(const char* text) override { record(text, true); }
    void DisplayWarningText(const char* text) override { record(text, false); }
    void DisplayGenericWarningText(const char* text) override { record(text, false); }
    void DisplayDebugText(const char*) override {}

    std::string firstError;
    std::string firstWarning;

private:
    void record(const char* text, bool error)
    {
        std::string& slot = error ? firstError : firstWarning;
        if (slot.empty() && text)
            slot = text;
    }
};
vtkStandardNewMacro(CapturingOutputWindow);

std::string trimmed(std::string text)
{
    std::string out = mrmlvtk::plainMessage(std::move(text));
    // The reader names its file, which it does not have: it reads the checked bytes.
    const std::string noFile = " for file:";
    if (out.size() > noFile.size() && out.compare(out.size() - noFile.size(), noFile.size(), noFile) == 0)
        out.erase(out.size() - noFile.size());
    return out;
}

// A reader's message may quote the file's bytes (its first line, up to hundreds of
// kilobytes of them); only a short excerpt goes into our error, with every byte that is
// no printable text escaped and the text itself kept.
std::string printableExcerpt(const std::string& text)
{
    const size_t limit = 160;
    if (text.size() <= limit)
        return Vexil::printableText(text);
    // Not cut within a character.
    size_t cut = limit;
    for (int back = 0; back < 3 && cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80; ++back)
        --cut;
    return Vexil::printableText(std::string_view(text).substr(0, cut)) + "...";
}

// VTK's legacy reader quotes a keyword it does not know in lower case; the file's own
// spelling of it, found in `input`, is quoted instead.
void restoreKeywordCase(std::string& text, std::string_view input)
{
    const std::string_view said = "Unrecognized keyword: ";
    const size_t at = text.find(said);
    if (at == std::string::npos || input.empty())
        return;
    const size_t start = at + said.size();
    size_t end = start;
    while (end < text.size() && !std::isspace(static_cast<unsigned char>(text[end])))
        ++end;
    const std::string_view lowered(text.data() + start, end - start);
    if (lowered.empty())
        return;
    const auto sameWord = [&](size_t from) {
        for (size_t k = 0; k < lowered.size(); ++k)
            if (std::tolower(static_cast<unsigned char>(input[from + k])) != static_cast<unsigned char>(lowered[k]))
                return false;
        return true;
    };
    for (size_t i = 0; i + lowered.size() <= input.size(); ++i) {
        const bool begins = i == 0 || std::isspace(static_cast<unsigned char>(input[i - 1]));
        if (begins && sameWord(i)) {
            text.replace(start, lowered.size(), input.substr(i, lowered.size()));
            return;
        }
    }
}

// While it lives, what VTK's output window would print is kept in `window` instead.
class OutputCapture
{
public:
    OutputCapture() : previous(vtkOutputWindow::GetInstance()) { vtkOutputWindow::SetInstance(window); }
    ~OutputCapture() { vtkOutputWindow::SetInstance(previous); }
    OutputCapture(const OutputCapture&) = delete;
    OutputCapture& operator=(const OutputCapture&) = delete;

    vtkNew<CapturingOutputWindow> window;

private:
    vtkSmartPointer<vtkOutputWindow> previous;
};

// Runs an algorithm with its errors and warnings (observed on it and its executive, and
// those printed through the output window) collected instead of printed.
class MessageCatcher
{
public:
    explicit MessageCatcher(vtkAlgorithm* algorithm)
    {
        command->SetClientData(this);
        command->SetCallback([](vtkObject*, unsigned long event, void* client, void* callData) {
            auto* self = static_cast<MessageCatcher*>(client);
            std::string& slot = event == vtkCommand::ErrorEvent ? self->error : self->warning;
            if (slot.empty() && callData)
                slot = static_cast<const char*>(callData);
        });
        watch(algorithm);
        watch(algorithm->GetExecutive());
    }
    ~MessageCatcher()
    {
        for (auto& object : watched)
            object->RemoveObserver(command);
    }
    bool hasError() const { return !error.empty() || !output.window->firstError.empty(); }
    bool hasWarning() const { return !warning.empty() || !output.window->firstWarning.empty(); }
    // The first message; where it names the file the reader was given (`read`), it names
    // `shown` instead, as our own messages name it.
    // A keyword it quotes lowered is quoted as `input`, the bytes read, spells it.
    std::string message(const std::string& read = std::string(), const std::string& shown = std::string(),
                        std::string_view input = std::string_view()) const
    {
        const std::string* order[] = {&error, &output.window->firstError, &warning, &output.window->firstWarning};
        for (const std::string* m : order)
            if (!m->empty()) {
                std::string text = trimmed(*m);
                for (size_t at = read.empty() ? std::string::npos : text.find(read); at != std::string::npos;
                     at = text.find(read, at + shown.size())) {
                    text.replace(at, read.size(), shown);
                }
                restoreKeywordCase(text, input);
                return printableExcerpt(text);
            }
        return std::string();
    }

private:
    void watch(vtkObject* object)
    {
        if (!object)
            return;
        object->AddObserver(vtkCommand::ErrorEvent, command);
        object->AddObserver(vtkCommand::WarningEvent, command);
        watched.emplace_back(object);
    }
    OutputCapture output;
    vtkNew<vtkCallbackCommand> command;
    std::vector<vtkSmartPointer<vtkObject>> watched;
    std::string error;
    std::string warning;
};

// Whether an STL file is binary.  A text STL begins with "solid"; so do the headers of
// some binary exporters, which are told by a triangle count that the file can hold and by
// the share of bytes that are not text (as VTK's reader decides).  A text file whose
// first bytes hold control characters has letters where the count would be, which no
// file of its size can hold.
bool isBinarySTL(const char* fileName, std::uint64_t fileSize)
{
    std::ifstream in(fileName, std::ios::binary);
    unsigned char head[84] = {};
    in.read(reinterpret_cast<char*>(head), sizeof head);
    const auto got = static_cast<size_t>(std::max<std::streamsize>(in.gcount(), 0));
    size_t start = 0;
    while (start < got && std::isspace(head[start]))
        ++start;
    if (got - start < 5 || std::memcmp(head + start, "solid", 5) != 0)
        return true;
    if (got < sizeof head)
        return false;
    const std::uint64_t count = std::uint64_t(head[80]) | std::uint64_t(head[81]) << 8 |
                                std::uint64_t(head[82]) << 16 | std::uint64_t(head[83]) << 24;
    if (84 + 50 * count == fileSize)
        return true;
    return 84 + 50 * count < fileSize && vtksys::SystemTools::DetectFileType(fileName) != vtksys::SystemTools::FileTypeText;
}

// Whether an exception says that memory ran out: an allocation, a size past any that can
// be, or a thread of VTK's parallel loops that could not be started for want of memory.
bool outOfMemory(const std::exception& e)
{
    if (dynamic_cast<const std::bad_alloc*>(&e) || dynamic_cast<const std::length_error*>(&e))
        return true;
    const auto* system = dynamic_cast<const std::system_error*>(&e);
    if (system)
        return system->code() == std::errc::resource_unavailable_try_again ||
               system->code() == std::errc::not_enough_memory;
    // The thread pool behind VTK's parallel loops says so in the system's words.
    const std::string what = e.what();
    return what.find(std::strerror(EAGAIN)) != std::string::npos || what.find(std::strerror(ENOMEM)) != std::string::npos;
}

// VTK's arrays report an allocation they could not make and go on at their old size;
// reading on would write past them.
void requireValues(vtkDataArray* array, vtkIdType values)
{
    if (array->GetNumberOfValues() != values)
        throw std::bad_alloc();
}

// A binary STL: an 80-byte header, the triangle count, and 50 bytes per triangle (a
// normal, three corners, two attribute bytes). Only the triangles the count declares are
// read; exporters may leave a few bytes after them. Each corner is a point of its own, as
// VTK's reader gives them: shareCoincidentPoints joins them afterwards.
vtkPolyData* readBinarySTL(const char* fileName, std::uint64_t fileSize, std::string& problem)
{
    std::ifstream in(fileName, std::ios::binary);
    unsigned char header[84];
    if (!in.read(reinterpret_cast<char*>(header), sizeof header)) {
        problem = "is truncated";
        return nullptr;
    }
    const std::uint64_t count = std::uint64_t(header[80]) | std::uint64_t(header[81]) << 8 |
                                std::uint64_t(header[82]) << 16 | std::uint64_t(header[83]) << 24;
    if (count == 0) {
        problem = "holds no model geometry: its header declares no triangles";
        return nullptr;
    }
    if (fileSize < 84 + 50 * count) {
        problem = "is truncated";
        return nullptr;
    }
    vtkNew<vtkFloatArray> coordinates;
    coordinates->SetNumberOfComponents(3);
    coordinates->SetNumberOfTuples(static_cast<vtkIdType>(3 * count));
    requireValues(coordinates, static_cast<vtkIdType>(9 * count));
    float* xyz = coordinates->GetPointer(0);
    const std::uint64_t perChunk = 20000;
    std::vector<char> chunk(static_cast<size_t>(50 * std::min(count, perChunk)));
    for (std::uint64_t done = 0; done < count;) {
        const std::uint64_t n = std::min(count - done, perChunk);
        if (!in.read(chunk.data(), static_cast<std::streamsize>(50 * n))) {
            problem = "is truncated";
            return nullptr;
        }
        for (std::uint64_t t = 0; t < n; ++t, xyz += 9) {
            // The corners follow the normal; the file's floats are little-endian, as
            // this machine's.
            std::memcpy(xyz, chunk.data() + 50 * t + 12, 9 * sizeof(float));
            for (int k = 0; k < 9; ++k)
                xyz[k] += 0.0f; // -0 is 0
        }
        done += n;
    }
    vtkNew<vtkTypeInt64Array> offsets;
    offsets->SetNumberOfValues(static_cast<vtkIdType>(count) + 1);
    vtkNew<vtkTypeInt64Array> connectivity;
    connectivity->SetNumberOfValues(static_cast<vtkIdType>(3 * count));
    requireValues(offsets, static_cast<vtkIdType>(count) + 1);
    requireValues(connectivity, static_cast<vtkIdType>(3 * count));
    auto* starts = offsets->GetPointer(0);
    for (vtkIdType i = 0; i <= static_cast<vtkIdType>(count); ++i)
        starts[i] = 3 * i;
    auto* ids = connectivity->GetPointer(0);
    for (vtkIdType i = 0; i < static_cast<vtkIdType>(3 * count); ++i)
        ids[i] = i;
    vtkNew<vtkPoints> points;
    points->SetData(coordinates);
    vtkNew<vtkCellArray> triangles;
    triangles->SetData(offsets, connectivity);
    auto* data = vtkPolyData::New();
    data->SetPoints(points);
    data->SetPolys(triangles);
    return data;
}

// The first bytes of a file, up to `limit`.
std::string headOf(const char* fileName, size_t limit)
{
    std::ifstream in(fileName, std::ios::binary);
    std::string head(limit, '\0');
    in.read(&head[0], static_cast<std::streamsize>(limit));
    head.resize(static_cast<size_t>(std::max<std::streamsize>(in.gcount(), 0)));
    return head;
}

// What the start of a legacy, XML or OBJ file shows before the whole is read: the kind's
// opening, and for legacy files, that the points the header announces can fit in the
// file. Empty when the head is sound.
std::string headProblem(const std::string& ext, const std::string& head, std::uint64_t fileSize)
{
    if (ext == ".vtk") {
        if (head.rfind("# vtk DataFile Version", 0) != 0)
            return "its header is damaged or of a version not known";
        // The fourth line names the encoding; each point takes three values of its type
        // in binary, or three numbers of a digit and a separator each in text.
        size_t line = 0;
        for (int k = 0; k < 2 && line != std::string::npos; ++k)
            line = head.find('\n', line + (k ? 1 : 0));
        const bool binary = line != std::string::npos && head.compare(line + 1, 6, "BINARY") == 0;
        const size_t at = head.find("\nPOINTS ");
        if (at != std::string::npos) {
            const char* p = head.c_str() + at + 8;
            char* end = nullptr;
            const unsigned long long points = std::strtoull(p, &end, 10);
            std::string type;
            while (end && *end == ' ')
                ++end;
            while (end && std::isalpha(static_cast<unsigned char>(*end)))
                type += *end++;
            const unsigned size = type == "double" || type == "long" || type == "vtktypeint64" ? 8
                                  : type == "char" || type == "unsigned_char"                 ? 1
                                  : type == "short" || type == "unsigned_short"               ? 2
                                                                                              : 4;
            const long double needed = 3.0L * points * (binary ? size : 2);
            if (end != p && needed > static_cast<long double>(fileSize))
                return "it is truncated: its header announces " + std::to_string(points) +
                       " points, more than the file can hold";
        }
        return std::string();
    }
    if (ext == ".vtp") {
        size_t start = head.rfind("\xEF\xBB\xBF", 0) == 0 ? 3 : 0;
        start = head.find_first_not_of(" \t\r\n", start);
        if (start == std::string::npos || head[start] != '<' || head.find('\0') < head.find("<VTKFile"))
            return "it is not a VTK poly data file";
        return std::string();
    }
    if (ext == ".obj" && head.find('\0') != std::string::npos)
        return "it is not a Wavefront OBJ file: it holds bytes that are not text";
    return std::string();
}

// Whether the head holds the end of its first line.
bool firstLineWithin(const std::string& head)
{
    return head.find('\n') != std::string::npos;
}

// Whether the text's lines end in a carriage return alone: it has some and no line feed.
bool endsLinesWithCarriageReturnsOnly(const std::string& text)
{
    return text.find('\r') != std::string::npos && text.find('\n') == std::string::npos;
}

// Whether a legacy VTK file's head (its third line) says that its data is text.
bool isLegacyVtkText(const std::string& head)
{
    const size_t first = head.find('\n');
    const size_t second = first == std::string::npos ? first : head.find('\n', first + 1);
    if (second == std::string::npos)
        return false;
    std::string word = head.substr(second + 1, 5);
    std::transform(word.begin(), word.end(), word.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return word == "ascii";
}

// A PLY header names how many of each element follow; a count the file cannot hold (each
// element takes at least one byte) is refused before the reader allocates for it.
bool plyCountsFit(const char* fileName, qint64 size)
{
    std::ifstream in(fileName, std::ios::binary);
    std::string line;
    for (int lines = 0; lines < 1000 && std::getline(in, line); ++lines) {
        if (line.rfind("end_header", 0) == 0)
            return true;
        if (line.rfind("element ", 0) != 0)
            continue;
        const size_t space = line.find_last_of(' ');
        const std::string count = line.substr(space + 1);
        if (count.empty() || count.size() > 12 ||
            count.find_first_not_of("0123456789\r") != std::string::npos)
            return false;
        if (std::stoll(count) > size)
            return false;
    }
    return false;
}

template <class Array>
bool offsetsRunToTheEnd(Array* offsets, vtkIdType connectivity)
{
    const vtkIdType count = offsets ? offsets->GetNumberOfValues() : 0;
    if (count == 0)
        return false;
    const auto* v = offsets->GetPointer(0);
    if (v[0] != 0 || v[count - 1] != connectivity)
        return false;
    for (vtkIdType i = 1; i < count; ++i)
        if (v[i] < v[i - 1])
            return false;
    return true;
}

template <class Array>
bool idsWithin(Array* ids, double points)
{
    const auto* v = ids->GetPointer(0);
    for (vtkIdType i = 0, n = ids->GetNumberOfValues(); i < n; ++i)
        if (v[i] < 0 || static_cast<double>(v[i]) >= points)
            return false;
    return true;
}

// Every cell must refer to points the data has, or drawing it reads past the points.
bool cellsReferToTheirPoints(vtkPolyData* data)
{
    const double points = static_cast<double>(data->GetNumberOfPoints());
    for (vtkCellArray* cells : {data->GetVerts(), data->GetLines(), data->GetPolys(), data->GetStrips()}) {
        if (!cells || cells->GetNumberOfConnectivityIds() == 0)
            continue;
        // A plain pass rather than the array's range: VTK computes that in parallel, and a
        // thread pool that cannot start for want of memory ends the process.
        const bool within = cells->IsStorage64Bit() ? idsWithin(cells->GetConnectivityArray64(), points)
                                                    : idsWithin(cells->GetConnectivityArray32(), points);
        if (!within)
            return false;
        // The offsets must run from 0 to the end of the connectivity without going back.
        const bool ordered = cells->IsStorage64Bit()
                                 ? offsetsRunToTheEnd(cells->GetOffsetsArray64(), cells->GetNumberOfConnectivityIds())
                                 : offsetsRunToTheEnd(cells->GetOffsetsArray32(), cells->GetNumberOfConnectivityIds());
        if (!ordered)
            return false;
    }
    return true;
}

template <class Algorithm>
vtkSmartPointer<Algorithm> onFile(const char* fileName)
{
    auto algorithm = vtkSmartPointer<Algorithm>::New();
    algorithm->SetFileName(fileName);
    return algorithm;
}

vtkSmartPointer<vtkAlgorithm> readerFor(const std::string& ext, const char* fileName)
{
    if (ext == ".vtk")
        return onFile<vtkPolyDataReader>(fileName);
    if (ext == ".vtp")
        return onFile<vtkXMLPolyDataReader>(fileName);
    if (ext == ".stl") {
        auto r = onFile<vtkSTLReader>(fileName);
        r->MergingOff();
        return r;
    }
    if (ext == ".ply")
        return onFile<vtkPLYReader>(fileName);
    if (ext == ".obj")
        return onFile<vtkOBJReader>(fileName);
    return nullptr;
}

// A file that lives in memory only, for writers that can write to a named file alone.
// The PLY writer insists on a name ending in ".ply", so the writers get a link with the
// model's extension, in a private folder, to the memory file.
class MemoryFile
{
public:
    explicit MemoryFile(const std::string& ext) : fd(::memfd_create("model", MFD_CLOEXEC))
    {
        if (fd < 0)
            return;
        const std::string memoryName = "/proc/self/fd/" + std::to_string(fd);
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/pelmora-model-XXXXXX";
        if (::mkdtemp(&pattern[0])) {
            folder = pattern;
            linkName = folder + "/model" + ext;
            if (::symlink(memoryName.c_str(), linkName.c_str()) != 0)
                linkName.clear();
        }
        if (linkName.empty())
            linkName = memoryName;
    }
    ~MemoryFile()
    {
        if (!folder.empty()) {
            ::unlink(linkName.c_str());
            ::rmdir(folder.c_str());
        }
        if (fd >= 0)
            ::close(fd);
    }
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;
    const std::string& name() const { return linkName; }
    bool writeAll(const std::string& bytes) const
    {
        size_t done = 0;
        while (fd >= 0 && done < bytes.size()) {
            const ssize_t n = ::pwrite(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
            if (n <= 0 && errno != EINTR)
                return false;
            done += n > 0 ? static_cast<size_t>(n) : 0;
        }
        return fd >= 0;
    }
    bool readAll(std::string& bytes) const
    {
        return fd >= 0 && Vexil::readOpenFile(fd, bytes, std::numeric_limits<size_t>::max());
    }

private:
    int fd;
    std::string folder;
    std::string linkName;
};

// VTK's PLY and OBJ writers do not notice a write that fails (on a full disk they leave a
// truncated file and report success), so every writer writes into memory and the bytes
// reach the file through checked writes.  The legacy and XML writers write into a
// string; the others into a file that lives in memory.
vtkSmartPointer<vtkAlgorithm> writerFor(const std::string& ext, const MemoryFile& memory)
{
    if (ext == ".vtk") {
        auto w = vtkSmartPointer<vtkPolyDataWriter>::New();
        w->SetFileTypeToBinary();
        w->WriteToOutputStringOn();
        return w;
    }
    if (ext == ".vtp") {
        auto w = vtkSmartPointer<vtkXMLPolyDataWriter>::New();
        w->WriteToOutputStringOn();
        return w;
    }
    if (ext == ".ply")
        return onFile<vtkPLYWriter>(memory.name().c_str());
    if (ext == ".stl") {
        auto w = onFile<vtkSTLWriter>(memory.name().c_str());
        w->SetFileTypeToBinary();
        return w;
    }
    if (ext == ".obj")
        return onFile<vtkOBJWriter>(memory.name().c_str());
    return nullptr;
}

bool writtenBytes(vtkAlgorithm* writer, const MemoryFile& memory, std::string& bytes)
{
    if (auto* legacy = vtkDataWriter::SafeDownCast(writer)) {
        const char* out = legacy->GetOutputString();
        bytes.assign(out ? out : "", out ? static_cast<size_t>(legacy->GetOutputStringLength()) : 0);
        return true;
    }
    if (auto* xml = vtkXMLWriterBase::SafeDownCast(writer)) {
        bytes = xml->GetOutputString();
        return true;
    }
    return memory.readAll(bytes);
}

} // namespace

std::vector<std::string> vtkMRMLModelStorageNode::GetSupportedFileExtensions()
{
    return {".vtk", ".vtp", ".stl", ".ply", ".obj"};
}

bool vtkMRMLModelStorageNode::IsSupportedFileName(const char* fileName)
{
    const auto exts = GetSupportedFileExtensions();
    return std::find(exts.begin(), exts.end(), lowerExtension(fileName)) != exts.end();
}

namespace {

vtkPolyData* readModelFile(const char* fileName, std::string& error)
{
    const std::string name = fileName ? fileName : "";
    if (name.empty()) {
        error = "no model file name given";
        return nullptr;
    }
    // The name is taken as the bytes it is: a name that is not UTF-8 still opens.
    std::error_code ec;
    const std::filesystem::path filePath(name);
    const auto status = std::filesystem::status(filePath, ec);
    if (!std::filesystem::exists(status)) {
        error = namedFile(name) + " does not exist";
        return nullptr;
    }
    if (!std::filesystem::is_regular_file(status) || !std::ifstream(name, std::ios::binary)) {
        error = namedFile(name) + " is not a readable file";
        return nullptr;
    }
    const auto fileSize = std::filesystem::file_size(filePath, ec);
    if (ec) {
        error = namedFile(name) + " is not a readable file";
        return nullptr;
    }
    if (fileSize == 0) {
        error = namedFile(name) + " is empty";
        return nullptr;
    }
    const std::string ext = lowerExtension(fileName);
    vtkSmartPointer<vtkAlgorithm> reader = readerFor(ext, fileName);
    if (!reader) {
        error = namedFile(name) + " has an unknown kind \"" + ext +
                "\" (readable: .vtk, .vtp, .stl, .ply, .obj)";
        return nullptr;
    }
    std::string problem;
    vtkSmartPointer<vtkPolyData> binarySTL;
    // What a reader that takes only files reads instead of the file, when the file's
    // bytes are mended for it.
    std::unique_ptr<MemoryFile> mended;
    // Not text to VTK's reader either, and no line ends within the bytes it looks at:
    // a binary file whose header begins with "solid" and whose count does not fit.
    const bool binaryToVtk = ext == ".stl" && vtksys::SystemTools::DetectFileType(fileName) != vtksys::SystemTools::FileTypeText;
    if (ext == ".stl" && (isBinarySTL(fileName, fileSize) || (binaryToVtk && !firstLineWithin(headOf(fileName, 256))))) {
        binarySTL.TakeReference(readBinarySTL(fileName, fileSize, problem));
        if (!binarySTL) {
            error = namedFile(name) + " " + problem;
            return nullptr;
        }
    } else if (binaryToVtk) {
        // A text STL with control characters in its first bytes, which VTK's reader would
        // take for a binary one.  In the name after "solid" (which is not read) they are
        // blanked; anywhere else the file is no text STL.
        std::string text;
        if (!mrmlmodelfile::readWholeFile(fileName, text)) {
            error = namedFile(name) + " is not a readable file";
            return nullptr;
        }
        const size_t lineEnd = std::min(text.find('\n'), text.size());
        for (size_t i = 0; i < lineEnd; ++i)
            if (static_cast<unsigned char>(text[i]) < 0x20 && text[i] != '\r')
                text[i] = ' ';
        mended = std::make_unique<MemoryFile>(ext);
        if (!mended->writeAll(text)
            || vtksys::SystemTools::DetectFileType(mended->name().c_str()) != vtksys::SystemTools::FileTypeText) {
            error = namedFile(name) + " could not be read: it begins as a text STL file (\"solid\") and holds "
                    "bytes that are not text";
            return nullptr;
        }
        vtkSTLReader::SafeDownCast(reader)->SetFileName(mended->name().c_str());
    }
    if (ext == ".ply" && !vtkPLYReader::CanReadFile(fileName)) {
        error = namedFile(name) + " is not a PLY file";
        return nullptr;
    }
    if (ext == ".ply" && !plyCountsFit(fileName, static_cast<qint64>(fileSize))) {
        error = namedFile(name) + " is truncated or its header is damaged";
        return nullptr;
    }

    // A file of another kind (or of nothing) is told from its first bytes, before the
    // rest is read.
    problem = headProblem(ext, headOf(fileName, 64 * 1024), fileSize);
    if (!problem.empty()) {
        error = namedFile(name) + " could not be read: " + problem;
        return nullptr;
    }

    std::string bytes;
    if (ext == ".obj" || ext == ".ply" || ext == ".vtk" || ext == ".vtp") {
        // Text is read only up to its first NUL byte, which no text file holds: a sound
        // head before gigabytes of zeros costs no more than the head.
        const bool text = ext == ".obj" || (ext == ".vtk" && isLegacyVtkText(headOf(fileName, 4096)));
        size_t nul = std::string::npos;
        const bool read = text ? mrmlmodelfile::readWholeTextFile(fileName, bytes, &nul)
                               : mrmlmodelfile::readWholeFile(fileName, bytes);
        if (nul != std::string::npos) {
            error = namedFile(name) + " could not be read: " +
                    (ext == ".obj" ? headProblem(ext, std::string(1, '\0'), fileSize)
                                   : "it is damaged: its header says it is text, and it holds a NUL byte at offset " +
                                         std::to_string(nul));
            return nullptr;
        }
        if (!read) {
            error = namedFile(name) + " is not a readable file";
            return nullptr;
        }
        // The decompressors the .vtp check uses complain through VTK's output window;
        // the check's own answer says what is wrong.
        OutputCapture quiet;
        if (ext == ".obj" && endsLinesWithCarriageReturnsOnly(bytes)) {
            // Lines ended by a carriage return alone (as old Mac programs write them) are
            // one line to VTK's reader, which then finds nothing in the file.
            std::replace(bytes.begin(), bytes.end(), '\r', '\n');
            mended = std::make_unique<MemoryFile>(ext);
            if (!mended->writeAll(bytes)) {
                error = namedFile(name) + " could not be read: " + std::strerror(errno);
                return nullptr;
            }
            vtkOBJReader::SafeDownCast(reader)->SetFileName(mended->name().c_str());
        }
        std::string readable;
        problem = ext == ".obj"   ? mrmlmodelfile::objProblem(bytes)
                                    : ext == ".ply" ? mrmlmodelfile::plyProblem(bytes)
                                    : ext == ".vtp" ? mrmlmodelfile::vtpProblem(bytes)
                                                    : mrmlmodelfile::legacyVtkProblem(bytes, &readable);
        if (!problem.empty()) {
            error = namedFile(name) + " could not be read: " + problem;
            return nullptr;
        }
        if (!readable.empty())
            bytes.swap(readable);
    }
    // These readers take the bytes just checked, not the file again, which may have
    // changed meanwhile.
    if (auto* ply = vtkPLYReader::SafeDownCast(reader)) {
        // VTK's PLY reader frees memory twice when the last line has no line feed.
        if (bytes.back() != '\n')
            bytes += '\n';
        ply->SetInputString(bytes);
        ply->ReadFromInputStringOn();
    } else if (auto* xml = vtkXMLPolyDataReader::SafeDownCast(reader)) {
        xml->SetInputString(bytes);
        xml->ReadFromInputStringOn();
    } else if (auto* legacy = vtkPolyDataReader::SafeDownCast(reader)) {
        legacy->SetInputString(bytes);
        legacy->ReadFromInputStringOn();
    }
    std::string().swap(bytes);

    vtkPolyData* output = binarySTL;
    if (!output) {
        // A reader that complains at all (a short read is only a warning) has not read
        // the whole model.
        MessageCatcher catcher(reader);
        try {
            reader->Update();
        } catch (const std::exception& e) {
            // A damaged size in the file asked for more memory than there is (or can be).
            const bool size = outOfMemory(e);
            error = namedFile(name) + " could not be read: " +
                    (size ? "it asks for more memory than there is" : "it is damaged");
            return nullptr;
        }
        output = vtkPolyData::SafeDownCast(reader->GetOutputDataObject(0));
        if (catcher.hasError() || catcher.hasWarning()) {
            error = namedFile(name) + " could not be read";
            std::string_view input;
            if (auto* legacy = vtkPolyDataReader::SafeDownCast(reader); legacy && legacy->GetInputString())
                input = std::string_view(legacy->GetInputString(), static_cast<size_t>(std::max(0, legacy->GetInputStringLength())));
            const std::string detail =
                catcher.message(mended ? mended->name() : name, Vexil::printableText(name), input);
            if (!detail.empty())
                error += ": " + detail;
            return nullptr;
        }
    }
    if (!output || output->GetNumberOfPoints() == 0 || output->GetNumberOfCells() == 0) {
        error = namedFile(name) + " holds no model geometry";
        return nullptr;
    }
    if (!cellsReferToTheirPoints(output)) {
        error = namedFile(name) + " is damaged: its faces refer to points it does not hold";
        return nullptr;
    }
    // Before points are joined: one that is not a number equals nothing.
    problem = mrmlmodelfile::geometryProblem(output);
    if (!problem.empty()) {
        error = namedFile(name) + " " + problem;
        return nullptr;
    }
    vtkSmartPointer<vtkPolyData> result = vtkSmartPointer<vtkPolyData>::New();
    result->ShallowCopy(output);
    if (ext == ".stl")
        mrmlmodelfile::shareCoincidentPoints(result);
    // A stack of the same face costs its height in drawing time and shows one face.
    const long long repeats = mrmlmodelfile::dropRepeatedFaces(result, problem);
    if (!problem.empty()) {
        error = namedFile(name) + " could not be read: " + problem;
        return nullptr;
    }
    if (repeats > 0)
        Vexil::MsgConsoleSingleton::Instance().Message(
            "%s: %lld faces that repeat others exactly were left out\n", namedFile(name).c_str(), repeats);
    vtkPolyData* read = result;
    read->Register(nullptr);
    return read;
}

} // namespace

vtkPolyData* vtkMRMLModelStorageNode::ReadPolyData(const char* fileName, std::string& error)
{
    error.clear();
    // Every step, sharing points included, may run out of memory on a large model: that
    // is a refusal of the file like any other, never an exception for the caller.
    try {
        // What VTK would print on the way (an allocation it could not make) is said by
        // the error instead.
        OutputCapture quiet;
        return readModelFile(fileName, error);
    } catch (const std::exception& e) {
        const bool size = outOfMemory(e);
        error = namedFile(fileName ? fileName : "") + " could not be read: " +
                (size ? "it asks for more memory than there is" : "it is damaged");
        return nullptr;
    }
}

bool vtkMRMLModelStorageNode::IsURI(const char* text)
{
    const QString name = QString::fromUtf8(text ? text : "");
    const QUrl url(name);
    if (!url.isValid() || url.scheme().size() < 2) // one letter is a drive, not a scheme
        return false;
    return name.contains(QLatin1String("://")) || url.scheme().compare(QLatin1String("file"), Qt::CaseInsensitive) == 0;
}

vtkMRMLModelStorageNode::URITarget vtkMRMLModelStorageNode::ResolveURI(const char* uri, std::string& path,
                                                                       std::string& problem)
{
    path.clear();
    problem.clear();
    const QUrl url(QString::fromUtf8(uri ? uri : ""));
    if (!url.isValid() || url.scheme().isEmpty()) {
        problem = "it is not a valid URI";
        return RefusedURI;
    }
    // Decoded as bytes, not as text: a file name that is not UTF-8 is still named.
    const QByteArray decoded = QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
    if (decoded.contains('\0')) {
        problem = "its path holds a NUL character";
        return RefusedURI;
    }
    const bool file = url.scheme().compare(QLatin1String("file"), Qt::CaseInsensitive) == 0;
    const QString host = url.host();
    const bool local = file && (host.isEmpty() || host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0);
    if (local && !decoded.startsWith('/')) {
        problem = "it names no file";
        return RefusedURI;
    }
    path = decoded.toStdString();
    return local ? LocalFileURI : RemoteURI;
}

std::string vtkMRMLModelStorageNode::LocalFileOfURI(const char* uri)
{
    std::string path, problem;
    return ResolveURI(uri, path, problem) == LocalFileURI ? path : std::string();
}

void vtkMRMLModelStorageNode::StageReadData(vtkMRMLNode* refNode)
{
    URIProblem.clear();
    if (refNode && (!FileName || !*FileName) && URI && *URI) {
        std::string local;
        const URITarget target = ResolveURI(URI, local, URIProblem);
        if (target == LocalFileURI) {
            SetFileName(local.c_str());
            SetReadState(TransferDone);
            return;
        }
        if (target == RefusedURI)
            return;
    }
    Superclass::StageReadData(refNode);
}

bool vtkMRMLModelStorageNode::StageLocalFile(vtkMRMLNode* refNode)
{
    if (FileName && *FileName)
        return true;
    StageReadData(refNode);
    if (FileName && *FileName)
        return true;
    LastError = std::string("ReadData: \"") + (URI ? URI : "") + "\" " +
                (URIProblem.empty() ? "names remote data, which is not fetched: its read stays pending"
                                    : "cannot be read: " + URIProblem);
    vtkErrorMacro(<< LastError);
    return false;
}

int vtkMRMLModelStorageNode::ReadDataInternal(vtkMRMLNode* refNode)
{
    auto* model = vtkMRMLModelNode::SafeDownCast(refNode);
    if (!model) {
        LastError = "ReadData: the node to read into is not a model node";
        vtkErrorMacro(<< LastError);
        return 0;
    }
    // Out of memory anywhere on the way is a failed read, reported as one.
    try {
        if (!StageLocalFile(refNode))
            return 0;
        vtkSmartPointer<vtkPolyData> polyData = vtkSmartPointer<vtkPolyData>::Take(ReadFile(GetFileName(), LastError));
        if (!polyData) {
            LastError = "ReadData: " + LastError;
            vtkErrorMacro(<< LastError);
            return 0;
        }
        LastError.clear();
        model->SetAndObservePolyData(polyData);
        return 1;
    } catch (const std::bad_alloc&) {
        LastError = std::string("ReadData: model file \"") + (GetFileName() ? GetFileName() : "") +
                    "\" could not be read: it asks for more memory than there is";
        vtkErrorMacro(<< LastError);
        return 0;
    }
}

int vtkMRMLModelStorageNode::WriteDataInternal(vtkMRMLNode* refNode)
{
    LastError.clear();
    auto* model = vtkMRMLModelNode::SafeDownCast(refNode);
    if (!model || !model->GetPolyData()) {
        LastError = "WriteData: the node has no model data to write";
        vtkErrorMacro(<< LastError);
        return 0;
    }
    const std::string name = GetFileName();
    const std::string ext = lowerExtension(GetFileName());
    MemoryFile memory(ext);
    vtkSmartPointer<vtkAlgorithm> writer = writerFor(ext, memory);
    if (!writer) {
        LastError = "WriteData: cannot write a model as \"" + ext + "\"";
        vtkErrorMacro(<< LastError);
        return 0;
    }
    writer->SetInputDataObject(0, model->GetPolyData());
    bool written = false;
    std::string detail;
    std::string bytes;
    {
        MessageCatcher catcher(writer);
        try {
            writer->Update();
            written = !catcher.hasError() && writtenBytes(writer, memory, bytes) && !bytes.empty();
        } catch (const std::exception& e) {
            written = false;
            detail = dynamic_cast<const std::bad_alloc*>(&e) ? "there is not enough memory" : e.what();
        }
        if (detail.empty())
            detail = catcher.message();
    }
    // Nothing reaches the file unless the whole model was written; the old file stays
    // as it was when the save fails.
    std::string error;
    if (!written || !Vexil::saveFileAtomically(name, bytes, error)) {
        LastError = "WriteData: could not write model file \"" + name + "\"";
        if (!error.empty() || !detail.empty())
            LastError += ": " + (error.empty() ? detail : error);
        vtkErrorMacro(<< LastError);
        return 0;
    }
    return 1;
}

vtkMRMLModelNode* vtkMRMLModelStorageNode::AddModelFromFile(vtkMRMLScene* scene,
                                                            const char* fileName,
                                                            const char* name,
                                                            std::string& error)
{
    if (!scene) {
        error = "no scene to add the model to";
        return nullptr;
    }
    vtkSmartPointer<vtkPolyData> polyData =
        vtkSmartPointer<vtkPolyData>::Take(ReadPolyData(fileName, error));
    if (!polyData)
        return nullptr;

    scene->StartState(vtkMRMLScene::BatchProcessState);
    vtkNew<vtkMRMLModelStorageNode> storage;
    storage->SetFileName(fileName);
    vtkNew<vtkMRMLModelDisplayNode> display;
    vtkNew<vtkMRMLModelNode> model;
    // A name that is not UTF-8 is shown with its bytes escaped.
    const std::string shownName =
        name && *name ? std::string(name) : Vexil::printableText(vtksys::SystemTools::GetFilenameWithoutLastExtension(fileName));
    model->SetName(shownName.c_str());
    model->SetAndObservePolyData(polyData);
    vtkMRMLNode* addedStorage = scene->AddNode(storage);
    vtkMRMLNode* addedDisplay = scene->AddNode(display);
    model->SetAndObserveStorageNodeID(addedStorage->GetID());
    model->SetAndObserveDisplayNodeID(addedDisplay->GetID());
    auto* added = vtkMRMLModelNode::SafeDownCast(scene->AddNode(model));
    scene->EndState(vtkMRMLScene::BatchProcessState);
    return added;
}

namespace mrml {

std::string vtkMessageSentence(const std::string& text)
{
    return trimmed(text);
}

} // namespace mrml
