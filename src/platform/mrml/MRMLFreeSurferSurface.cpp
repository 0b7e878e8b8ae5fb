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

vtkPolyData* freeSurferSurfaceFromBytes(const std::string& bytes, std::string& problem)
{
    problem.clear();
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const size_t size = bytes.size();
    if (size < 3 || p[0] != 0xFF || p[1] != 0xFF || (p[2] != 0xFE && p[2] != 0xFF && p[2] != 0xFD)) {
        problem = "it is not a FreeSurfer surface file";
        return nullptr;
    }
    if (p[2] != 0xFE) {
        problem = "it is a FreeSurfer quadrangle surface; only triangle surfaces are read";
        return nullptr;
    }
    const size_t textEnd = bytes.find("\n\n", 3);
    if (textEnd == std::string::npos) {
        problem = "it is truncated: its header text does not end";
        return nullptr;
    }
    size_t pos = textEnd + 2;
    if (size - pos < 8) {
        problem = "it is truncated before its vertex and face counts";
        return nullptr;
    }
    const std::int32_t vertices = signed32(p + pos);
    const std::int32_t faces = signed32(p + pos + 4);
    pos += 8;
    if (vertices < 0 || faces < 0) {
        problem = "its header is damaged: it gives a negative vertex or face count";
        return nullptr;
    }
    if (vertices == 0 || faces == 0) {
        problem = "it holds no model geometry";
        return nullptr;
    }
    // The counts are checked against what the file holds before anything is allocated.
    const std::uint64_t needed = 12ull * static_cast<std::uint64_t>(vertices) + 12ull * static_cast<std::uint64_t>(faces);
    if (needed > size - pos) {
        problem = "it is truncated: its " + std::to_string(vertices) + " vertices and " + std::to_string(faces) +
                  " triangles take " + std::to_string(needed) + " bytes, and it holds " + std::to_string(size - pos);
        return nullptr;
    }

    vtkNew<vtkFloatArray> coordinates;
    coordinates->SetNumberOfComponents(3);
    coordinates->SetNumberOfTuples(vertices);
    float* xyz = coordinates->GetPointer(0);
    for (std::int64_t i = 0; i < 3ll * vertices; ++i, pos += 4) {
        const std::uint32_t bits = bigEndian32(p + pos);
        float value;
        std::memcpy(&value, &bits, sizeof value);
        if (!std::isfinite(value)) {
            problem = "vertex " + std::to_string(i / 3) + " has a coordinate that is not a number";
            return nullptr;
        }
        xyz[i] = value;
    }
    vtkNew<vtkIdTypeArray> offsets;
    offsets->SetNumberOfValues(static_cast<vtkIdType>(faces) + 1);
    vtkNew<vtkIdTypeArray> connectivity;
    connectivity->SetNumberOfValues(3 * static_cast<vtkIdType>(faces));
    vtkIdType* ids = connectivity->GetPointer(0);
    for (std::int64_t i = 0; i < 3ll * faces; ++i, pos += 4) {
        const std::int32_t index = signed32(p + pos);
        if (index < 0 || index >= vertices) {
            problem = "triangle " + std::to_string(i / 3) + " names vertex " + std::to_string(index) +
                      ", and the file holds " + std::to_string(vertices);
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
        error = "model file \"" + name + "\" does not exist";
        return nullptr;
    }
    const auto size = std::filesystem::is_regular_file(status) ? std::filesystem::file_size(path, ec) : 0;
    if (!std::filesystem::is_regular_file(status) || ec || !std::ifstream(name, std::ios::binary)) {
        error = "model file \"" + name + "\" is not a readable file";
        return nullptr;
    }
    if (size == 0) {
        error = "model file \"" + name + "\" is empty";
        return nullptr;
    }
    std::string bytes;
    bool read = false;
    try {
        read = readWholeFile(fileName, bytes);
    } catch (const std::bad_alloc&) {
    }
    if (!read) {
        error = "model file \"" + name + "\" is not a readable file";
        return nullptr;
    }
    std::string problem;
    vtkPolyData* surface = nullptr;
    try {
        surface = freeSurferSurfaceFromBytes(bytes, problem);
    } catch (const std::bad_alloc&) {
        problem = "it asks for more memory than there is";
    }
    if (!surface)
        error = "model file \"" + name + "\" could not be read: " + problem;
    return surface;
}

} // namespace mrmlmodelfile
