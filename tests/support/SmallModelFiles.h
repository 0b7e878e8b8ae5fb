#pragma once
// Copies of a small model file for runs that open many: a sphere of 2,444 triangles,
// written by VTK as binary STL, under the names model1.stl, model2.stl, ...

#include <string>
#include <vector>

class QString;

namespace PelmoraTest {

// Writes `count` copies into the folder `dir` and returns their paths (local 8-bit).
std::vector<std::string> writeSmallModelFiles(const QString& dir, int count);

} // namespace PelmoraTest
