#include "MRMLSharedPoints.h"

#include "MRMLBitMixing.h"

#include <counted/CountedSteps.h>

#include <vtkCellArray.h>
#include <vtkDoubleArray.h>
#include <vtkFloatArray.h>
#include <vtkNew.h>
#include <vtkPointData.h>
#include <vtkPoints.h>
#include <vtkPolyData.h>
#include <vtkTypeInt32Array.h>
#include <vtkTypeInt64Array.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <type_traits>
#include <vector>

namespace mrmlmodelfile {

namespace {

// VTK's arrays report an allocation they could not make and keep their old size; the
// caller's refusal of the model is the answer to running out of memory here.
void requireValues(vtkDataArray* array, vtkIdType values)
{
    if (array->GetNumberOfValues() != values)
        throw std::bad_alloc();
}

std::atomic<std::uint64_t> pointsLookedUp{0};
std::atomic<std::uint64_t> slotsRead{0};
std::atomic<std::uint64_t> keptRead{0};

// The entries of a list of points kept reached on this thread, whatever reads them.
std::uint64_t& keptSteps()
{
    return Counted::tally<struct KeptPointSteps>();
}

// Adds the entries of the list of points kept that a run reached to the process's count.
struct KeptReads
{
    KeptReads() : start(keptSteps()) {}
    ~KeptReads() { keptRead += keptSteps() - start; }
    std::uint64_t start;
};

template <class Real>
auto bitsOf(Real v)
{
    using Bits = std::conditional_t<sizeof(Real) == 4, std::uint32_t, std::uint64_t>;
    v += Real(0);   // -0 and +0 are the same coordinate
    Bits bits = 0;
    std::memcpy(&bits, &v, sizeof bits);
    return bits;
}

// Round coordinates leave the low bits of their floats zero and powers of two the whole
// mantissa: all the bits of all three coordinates are mixed before a slot is taken, under
// the process's seed, so that no file can choose coordinates that share a slot.
std::uint64_t hashOf(const float* p, std::uint64_t seed)
{
    return mixBits((std::uint64_t(bitsOf(p[0])) << 32) | bitsOf(p[1]), bitsOf(p[2]), seed);
}

std::uint64_t hashOf(const double* p, std::uint64_t seed)
{
    return mixBits(mixBits(bitsOf(p[0]), bitsOf(p[1]), seed), bitsOf(p[2]), seed);
}

template <class Real>
bool finitePoint(const Real* p)
{
    return std::isfinite(p[0]) && std::isfinite(p[1]) && std::isfinite(p[2]);
}

// The cells with their point ids renumbered, in 32-bit arrays (half the size of VTK's
// default) when their ids fit, which is when the points do: all but models of billions.
template <class Ids>
void renumber(vtkCellArray* cells, Ids* offsets, Ids* connectivity, const std::int32_t* newIndex)
{
    const vtkIdType count = connectivity->GetNumberOfValues();
    const auto* ids = connectivity->GetPointer(0);
    if (count > std::numeric_limits<std::int32_t>::max()) {
        auto* id = connectivity->GetPointer(0);
        for (vtkIdType i = 0; i < count; ++i)
            id[i] = newIndex[static_cast<size_t>(id[i])];
        connectivity->Modified();
        return;
    }
    vtkNew<vtkTypeInt32Array> connectivity32;
    connectivity32->SetNumberOfValues(count);
    requireValues(connectivity32, count);
    std::int32_t* to = connectivity32->GetPointer(0);
    for (vtkIdType i = 0; i < count; ++i)
        to[i] = newIndex[static_cast<size_t>(ids[i])];
    vtkNew<vtkTypeInt32Array> offsets32;
    offsets32->SetNumberOfValues(offsets->GetNumberOfValues());
    requireValues(offsets32, offsets->GetNumberOfValues());
    std::copy(offsets->GetPointer(0), offsets->GetPointer(0) + offsets->GetNumberOfValues(), offsets32->GetPointer(0));
    cells->SetData(offsets32, connectivity32);
}

} // namespace

namespace {

template <class Real, class RealArray>
bool joinPoints(vtkPolyData* data, RealArray* coords, bool keepAttributes)
{
    const vtkIdType count = coords->GetNumberOfTuples();
    if (count < 2 || count > std::numeric_limits<std::int32_t>::max() / 4)
        return false;
    const Real* xyz = coords->GetPointer(0);

    // Open addressing on the point's first occurrence; at most half the slots are used.
    // A slot holds the point's number in its low bits and, above them, the top bits of the
    // point's hash, so that most points met on the way are passed without reading their
    // coordinates (a wait on memory each, in a model larger than the caches). All ones is
    // a free slot: no point's number fills its bits with ones.
    // A coordinate that is not a number equals nothing, so such a point stays apart
    // without a search (infinities too: the readers refuse both, filters may make them).
    size_t slots = 1;
    while (slots < 2 * static_cast<size_t>(count))
        slots <<= 1;
    unsigned indexBits = 1;
    while ((std::uint64_t(1) << indexBits) <= static_cast<std::uint64_t>(count))
        ++indexBits;
    const std::uint32_t indexMask = static_cast<std::uint32_t>((std::uint64_t(1) << indexBits) - 1);
    constexpr std::uint32_t freeSlot = ~std::uint32_t(0);
    std::vector<std::uint32_t> table(slots, freeSlot);
    // Each point's number among the points kept: a point met first takes the next one, so
    // the points kept are those whose number is the count of points kept before them.
    std::unique_ptr<std::int32_t[]> newIndex(new std::int32_t[static_cast<size_t>(count)]);
    std::int32_t keptCount = 0;
    std::uint64_t probes = 0;
    // The slots of the points a little ahead are asked of the memory early: a table larger
    // than the caches would otherwise cost a wait on every point.
    constexpr std::int32_t ahead = 16;
    std::uint64_t hashes[ahead];
    const std::uint64_t seed = hashSeed();
    const size_t slotMask = slots - 1;
    auto hashAt = [&](std::int32_t k) { return hashOf(xyz + 3 * static_cast<size_t>(k), seed); };
    for (std::int32_t k = 0; k < ahead && k < count; ++k) {
        hashes[k] = hashAt(k);
        __builtin_prefetch(&table[hashes[k] & slotMask]);
    }
    for (std::int32_t i = 0; i < count; ++i) {
        const Real* p = xyz + 3 * static_cast<size_t>(i);
        const std::uint64_t h = hashes[i % ahead];
        if (i + ahead < count) {
            hashes[i % ahead] = hashAt(i + ahead);
            __builtin_prefetch(&table[hashes[i % ahead] & slotMask]);
        }
        if (!finitePoint(p)) {
            newIndex[static_cast<size_t>(i)] = keptCount++;
            continue;
        }
        const std::uint32_t tag = static_cast<std::uint32_t>(h >> 32) & ~indexMask;
        for (size_t slot = static_cast<size_t>(h) & slotMask;; slot = (slot + 1) & slotMask) {
            ++probes;
            const std::uint32_t held = table[slot];
            if (held == freeSlot) {
                table[slot] = tag | static_cast<std::uint32_t>(i);
                newIndex[static_cast<size_t>(i)] = keptCount++;
                break;
            }
            if ((held & ~indexMask) != tag)
                continue;
            const std::int32_t first = static_cast<std::int32_t>(held & indexMask);
            const Real* q = xyz + 3 * static_cast<size_t>(first);
            if (p[0] == q[0] && p[1] == q[1] && p[2] == q[2]) {
                newIndex[static_cast<size_t>(i)] = newIndex[static_cast<size_t>(first)];
                break;
            }
        }
    }
    pointsLookedUp += static_cast<std::uint64_t>(count);
    slotsRead += probes;
    std::vector<std::uint32_t>().swap(table);
    if (keptCount == count)
        return false;

    // The points kept, in the order they were first met.
    const KeptReads reads;
    Counted::Vector<std::int32_t, &keptSteps> kept;
    kept.reserve(static_cast<size_t>(keptCount));
    for (std::int32_t i = 0, next = 0; i < count; ++i)
        if (newIndex[static_cast<size_t>(i)] == next) {
            kept.push_back(i);
            ++next;
        }
    vtkNew<RealArray> merged;
    merged->SetNumberOfComponents(3);
    merged->SetNumberOfTuples(static_cast<vtkIdType>(kept.size()));
    requireValues(merged, 3 * static_cast<vtkIdType>(kept.size()));
    Real* out = merged->GetPointer(0);
    for (std::int32_t first : kept) {
        std::memcpy(out, xyz + 3 * static_cast<size_t>(first), 3 * sizeof(Real));
        out += 3;
    }
    if (keepAttributes && data->GetPointData()->GetNumberOfArrays() > 0) {
        vtkPointData* from = data->GetPointData();
        vtkNew<vtkPointData> to;
        to->CopyAllocate(from, static_cast<vtkIdType>(kept.size()));
        for (size_t k = 0; k < kept.size(); ++k)
            to->CopyData(from, kept[k], static_cast<vtkIdType>(k));
        from->ShallowCopy(to);
    }
    for (vtkCellArray* cells : {data->GetVerts(), data->GetLines(), data->GetPolys(), data->GetStrips()}) {
        if (!cells)
            continue;
        if (cells->IsStorage64Bit())
            renumber(cells, cells->GetOffsetsArray64(), cells->GetConnectivityArray64(), newIndex.get());
        else
            renumber(cells, cells->GetOffsetsArray32(), cells->GetConnectivityArray32(), newIndex.get());
    }
    vtkNew<vtkPoints> shared;
    shared->SetData(merged);
    data->SetPoints(shared);
    return true;
}

} // namespace

SharedPointsWork sharedPointsWork()
{
    SharedPointsWork work;
    work.points = pointsLookedUp.load();
    work.probes = slotsRead.load();
    work.kept = keptRead.load();
    return work;
}

bool shareCoincidentPoints(vtkPolyData* data)
{
    vtkPoints* points = data ? data->GetPoints() : nullptr;
    auto* coords = points ? vtkFloatArray::SafeDownCast(points->GetData()) : nullptr;
    if (!coords || coords->GetNumberOfComponents() != 3 || data->GetPointData()->GetNumberOfArrays() > 0)
        return false;
    return joinPoints<float>(data, coords, false);
}

bool mergeCoincidentPoints(vtkPolyData* data)
{
    vtkPoints* points = data ? data->GetPoints() : nullptr;
    if (!points || points->GetData()->GetNumberOfComponents() != 3)
        return false;
    if (auto* single = vtkFloatArray::SafeDownCast(points->GetData()))
        return joinPoints<float>(data, single, true);
    if (auto* twice = vtkDoubleArray::SafeDownCast(points->GetData()))
        return joinPoints<double>(data, twice, true);
    return false;
}

} // namespace mrmlmodelfile
