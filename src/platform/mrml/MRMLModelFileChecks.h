#pragma once
// Checks of model files that VTK's readers trust. Their cell lists (faces, lines) name
// points, normals and texture coordinates by index, and the readers walk those lists
// without checking them: a damaged file makes them read or free memory past their
// arrays. Each check returns an empty text for a file the reader can take, otherwise
// what is wrong with it.

#include <cstddef>
#include <string>

class vtkPolyData;

namespace mrmlmodelfile {

// "model file \"NAME\"" for a reason: the name as the console and a terminal can take it
// (a control character, a line break or a byte that is not UTF-8 written as an escape).
std::string namedFile(const std::string& name);

// The whole file; false when it cannot be read.
bool readWholeFile(const char* fileName, std::string& bytes);
// The whole of a text file; false when it cannot be read, or when it holds a NUL byte,
// which no text file holds (then `nulAt`, when given, is where the first one is).  The
// file is looked through before it is kept, so that a NUL costs no more than the bytes
// before it.
bool readWholeTextFile(const char* fileName, std::string& bytes, size_t* nulAt = nullptr);

// Wavefront OBJ: coordinates are numbers, and every index of a face, line or point names
// a vertex, texture coordinate or normal of the file.
std::string objProblem(const std::string& bytes);

// PLY: the header is sound, and every vertex index of a face names one of the vertices.
std::string plyProblem(const std::string& bytes);

// Legacy VTK: the version is known, and the cell lists fit the file and their points,
// wherever METADATA blocks stand among them. A file without problem is to be read as
// `readable` gives it when that is set and not empty: the file without the METADATA
// blocks before its point and cell data.
std::string legacyVtkProblem(const std::string& bytes, std::string* readable = nullptr);

// VTK XML poly data: the elements nest within bounds, every count and size the header and
// the arrays' block headers declare is one the file's data really holds (compressed
// blocks are uncompressed to see that), and the cell offsets stay within their
// connectivity, so that the reader never allocates more than the model holds.
std::string vtpProblem(const std::string& bytes);

// What every reader asks of the model it read, whatever the file's kind and way in: every
// coordinate is a finite number (a point that is not a number, or infinitely far, can be
// neither drawn nor joined with others), and the faces do not all collapse to one point.
// Empty when the model is sound, else what is wrong, to follow the file's name ("could
// not be read: point 4 has a coordinate that is not a number").
std::string geometryProblem(vtkPolyData* data);

// Leaves out each face that repeats an earlier one exactly: the same corners in the same
// turn (listed from another corner, it is still the same face; turned the other way, it
// faces the other way and is kept). Drawing a stack of such faces costs as much as that
// many faces and shows one. The faces' own values go with the faces kept; a repeat whose
// values differ from its first face's is not left out, and then the model is refused:
// `problem` says which faces. Returns how many faces were left out; `probes`, when given,
// counts the slots of the faces' table read (none when no point is a corner twice and
// every face has a corner: then no face can repeat, and a look at each corner, marking
// it, shows that without the table), and `keptReads` the entries of the list of
// repeats that were reached, costs that grow with the faces alone, whatever corners a
// file chose (the table's hash takes the process's seed).
long long dropRepeatedFaces(vtkPolyData* data, std::string& problem, long long* probes = nullptr,
                            long long* keptReads = nullptr);

} // namespace mrmlmodelfile
