#include "MRMLFreeSurferSurface.h"

#include "MRMLModelFileChecks.h"

#include <vtkCellArray.h>
#include <vtkFloatArray.h>
#include <vtkIdTypeArray.h>
#include <vtkNew.h>
#include <vtkPoints.h>
#include <vtkPolyData.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <new>
#include <system_error>

namespace mrmlmodelfile {

namespace {

std::uint32_t bigEndian32(const unsigned char* p)
{
    return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) | std::uint32_t(p[3]);
}

std::int32_t signed32(const unsigned char* p)
{
    const std::uint32_t bits = bigEndian32(p);
    std::int32_t value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

} // namespace

const std::vector<std::string>& freeSurferSurfaceExtensions()
{
    static const std::vector<std::string> kinds{".orig", ".white", ".pial", ".smoothwm", ".inflated", ".sphere"};
    return kinds;
}

bool isFreeSurferSurfaceName(const char* fileName)
{
    std::string name = fileName ? fileName : "";
    const size_t slash = name.find_last_of("/\\");
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return false;
    std::string ext = name.substr(dot);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    const auto& kinds = freeSurferSurfaceExtensions();
    return std::find(kinds.begin(), kinds.end(), ext) != kinds.end();
}

namespace {

struct SurfaceHeader
{
    size_t dataStart = 0; // where the vertices begin
    std::int32_t vertices = 0;
    std::int32_t faces = 0;
    std::uint64_t length() const { return dataStart + 12ull * std::uint64_t(vertices) + 12ull * std::uint64_t(faces); }
};

// The header from `bytes`, the start of a file of `total` bytes; false with `problem`
// saying what is wrong. The counts are checked against the file's size before
// anything is allocated or read for them.
bool parseHeader(const std::string& bytes, std::uint64_t total, SurfaceHeader& header, std::string& problem)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const size_t size = bytes.size();
    if (size < 3 || p[0] != 0xFF || p[1] != 0xFF || (p[2] != 0xFE && p[2] != 0xFF && p[2] != 0xFD)) {
        problem = "it is not a FreeSurfer surface file";
        return false;
    }
    if (p[2] != 0xFE) {
        problem = "it is a FreeSurfer quadrangle surface; only triangle surfaces are read";
        return false;
    }
    const size_t textEnd = bytes.find("\n\n", 3);
    if (textEnd == std::string::npos) {
        problem = size < total ? "its header text does not end within its first " + std::to_string(size) + " bytes"
                               : "it is truncated: its header text does not end";
        return false;
    }
    size_t pos = textEnd + 2;
    if (size - pos < 8) {
        problem = "it is truncated before its vertex and face counts";
        return false;
    }
    header.vertices = signed32(p + pos);
    header.faces = signed32(p + pos + 4);
    pos += 8;
    header.dataStart = pos;
    if (header.vertices < 0 || header.faces < 0) {
        problem = "its header is damaged: it gives a negative vertex or face count";
        return false;
    }
    if (header.vertices == 0 || header.faces == 0) {
        problem = "it holds no model geometry";
        return false;
    }
    const std::uint64_t needed = header.length() - pos;
    if (needed > total - pos) {
        problem = "it is truncated: its " + std::to_string(header.vertices) + " vertices and " +
                  std::to_string(header.faces) + " triangles take " + std::to_string(needed) +
                  " bytes, and it holds " + std::to_string(total - pos);
        return false;
    }
    return true;
}

} // namespace

