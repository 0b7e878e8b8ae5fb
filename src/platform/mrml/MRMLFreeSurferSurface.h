#pragma once
// FreeSurfer's binary surface files (lh.pial, rh.white, ...): the file's kind is its last
// extension. Only triangle surfaces are read: three magic bytes, a "created by" text that
// ends in two line feeds, the big-endian vertex and face counts, the vertices as three
// big-endian floats and the faces as three big-endian vertex indices. Anything may follow
// the faces (FreeSurfer appends tags there).

#include <string>
#include <vector>

class vtkPolyData;

namespace mrmlmodelfile {

// The surface kinds, lower case with their dot.
const std::vector<std::string>& freeSurferSurfaceExtensions();
bool isFreeSurferSurfaceName(const char* fileName);

// The surface in `bytes` as new poly data (the caller owns it), or null with `problem`
// saying what is wrong: not a surface file, a quadrangle surface, counts the file cannot
// hold or faces naming vertices the file does not hold.
vtkPolyData* freeSurferSurfaceFromBytes(const std::string& bytes, std::string& problem);

// The file read and checked as above, no further than the surface its header announces,
// and its points as every model file's (geometryProblem); null with `error` naming the
// file and the problem.
vtkPolyData* readFreeSurferSurface(const char* fileName, std::string& error);

} // namespace mrmlmodelfile
