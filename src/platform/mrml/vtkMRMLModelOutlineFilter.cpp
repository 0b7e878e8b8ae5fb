#include "vtkMRMLModelOutlineFilter.h"

#include "MRMLBitMixing.h"

#include <counted/CountedSteps.h>

#include <vtkCellArray.h>
#include <vtkCellArrayIterator.h>
#include <vtkIdTypeArray.h>
#include <vtkInformation.h>
#include <vtkInformationVector.h>
#include <vtkMath.h>
#include <vtkObjectFactory.h>
#include <vtkPoints.h>
#include <vtkPolyData.h>
#include <vtkSmartPointer.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <limits>
#include <new>
#include <vector>

vtkStandardNewMacro(vtkMRMLModelOutlineFilter);

namespace {

std::atomic<std::uint64_t> totalEdgesVisited{0};
std::atomic<std::uint64_t> totalSlotsRead{0};
std::atomic<std::uint64_t> totalBytesReserved{0};
std::atomic<std::uint64_t> totalEdgesRead{0};

// The edges of the list reached or moved on this thread, whatever reads them.
std::uint64_t& edgeListSteps()
{
    return Counted::tally<struct EdgeListSteps>();
}

// Newell's normal of a polygon, unit length (zero for a polygon without area).
void polygonNormal(vtkPoints* points, vtkIdType size, const vtkIdType* ids, float normal[3])
{
    double n[3] = {0, 0, 0}, a[3], b[3];
    points->GetPoint(ids[size - 1], a);
    for (vtkIdType k = 0; k < size; ++k) {
        points->GetPoint(ids[k], b);
        n[0] += (a[1] - b[1]) * (a[2] + b[2]);
        n[1] += (a[2] - b[2]) * (a[0] + b[0]);
        n[2] += (a[0] - b[0]) * (a[1] + b[1]);
        a[0] = b[0], a[1] = b[1], a[2] = b[2];
    }
    const double length = vtkMath::Norm(n);
    for (int i = 0; i < 3; ++i)
        normal[i] = length > 0 && std::isfinite(length) ? static_cast<float>(n[i] / length) : 0.0f;
}

// The edges met so far, in the order met, each with the first face that has it and the
// number of faces that do; an open-addressed table of indices into that list finds them.
class EdgeTable
{
public:
    struct Edge
    {
        vtkIdType a, b;        // a < b
        std::int64_t face;     // the first face with this edge
        std::int64_t other;    // the second one
        std::int64_t uses;
    };

    explicit EdgeTable(size_t expected, vtkMRMLModelOutlineFilter::Work& work)
        : work(work)
    {
        reserveEdges(expected);
        rehash(expected);
    }

    void add(vtkIdType p, vtkIdType q, std::int64_t face)
    {
        if (p == q)
            return;   // a repeated corner makes no edge
        const vtkIdType a = std::min(p, q), b = std::max(p, q);
        ++work.edgesVisited;
        if (2 * (edges.size() + 1) > slots.size())
            rehash(2 * slots.size());
        const size_t mask = slots.size() - 1;
        for (size_t slot = home(a, b, mask);; slot = (slot + 1) & mask) {
            ++work.slotsRead;
            const std::int64_t at = slots[slot];
            if (at < 0) {
                slots[slot] = static_cast<std::int64_t>(edges.size());
                if (edges.size() == edgeCapacity)
                    reserveEdges(2 * edgeCapacity);
                edges.push_back({a, b, face, -1, 1});
                return;
            }
            Edge& edge = edges[static_cast<size_t>(at)];
            if (edge.a == a && edge.b == b) {
                if (++edge.uses == 2)
                    edge.other = face;
                return;
            }
        }
    }

    // Each edge reached through the list is counted in edgeListSteps().
    using Edges = Counted::Vector<Edge, &edgeListSteps>;
    const Edges& all() const { return edges; }
    size_t bytes() const { return slots.capacity() * sizeof(std::int64_t) + edgeCapacity * sizeof(Edge); }

private:
    // The ids come from the file: the process's seed keeps a file from choosing edges that
    // share a slot.
    size_t home(vtkIdType a, vtkIdType b, size_t mask) const
    {
        return static_cast<size_t>(mrmlmodelfile::mixBits(static_cast<std::uint64_t>(a), static_cast<std::uint64_t>(b), seed)) & mask;
    }

    void rehash(size_t wanted)
    {
        size_t size = 16;
        while (size < 2 * wanted)
            size <<= 1;
        std::vector<std::int64_t>(size, -1).swap(slots);
        const size_t mask = size - 1;
        for (size_t i = 0; i < edges.size(); ++i) {
            const Edge& edge = edges[i];
            size_t slot = home(edge.a, edge.b, mask);
            while (slots[slot] >= 0)
                slot = (slot + 1) & mask;
            slots[slot] = static_cast<std::int64_t>(i);
        }
    }

    void reserveEdges(size_t count)
    {
        edgeCapacity = std::max<size_t>(count, 1);
        edges.reserve(edgeCapacity);
    }

    vtkMRMLModelOutlineFilter::Work& work;
    const std::uint64_t seed = mrmlmodelfile::hashSeed();
    std::vector<std::int64_t> slots;
    Edges edges;
    // What the list has room for: it grows by doubling, as a vector would.
    size_t edgeCapacity = 0;
};

} // namespace

