#pragma once

#include <cstdint>

namespace Vexil {

// What this process may still take of its address space, for checks made before work that
// would not survive running out of it half-way.
struct AddressSpace
{
    // The cap on the address space, in bytes; 0 when there is none.
    static std::uint64_t cap();
    // The address space the process has taken, in bytes (0 when it cannot be read).
    static std::uint64_t used();
    // What the cap leaves beyond what is taken: 0 when it is all taken.  Only meaningful
    // when cap() is not 0.
    static std::uint64_t left();
    // The processors this process may run on (its affinity mask, as `taskset` sets it):
    // thread pools that start one thread per processor start this many.
    static unsigned usableProcessors();
    // The stack a new thread gets unless told otherwise.
    static std::uint64_t defaultThreadStack();
    // Bytes as whole MiB, for messages.
    static std::uint64_t mib(std::uint64_t bytes) { return bytes >> 20; }
};

} // namespace Vexil
