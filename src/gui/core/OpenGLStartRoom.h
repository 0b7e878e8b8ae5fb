#pragma once
// The address space the OpenGL driver needs to start, which the start-up checks before it
// creates its first context.

#include <cstdint>

namespace Gui {

// The software renderer's drawing threads, counted as it counts them: one per processor
// this process may run on (`processors`), none on one; or as many as `asked`
// (LP_NUM_THREADS, null when unset) says, read as a C number ("0x10" is 16, "010" is 8,
// blanks before it and anything after its digits are passed over, a value with no number
// in front keeps the count per processor) and taken as an unsigned 32-bit count ("-1" is
// the most); at most 32.  More threads than processors each take their room all the same.
std::uint64_t drawingThreads(const char* asked, unsigned processors);

// The room, in bytes, for the driver with `threads` drawing threads; for a start that draws
// its window (`drawing`: shown, or drawn for a screenshot) also for the picture's own
// buffers on a screen of `screenPixels` device pixels.  `threadStack` is the stack each
// new thread gets (the process's stack limit); the room was measured with stacks of 8 MiB.
std::uint64_t openGLStartRoom(bool drawing, std::uint64_t screenPixels, std::uint64_t threads,
                              std::uint64_t threadStack = std::uint64_t(8) << 20);

} // namespace Gui
