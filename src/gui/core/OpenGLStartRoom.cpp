#include "OpenGLStartRoom.h"

#include <algorithm>
#include <cstdlib>

namespace Gui {

std::uint64_t drawingThreads(const char* asked, unsigned processors)
{
    unsigned threads = processors > 1 ? processors : 0;
    if (asked) {
        char* end = nullptr;
        const long count = std::strtol(asked, &end, 0);
        if (end != asked)
            threads = static_cast<unsigned>(count);
    }
    return std::min(threads, 32u);
}

// What the driver takes from its first context on: its code and shader compiler, its
// threads' stacks, a second heap when two threads allocate at once (64 MiB whether used or
// not, so whether a start needs it turns on how its threads meet), and for a start that
// shows the window, the first frame (its buffers, the shaders compiled for them, the
// drawing threads at work).  Measured with Mesa's software renderer under Xvfb on a busy
// machine, ten starts a cap, as the least cap under which every start ran, less what the
// process held when it checked: a hidden start took 264 MiB with 2 threads (it crashed now
// and then up to 244), 304 to 344 with 8 and 384 with 32; a start that drew its window
// 222, 267 and 312 MiB with 1, 2 and 8 threads (359 with 8 on two processors).  Below
// those the driver crashed or aborted; the room below leaves a margin above each.
//
// A start that draws the window also holds the picture's own buffers, in proportion to the
// window's size, which the screen bounds: the view's frame and depth buffers, the window's
// backing store, the copy a screenshot grabs.  Measured as above on two processors with 8
// drawing threads: the least cap rose by up to 70 MiB from a screen of 1280x1024 to one of
// 2560x1600 (starts let through on the larger screen aborted in the driver).
std::uint64_t openGLStartRoom(bool drawing, std::uint64_t screenPixels, std::uint64_t threads, std::uint64_t threadStack)
{
    // Without threads of its own the renderer draws on the caller's: room as for one.
    threads = std::max<std::uint64_t>(threads, 1);
    const std::uint64_t mib = std::uint64_t(1) << 20;
    // A stack larger than the measured one counts in full for each drawing thread and for
    // the driver's shader cache thread; under such a stack a thread that cannot start
    // leaves the driver waiting for it for ever.
    const std::uint64_t measuredStack = 8 * mib;
    const std::uint64_t moreStacks = threadStack > measuredStack ? (threads + 1) * (threadStack - measuredStack) : 0;
    const std::uint64_t start = (256 + 14 * threads) * mib + moreStacks;
    return drawing ? std::max(start, (225 + 15 * threads) * mib + 28 * screenPixels + moreStacks) : start;
}

} // namespace Gui
