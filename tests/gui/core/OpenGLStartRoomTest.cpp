// The room the start-up asks of the address space before the OpenGL driver starts: it grows
// with every drawing thread the renderer is told to run, beyond the processors too, and for
// a start that draws its window (shown, or drawn for a screenshot) with the picture's own
// buffers, which the screen's size bounds.

#include <core/OpenGLStartRoom.h>

#include <HostOptions.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr std::uint64_t MiB = std::uint64_t(1) << 20;

// Whether a start with `arguments` draws its window, as the start-up decides it from the
// configuration the host hands over.
bool drawsItsWindow(std::vector<std::string> arguments)
{
    arguments.insert(arguments.begin(), "pelmora");
    std::vector<char*> argv;
    for (std::string& a : arguments)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    const Host::Options options = Host::parseOptions(int(arguments.size()), argv.data());
    return Host::configuration(options).count("StartHidden") == 0;
}

} // namespace

TEST(OpenGLStartRoom, GrowsWithTheThreadsBeyondTheProcessorsAndWithThePicturesBuffers)
{
    struct Way
    {
        const char* name;
        std::vector<std::string> arguments;
        bool draws;
    };
    const Way ways[] = {{"a start with its window", {}, true},
                        {"--hidden", {"--hidden"}, false},
                        {"--screenshot", {"--screenshot", "shot.png"}, true}};
    const char* const threadCounts[] = {nullptr, "8", "16"};   // LP_NUM_THREADS, unset first
    const unsigned processorCounts[] = {1, 2};
    struct Screen
    {
        std::uint64_t width, height;
    };
    const Screen small{1280, 1024};
    const Screen screens[] = {small, {2560, 1600}};

    for (const Way& way : ways)
        for (const unsigned processors : processorCounts)
            for (const char* asked : threadCounts)
                for (const Screen& screen : screens) {
                    SCOPED_TRACE(std::string(way.name) + ", LP_NUM_THREADS=" + (asked ? asked : "(unset)") + " on " +
                                 std::to_string(processors) + " processors, screen " + std::to_string(screen.width) +
                                 "x" + std::to_string(screen.height));
                    ASSERT_EQ(drawsItsWindow(way.arguments), way.draws);
                    const std::uint64_t pixels = screen.width * screen.height;
                    const std::uint64_t perProcessor = Gui::drawingThreads(nullptr, processors);
                    const std::uint64_t threads = Gui::drawingThreads(asked, processors);
                    // Every thread asked for runs, whatever the processors.
                    EXPECT_EQ(threads, asked ? std::uint64_t(std::atoi(asked)) : perProcessor);
                    const std::uint64_t room = Gui::openGLStartRoom(way.draws, pixels, threads);

                    // Each thread beyond those per processor takes room of its own (a
                    // stack, its share of the frame): 14 MiB at the least.
                    const std::uint64_t fewer = Gui::openGLStartRoom(way.draws, pixels, perProcessor);
                    const std::uint64_t beyond = threads - std::max<std::uint64_t>(perProcessor, 1);
                    EXPECT_GE(room, fewer + beyond * 14 * MiB);

                    // The picture's buffers: 28 bytes a pixel of the screen for a start that
                    // draws, nothing for a hidden one.
                    const std::uint64_t onSmall = Gui::openGLStartRoom(way.draws, small.width * small.height, threads);
                    if (way.draws) {
                        EXPECT_GE(room, onSmall + 28 * (pixels - small.width * small.height));
                    } else {
                        EXPECT_EQ(room, onSmall);
                    }
                    EXPECT_GE(Gui::openGLStartRoom(true, pixels, threads), Gui::openGLStartRoom(false, 0, threads));

                    // Above the least room measured for 8 threads on two processors: 344 MiB
                    // hidden, 359 drawing the window on the small screen.
                    if (asked && std::string(asked) == "8") {
                        EXPECT_GE(room, (way.draws ? 359 : 344) * MiB);
                    }

                    // Under a larger stack limit each drawing thread, and the driver's
                    // shader cache thread, takes the whole of it.
                    const std::uint64_t stack = 256 * MiB;
                    EXPECT_GE(Gui::openGLStartRoom(way.draws, pixels, threads, stack),
                              room + (std::max<std::uint64_t>(threads, 1) + 1) * (stack - 8 * MiB));
                }
}
