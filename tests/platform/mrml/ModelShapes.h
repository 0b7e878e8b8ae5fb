#pragma once
// Surfaces of a given number of triangles on a grid of quads, each corner repeated for
// every triangle that meets there (as an STL file holds them), with the coordinates a
// user's files have: whole numbers (a CAD model in millimetres), halves, powers of two
// (whose floats differ only in their exponents) and arbitrary ones; and the same grid with
// one stray triangle far away, as exported CAD and scan data often have.

#include <mrml/MRMLBitMixing.h>

#include <vtkCellArray.h>
#include <vtkFloatArray.h>
#include <vtkNew.h>
#include <vtkPoints.h>
#include <vtkPolyData.h>
#include <vtkSmartPointer.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <type_traits>
#include <vector>

namespace ModelShapes {

enum class Shape { Integer, HalfInteger, PowerOfTwo, Random };
constexpr Shape allShapes[] = {Shape::Integer, Shape::HalfInteger, Shape::PowerOfTwo, Shape::Random};

inline const char* shapeName(Shape shape)
{
    switch (shape) {
    case Shape::Integer: return "integer";
    case Shape::HalfInteger: return "half-integer";
    case Shape::PowerOfTwo: return "power-of-two";
    case Shape::Random: return "random";
    }
    return "";
}

inline double unitNoise(std::uint64_t x)
{
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ull;
    x = (x ^ (x >> 27)) * 0x94d049bb133111ebull;
    x ^= x >> 31;
    return static_cast<double>(x >> 11) / 9007199254740992.0;
}

// +-2^e for a small index k: 240 values, all different.
inline float powerOfTwo(int k)
{
    return static_cast<float>((k & 1) ? -std::ldexp(1.0, k / 2 - 60) : std::ldexp(1.0, k / 2 - 60));
}

// The corner (i, j) of the grid; different corners get different coordinates.
inline void corner(Shape shape, int i, int j, float out[3])
{
    const int height = (i * 7 + j * 3) % 11;
    switch (shape) {
    case Shape::Integer:
        out[0] = float(i), out[1] = float(j), out[2] = float(height);
        break;
    case Shape::HalfInteger:
        out[0] = 0.5f * float(i), out[1] = 0.5f * float(j), out[2] = 0.5f * float(height);
        break;
    case Shape::PowerOfTwo:
        out[0] = powerOfTwo(i % 240), out[1] = powerOfTwo(j % 240), out[2] = powerOfTwo(i / 240 * 17 + j / 240);
        break;
    case Shape::Random: {
        const std::uint64_t key = (std::uint64_t(std::uint32_t(i)) << 32) | std::uint32_t(j);
        out[0] = float(i + 0.8 * unitNoise(3 * key) - 0.4);
        out[1] = float(j + 0.8 * unitNoise(3 * key + 1) - 0.4);
        out[2] = float(10.0 * unitNoise(3 * key + 2));
        break;
    }
    }
}

// The corners of `triangles` triangles, three a triangle, row by row over a square-ish
// grid; with `stray`, the last triangle lies 1e7 away from the rest.
inline std::vector<float> triangleCorners(Shape shape, int triangles, bool stray = false)
{
    const int columns = std::max(1, static_cast<int>(std::ceil(std::sqrt(triangles / 2.0))));
    std::vector<float> xyz;
    xyz.reserve(9 * static_cast<size_t>(triangles));
    float c[4][3];
    for (int t = 0; t < triangles; ++t) {
        const int quad = t / 2, i = quad % columns, j = quad / columns;
        corner(shape, i, j, c[0]);
        corner(shape, i + 1, j, c[1]);
        corner(shape, i + 1, j + 1, c[2]);
        corner(shape, i, j + 1, c[3]);
        const int order[2][3] = {{0, 1, 2}, {0, 2, 3}};
        for (int k : order[t % 2])
            xyz.insert(xyz.end(), c[k], c[k] + 3);
    }
    if (stray && triangles > 0) {
        float* last = xyz.data() + 9 * (static_cast<size_t>(triangles) - 1);
        const float far[9] = {1e7f, 1e7f, 1e7f, 1e7f + 1, 1e7f, 1e7f, 1e7f, 1e7f + 1, 1e7f};
        std::memcpy(last, far, sizeof far);
    }
    return xyz;
}

// The corners as the STL reader gives them: a point for every corner of every triangle.
inline vtkSmartPointer<vtkPolyData> triangleSoup(const std::vector<float>& xyz)
{
    const vtkIdType corners = static_cast<vtkIdType>(xyz.size() / 3);
    vtkNew<vtkFloatArray> coords;
    coords->SetNumberOfComponents(3);
    coords->SetNumberOfTuples(corners);
    std::memcpy(coords->GetPointer(0), xyz.data(), xyz.size() * sizeof(float));
    vtkNew<vtkPoints> points;
    points->SetData(coords);
    vtkNew<vtkCellArray> polys;
    polys->AllocateExact(corners / 3, corners);
    for (vtkIdType t = 0; t < corners / 3; ++t) {
        const vtkIdType ids[3] = {3 * t, 3 * t + 1, 3 * t + 2};
        polys->InsertNextCell(3, ids);
    }
    auto data = vtkSmartPointer<vtkPolyData>::New();
    data->SetPoints(points);
    data->SetPolys(polys);
    return data;
}

// Writes the triangles as a binary STL file; false when it could not be written whole.
inline bool writeBinaryStl(const std::string& path, const std::vector<float>& xyz)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    char head[80] = "grid";
    const std::uint32_t count = static_cast<std::uint32_t>(xyz.size() / 9);
    bool ok = std::fwrite(head, 1, 80, file) == 80 && std::fwrite(&count, 4, 1, file) == 1;
    std::vector<char> block(50 * 4096);
    for (std::uint32_t first = 0; ok && first < count; first += 4096) {
        const std::uint32_t n = std::min<std::uint32_t>(4096, count - first);
        for (std::uint32_t t = 0; t < n; ++t) {
            char* at = block.data() + 50 * t;
            std::memset(at, 0, 50);
            std::memcpy(at + 12, xyz.data() + 9 * static_cast<size_t>(first + t), 36);
        }
        ok = std::fwrite(block.data(), 50, n, file) == n;
    }
    return std::fclose(file) == 0 && ok;
}

