#pragma once
// VTK's error and warning texts carry what only its developers need: their kind, the
// source file and line that raised them, the class and address of the object.  What is
// left is the reason, told to the user as the program's own.

#include <string>

namespace mrmlvtk {

// The reason in a VTK message, its lines joined into one sentence ("ERROR: In
// /build/vtkX.cxx, line 12\nvtkX (0x55d0): Cannot do it\n\n" gives "Cannot do it").
std::string plainMessage(std::string text);

} // namespace mrmlvtk
