#pragma once
// STL files repeat a corner for every triangle that meets there: six copies of each point
// of a closed surface.  Sharing them makes one sixth of the points, for storage, display
// and picking alike.

class vtkPolyData;

namespace mrmlmodelfile {

// Makes the cells of `data` share points that have exactly the same coordinates and drops
// the copies.  Data with point attributes or points that are not single-precision is left
// as it is; returns whether points were merged.
bool shareCoincidentPoints(vtkPolyData* data);

} // namespace mrmlmodelfile