vtkMRMLModelOutlineFilter::Work vtkMRMLModelOutlineFilter::GetTotalWork()
{
    Work work;
    work.edgesVisited = totalEdgesVisited.load();
    work.slotsRead = totalSlotsRead.load();
    work.bytesReserved = totalBytesReserved.load();
    work.edgesRead = totalEdgesRead.load();
    return work;
}

void vtkMRMLModelOutlineFilter::PrintSelf(ostream& os, vtkIndent indent)
{
    Superclass::PrintSelf(os, indent);
    os << indent << "FeatureAngle: " << FeatureAngle << "\n";
}

int vtkMRMLModelOutlineFilter::RequestData(vtkInformation*, vtkInformationVector** inputVector,
                                           vtkInformationVector* outputVector)
{
    vtkPolyData* input = vtkPolyData::GetData(inputVector[0], 0);
    vtkPolyData* output = vtkPolyData::GetData(outputVector, 0);
    if (!input || !output)
        return 0;
    output->Initialize();
    LastWork = Work();
    const std::uint64_t edgesReadBefore = edgeListSteps();
    vtkPoints* points = input->GetPoints();
    vtkCellArray* polys = input->GetPolys();
    vtkCellArray* strips = input->GetStrips();
    const vtkIdType polyCount = polys ? polys->GetNumberOfCells() : 0;
    const vtkIdType stripCount = strips ? strips->GetNumberOfCells() : 0;
    if (!points || polyCount + stripCount == 0)
        return 1;

    try {
        // Faces: the polygons, then each triangle of each strip.  A closed surface has
        // each edge twice, so half the corners is the usual count of edges.
        const vtkIdType corners = (polys ? polys->GetNumberOfConnectivityIds() : 0)
                                  + 3 * (strips ? strips->GetNumberOfConnectivityIds() : 0);
        std::vector<float> normals;
        normals.reserve(3 * static_cast<size_t>(polyCount + (strips ? strips->GetNumberOfConnectivityIds() : 0)));
        EdgeTable table(static_cast<size_t>(corners / 2 + 1), LastWork);
        std::int64_t face = 0;
        float normal[3];
        if (polyCount) {
            auto it = vtk::TakeSmartPointer(polys->NewIterator());
            for (it->GoToFirstCell(); !it->IsDoneWithTraversal(); it->GoToNextCell()) {
                vtkIdType size;
                const vtkIdType* ids;
                it->GetCurrentCell(size, ids);
                if (size < 1)
                    continue;
                polygonNormal(points, size, ids, normal);
                normals.insert(normals.end(), normal, normal + 3);
                for (vtkIdType k = 0; k < size; ++k)
                    table.add(ids[k], ids[(k + 1) % size], face);
                ++face;
            }
        }
        if (stripCount) {
            auto it = vtk::TakeSmartPointer(strips->NewIterator());
            for (it->GoToFirstCell(); !it->IsDoneWithTraversal(); it->GoToNextCell()) {
                vtkIdType size;
                const vtkIdType* ids;
                it->GetCurrentCell(size, ids);
                for (vtkIdType k = 0; k + 2 < size; ++k) {
                    // Every other triangle of a strip turns the other way round.
                    const vtkIdType triangle[3] = {ids[k], ids[k + 1 + (k & 1)], ids[k + 2 - (k & 1)]};
                    polygonNormal(points, 3, triangle, normal);
                    normals.insert(normals.end(), normal, normal + 3);
                    for (int e = 0; e < 3; ++e)
                        table.add(triangle[e], triangle[(e + 1) % 3], face);
                    ++face;
                }
            }
        }
        LastWork.bytesReserved = table.bytes() + normals.capacity() * sizeof(float);

        // Borders (one face), edges of more than two faces, and sharp edges of two.
        const double cosAngle = std::cos(vtkMath::RadiansFromDegrees(FeatureAngle));
        size_t shown = 0;
        for (const EdgeTable::Edge& edge : table.all())
            shown += edge.uses != 2 || vtkMath::Dot(&normals[3 * size_t(edge.face)], &normals[3 * size_t(edge.other)]) <= cosAngle;
        vtkNew<vtkCellArray> lines;
        lines->AllocateExact(static_cast<vtkIdType>(shown), 2 * static_cast<vtkIdType>(shown));
        for (const EdgeTable::Edge& edge : table.all()) {
            if (edge.uses == 2 && vtkMath::Dot(&normals[3 * size_t(edge.face)], &normals[3 * size_t(edge.other)]) > cosAngle)
                continue;
            const vtkIdType ids[2] = {edge.a, edge.b};
            lines->InsertNextCell(2, ids);
        }
        if (lines->GetNumberOfCells() != static_cast<vtkIdType>(shown))
            throw std::bad_alloc();
        output->SetPoints(points);
        output->SetLines(lines);
        LastWork.edgesRead = edgeListSteps() - edgesReadBefore;
    } catch (const std::bad_alloc&) {
        // Said once: a failed request would be made again, and said again, every frame.
        vtkErrorMacro("Not enough memory to outline a model of " << polyCount + stripCount << " polygons");
        output->Initialize();
        return 1;
    }
    totalEdgesVisited += LastWork.edgesVisited;
    totalSlotsRead += LastWork.slotsRead;
    totalBytesReserved += LastWork.bytesReserved;
    totalEdgesRead += LastWork.edgesRead;
    return 1;
}
