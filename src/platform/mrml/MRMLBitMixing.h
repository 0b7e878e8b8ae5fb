#pragma once
// The model readers' tables hash with the process's seeded mixer (see counted/SeededHash.h).

#include <counted/SeededHash.h>

namespace mrmlmodelfile {

using Counted::hashSeed;
using Counted::mixBits;

} // namespace mrmlmodelfile
