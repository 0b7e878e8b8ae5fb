#include "MRMLSharedPoints.h"

#include <vtkCellArray.h>
#include <vtkFloatArray.h>
#include <vtkNew.h>
#include <vtkPointData.h>
#include <vtkPoints.h>
#include <vtkPolyData.h>
#include <vtkTypeInt32Array.h>
#include <vtkTypeInt64Array.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <new>
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

std::uint32_t bitsOf(float v)
{
    v += 0.0f;   // -0 and +0 are the same coordinate
    std::uint32_t bits = 0;
    std::memcpy(&bits, &v, sizeof bits);
    return bits;
}

std::uint64_t hashOf(const float* p)
{
    std::uint64_t h = bitsOf(p[0]);
    h = h * 0x9E3779B97F4A7C15ull ^ bitsOf(p[1]);
    h = h * 0x9E3779B97F4A7C15ull ^ bitsOf(p[2]);
    return h * 0x9E3779B97F4A7C15ull;
}

// The cells with their point ids renumbered, in 32-bit arrays (half the size of VTK's
// default) when their ids fit, which is when the points do: all but models of billions.
template <class Ids>
void renumber(vtkCellArray* cells, Ids* offsets, Ids* connectivity, const std::vector<std::int32_t>& newIndex)
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

bool shareCoincidentPoints(vtkPolyData* data)
{
    vtkPoints* points = data ? data->GetPoints() : nullptr;
    auto* coords = points ? vtkFloatArray::SafeDownCast(points->GetData()) : nullptr;
    if (!coords || coords->GetNumberOfComponents() != 3 || data->GetPointData()->GetNumberOfArrays() > 0)
        return false;
    const vtkIdType count = coords->GetNumberOfTuples();
    if (count < 2 || count > std::numeric_limits<std::int32_t>::max() / 4)
        return false;
    const float* xyz = coords->GetPointer(0);

    // Open addressing on the point's first occurrence; at most half the slots are used.
    // A coordinate that is not a number equals nothing, so such a point stays apart.
    size_t slots = 1;
    while (slots < 2 * static_cast<size_t>(count))
        slots <<= 1;
    std::vector<std::int32_t> table(slots, -1);
    std::vector<std::int32_t> newIndex(static_cast<size_t>(count));
    std::vector<std::int32_t> kept;
    for (std::int32_t i = 0; i < count; ++i) {
        const float* p = xyz + 3 * static_cast<size_t>(i);
        size_t slot = static_cast<size_t>(hashOf(p)) & (slots - 1);
        for (;; slot = (slot + 1) & (slots - 1)) {
            const std::int32_t first = table[slot];
            if (first < 0) {
                table[slot] = i;
                newIndex[static_cast<size_t>(i)] = static_cast<std::int32_t>(kept.size());
                kept.push_back(i);
                break;
            }
            const float* q = xyz + 3 * static_cast<size_t>(first);
            if (p[0] == q[0] && p[1] == q[1] && p[2] == q[2]) {
                newIndex[static_cast<size_t>(i)] = newIndex[static_cast<size_t>(first)];
                break;
            }
        }
    }
    std::vector<std::int32_t>().swap(table);
    if (static_cast<vtkIdType>(kept.size()) == count)
        return false;

    vtkNew<vtkFloatArray> merged;
    merged->SetNumberOfComponents(3);
    merged->SetNumberOfTuples(static_cast<vtkIdType>(kept.size()));
    requireValues(merged, 3 * static_cast<vtkIdType>(kept.size()));
    float* out = merged->GetPointer(0);
    for (std::int32_t first : kept) {
        std::memcpy(out, xyz + 3 * static_cast<size_t>(first), 3 * sizeof(float));
        out += 3;
    }
    for (vtkCellArray* cells : {data->GetVerts(), data->GetLines(), data->GetPolys(), data->GetStrips()}) {
        if (!cells)
            continue;
        if (cells->IsStorage64Bit())
            renumber(cells, cells->GetOffsetsArray64(), cells->GetConnectivityArray64(), newIndex);
        else
            renumber(cells, cells->GetOffsetsArray32(), cells->GetConnectivityArray32(), newIndex);
    }
    vtkNew<vtkPoints> shared;
    shared->SetData(merged);
    data->SetPoints(shared);
    return true;
}

} // namespace mrmlmodelfile