vtkPolyData* freeSurferSurfaceFromBytes(const std::string& bytes, std::string& problem)
{
    problem.clear();
    SurfaceHeader header;
    if (!parseHeader(bytes, bytes.size(), header, problem))
        return nullptr;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::int32_t vertices = header.vertices;
    const std::int32_t faces = header.faces;
    size_t pos = header.dataStart;

    vtkNew<vtkFloatArray> coordinates;
    coordinates->SetNumberOfComponents(3);
    coordinates->SetNumberOfTuples(vertices);
    // VTK's arrays report an allocation they could not make and keep their old size.
    if (coordinates->GetNumberOfValues() != 3 * static_cast<vtkIdType>(vertices))
        throw std::bad_alloc();
    float* xyz = coordinates->GetPointer(0);
    for (std::int64_t i = 0; i < 3ll * vertices; ++i, pos += 4) {
        const std::uint32_t bits = bigEndian32(p + pos);
        std::memcpy(xyz + i, &bits, sizeof(float));
    }
    vtkNew<vtkIdTypeArray> offsets;
    offsets->SetNumberOfValues(static_cast<vtkIdType>(faces) + 1);
    vtkNew<vtkIdTypeArray> connectivity;
    connectivity->SetNumberOfValues(3 * static_cast<vtkIdType>(faces));
    if (offsets->GetNumberOfValues() != static_cast<vtkIdType>(faces) + 1 ||
        connectivity->GetNumberOfValues() != 3 * static_cast<vtkIdType>(faces))
        throw std::bad_alloc();
    vtkIdType* ids = connectivity->GetPointer(0);
    for (std::int64_t i = 0; i < 3ll * faces; ++i, pos += 4) {
        const std::int32_t index = signed32(p + pos);
        if (index < 0 || index >= vertices) {
            // The counts lead every later read: a vertex count that is off makes the
            // triangles start among the coordinates.
            problem = "its header's vertex and triangle counts do not match its data: triangle " +
                      std::to_string(i / 3) + " names vertex " + std::to_string(index) +
                      ", and the header declares " + std::to_string(vertices) + " vertices";
            return nullptr;
        }
        ids[i] = index;
    }
    vtkIdType* starts = offsets->GetPointer(0);
    for (vtkIdType i = 0; i <= faces; ++i)
        starts[i] = 3 * i;

    vtkNew<vtkPoints> points;
    points->SetData(coordinates);
    vtkNew<vtkCellArray> triangles;
    triangles->SetData(offsets, connectivity);
    auto* surface = vtkPolyData::New();
    surface->SetPoints(points);
    surface->SetPolys(triangles);
    return surface;
}

namespace {

// Reads the header from the file's first bytes, then no more of the file than the
// surface it announces: not a file of another kind whole, nor the tags after the faces.
vtkPolyData* readBoundedSurface(const std::string& name, std::uint64_t size, std::string& problem)
{
    std::ifstream in(name, std::ios::binary);
    std::string bytes(static_cast<size_t>(std::min<std::uint64_t>(size, 1 << 20)), '\0');
    if (!in.read(&bytes[0], static_cast<std::streamsize>(bytes.size()))) {
        problem = "it could not be read";
        return nullptr;
    }
    SurfaceHeader header;
    if (!parseHeader(bytes, size, header, problem))
        return nullptr;
    const auto length = static_cast<size_t>(header.length());
    if (length > bytes.size()) {
        const size_t have = bytes.size();
        bytes.resize(length);
        if (!in.read(&bytes[have], static_cast<std::streamsize>(length - have))) {
            problem = "it could not be read";
            return nullptr;
        }
    }
    bytes.resize(length);
    return freeSurferSurfaceFromBytes(bytes, problem);
}

} // namespace

vtkPolyData* readFreeSurferSurface(const char* fileName, std::string& error)
{
    error.clear();
    const std::string name = fileName ? fileName : "";
    if (name.empty()) {
        error = "no model file name given";
        return nullptr;
    }
    std::error_code ec;
    const std::filesystem::path path(name);
    const auto status = std::filesystem::status(path, ec);
    if (!std::filesystem::exists(status)) {
        error = namedFile(name) + " does not exist";
        return nullptr;
    }
    const auto size = std::filesystem::is_regular_file(status) ? std::filesystem::file_size(path, ec) : 0;
    if (!std::filesystem::is_regular_file(status) || ec || !std::ifstream(name, std::ios::binary)) {
        error = namedFile(name) + " is not a readable file";
        return nullptr;
    }
    if (size == 0) {
        error = namedFile(name) + " is empty";
        return nullptr;
    }
    std::string problem;
    vtkPolyData* surface = nullptr;
    try {
        surface = readBoundedSurface(name, static_cast<std::uint64_t>(size), problem);
    } catch (const std::bad_alloc&) {
        problem = "it asks for more memory than there is";
    } catch (const std::length_error&) {
        problem = "it asks for more memory than there is";
    }
    if (!surface) {
        error = namedFile(name) + " could not be read: " + problem;
        return nullptr;
    }
    // As every other model file: finite coordinates, and more than one point.
    problem = geometryProblem(surface);
    if (!problem.empty()) {
        error = namedFile(name) + " " + problem;
        surface->Delete();
        return nullptr;
    }
    return surface;
}

} // namespace mrmlmodelfile