// Corners chosen against the tables that join them: all not a number (one bit pattern),
// or all distinct and finite yet landing in one slot of a table hashed without a seed.
// The hash's finalizer is a bijection, so a file can be made backwards from the slots.
enum class Hostile { NotANumber, OneSlotUnseeded };
constexpr Hostile allHostile[] = {Hostile::NotANumber, Hostile::OneSlotUnseeded};

inline const char* hostileName(Hostile shape)
{
    return shape == Hostile::NotANumber ? "all corners not a number" : "all corners in one unseeded slot";
}

// mrmlmodelfile::mixBits run backwards: a shift by more than half the word undoes itself,
// and an odd multiplier has an inverse modulo 2^64 (Newton's iteration finds it).
inline std::uint64_t unmixBits(std::uint64_t x)
{
    auto inverse = [](std::uint64_t a) {
        std::uint64_t y = a;
        for (int k = 0; k < 6; ++k)
            y *= 2 - a * y;
        return y;
    };
    x = (x ^ (x >> 33)) * inverse(0xc4ceb9fe1a85ec53ull);
    x = (x ^ (x >> 33)) * inverse(0xff51afd7ed558ccdull);
    return x ^ (x >> 33);
}

// The corners of `triangles` triangles.  Single precision joins a point's key
// (x << 32 | y) with z, double precision x with y and that with z, each by mixBits(a, b);
// here every point's hash is a multiple of 2^40, the first slot of any smaller table.
template <class Real>
std::vector<Real> hostileCorners(Hostile shape, int triangles)
{
    using Bits = std::conditional_t<sizeof(Real) == 4, std::uint32_t, std::uint64_t>;
    auto real = [](std::uint64_t bits) {
        Real v;
        const auto b = static_cast<Bits>(bits);
        std::memcpy(&v, &b, sizeof v);
        return v;
    };
    const size_t values = 9 * static_cast<size_t>(triangles);
    if (shape == Hostile::NotANumber)
        return std::vector<Real>(values, real(sizeof(Real) == 4 ? 0x7fc00000u : 0x7ff8000000000000ull));
    std::vector<Real> xyz;
    const Real z = 1;
    Bits zBits;
    std::memcpy(&zBits, &z, sizeof z);
    const std::uint64_t one = 0x3ff0000000000000ull, twist = 0x9E3779B97F4A7C15ull;
    for (std::uint64_t slotRound = 1; xyz.size() < values; ++slotRound) {
        const std::uint64_t pair = unmixBits(unmixBits(slotRound << 40) ^ (zBits + twist));
        const Real p[3] = {sizeof(Real) == 4 ? real(pair >> 32) : real(one),
                           sizeof(Real) == 4 ? real(pair) : real((unmixBits(pair) ^ mrmlmodelfile::mixBits(one)) - twist), z};
        // Finite and within the range a model may reach, which a reader refuses beyond.
        if (std::isfinite(p[0]) && std::isfinite(p[1]) && std::fabs(p[0]) <= Real(1e30) && std::fabs(p[1]) <= Real(1e30) &&
            !(p[0] == 0 && std::signbit(p[0])) && !(p[1] == 0 && std::signbit(p[1])))
            xyz.insert(xyz.end(), p, p + 3);
    }
    return xyz;
}

} // namespace ModelShapes
