#pragma once
// STL files repeat a corner for every triangle that meets there: six copies of each point
// of a closed surface.  Sharing them makes one sixth of the points, for storage, display
// and picking alike.

#include <cstdint>

class vtkPolyData;

namespace mrmlmodelfile {

// What joining points has cost so far in this process: the points looked up, the table
// slots read to find them and the entries of the list of points kept that were reached.
// A fair hash reads about one slot a point whatever the coordinates; the figures let a
// test check that without a clock.
struct SharedPointsWork
{
    std::uint64_t points = 0;
    std::uint64_t probes = 0;
    std::uint64_t kept = 0;
};
SharedPointsWork sharedPointsWork();

// Makes the cells of `data` share points that have exactly the same coordinates and drops
// the copies.  Data with point attributes or points that are not single-precision is left
// as it is; returns whether points were merged.
bool shareCoincidentPoints(vtkPolyData* data);

// The same for data made by a filter that copied each cell's corners (a locator that does
// not merge): points of either precision, and each joined point keeps the attributes of
// its first copy.
bool mergeCoincidentPoints(vtkPolyData* data);

} // namespace mrmlmodelfile
