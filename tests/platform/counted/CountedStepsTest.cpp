// The counted containers count every element a walk reaches, however the walk is written
// (a range loop, an index, a standard algorithm, backwards, through a const view), and a
// look-up only what it probes: the growth tests rely on both.

#include <counted/CountedSteps.h>

#include <vtkCellArray.h>
#include <vtkIdList.h>
#include <vtkNew.h>

#include <gtest/gtest.h>

#include <support/StepCount.h>

#include <algorithm>
#include <functional>
#include <string>

namespace {

thread_local std::uint64_t counted = 0;
std::uint64_t& steps()
{
    return counted;
}

constexpr int N = 100;

struct Node
{
    Counted::Link<Node, &steps> parent;
};

TEST(CountedSteps, AWalkCountsEveryElementItReachesAndALookUpWhatItProbes)
{
    Counted::Vector<int, &steps> vector;
    Counted::List<int, &steps> list;
    Counted::Map<std::string, int, &steps> map;
    Counted::HashMap<int, int, &steps> hash;
    for (int i = 0; i < N; ++i) {
        vector.push_back(i);
        list.push_back(i);
        map[std::to_string(i)] = i;
        hash[i] = i;
    }
    Node chain[N];
    for (int i = 1; i < N; ++i)
        chain[i].parent = &chain[i - 1];
    vtkNew<vtkCellArray> raw;
    for (vtkIdType i = 0; i < N; ++i) {
        const vtkIdType ids[2] = {i, i + 1};
        raw->InsertNextCell(2, ids);
    }
    Counted::Cells<vtkCellArray, &steps> cells(raw);
    const auto& constVector = vector;

    const PelmoraTest::StepRow rows[] = {
        // Walks: one step for each element reached.
        {"a range loop over the vector", [&] { for (int v : vector) (void)v; }, N, N},
        {"a walk over the vector by jumps of one", [&] { for (auto it = vector.begin(); it != vector.end(); it += 1) {} }, N, N},
        {"an index loop over the vector", [&] { for (size_t i = 0; i < vector.size(); ++i) (void)vector[i]; }, N, N},
        {"std::find of the last in the vector", [&] { (void)std::find(vector.begin(), vector.end(), N - 1); }, N, N},
        {"a const walk backwards", [&] { for (auto it = constVector.rbegin(); it != constVector.rend(); ++it) (void)*it; }, N - 1, N},
        {"each element read twice in a walk", [&] { for (auto it = list.begin(); it != list.end(); ++it) (void)(*it + *it); }, N, N},
        // Steps that read nothing reach each element stepped over.
        {"std::distance over the list", [&] { (void)std::distance(list.begin(), list.end()); }, N, N},
        {"std::next to the last of the list", [&] { (void)std::next(list.begin(), N - 1); }, N - 1, N},
        {"std::prev from the end of the list", [&] { (void)std::prev(list.end(), N); }, N, N},
        {"std::distance over the ordered map", [&] { (void)std::distance(map.begin(), map.end()); }, N, N},
        {"a count by stepping over the hashed map", [&] { int k = 0; for (auto it = hash.begin(); it != hash.end(); ++it) ++k; }, N, N},
        {"std::count over the list", [&] { (void)std::count(list.begin(), list.end(), 7); }, N, N},
        {"a range loop over the ordered map", [&] { for (const auto& e : map) (void)e; }, N, N},
        {"a range loop over the hashed map", [&] { for (const auto& e : hash) (void)e; }, N, N},
        {"a climb up a chain of parents", [&] { for (Node* n = &chain[N - 1]; n; n = n->parent) {} }, N, N},
        {"each cell read", [&] { vtkNew<vtkIdList> ids; for (vtkIdType c = 0; c < cells.GetNumberOfCells(); ++c) cells.GetCellAtId(c, ids); }, N, N},
        // Copies and clearings reach each element they copy or drop; a move reaches none.
        {"a copy of the vector", [&] { const auto copy = vector; (void)copy.size(); }, N, N},
        {"a copy of the list, then moved", [&] { auto copy = list; const auto moved = std::move(copy); (void)moved.size(); }, N, N},
        {"a copy of the ordered map assigned", [&] { Counted::Map<std::string, int, &steps> copy; copy = map; }, N, N},
        {"a copy of the hashed map", [&] { const auto copy = hash; (void)copy.size(); }, N, N},
        {"a copy of the list cleared", [&] { auto copy = list; copy.clear(); }, 2 * N, 2 * N},
        {"a vector of N made", [&] { const Counted::Vector<int, &steps> made(N); (void)made.size(); }, N, N},
        {"room made past a full vector's", [&] { Counted::Vector<int, &steps> v; v.reserve(N); for (int i = 0; i < N; ++i) v.push_back(i); v.reserve(N + 1); }, N, N},
        {"a full vector made twice as long", [&] { Counted::Vector<int, &steps> v; v.reserve(N); for (int i = 0; i < N; ++i) v.push_back(i); v.resize(2 * N); }, 2 * N, 2 * N},
        // Changes that move or compare what is there.
        {"an erase at the front of the vector", [&] { vector.erase(vector.begin()); vector.push_back(N); }, N - 1, N},
        {"an insert at the front of the vector", [&] { vector.insert(vector.begin(), -1); }, N, N},
        {"a remove by value from the list", [&] { list.remove(-5); }, N, N},
        // Look-ups: what they probe, not what is there.
        {"a search of the sorted vector", [&] { (void)std::lower_bound(vector.begin() + 1, vector.end(), 40); }, 1, 16},
        {"a jump to the last of the vector", [&] { (void)std::distance(vector.begin(), std::next(vector.begin(), N - 1)); }, 1, 1},
        {"a look-up in the ordered map", [&] { (void)map.find("42"); }, 1, 8},
        {"a look-up in the hashed map", [&] { (void)hash.find(42); }, 1, 4},
        {"an end of the list", [&] { (void)list.front(); (void)list.back(); }, 2, 2},
        {"an append to the list", [&] { list.push_back(N); }, 1, 1},
        {"the sizes and the cell count", [&] { (void)vector.size(); (void)list.size(); (void)map.size(); (void)cells.GetNumberOfCells(); }, 0, 0},
    };
    PelmoraTest::expectStepsOfEachRow(&steps, rows);
}

} // namespace
