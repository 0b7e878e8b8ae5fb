#pragma once
// Time limits in tests measure how fast this program answers.  In a build instrumented by
// the address and undefined-behaviour sanitizers (scripts/sanitize.sh) every step is
// several times slower, so such limits say nothing there: the tests whose point is a time
// limit skip, and others leave out their timing checks.

#include <gtest/gtest.h>

#if defined(__SANITIZE_ADDRESS__)
#define PELMORA_INSTRUMENTED_BUILD 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define PELMORA_INSTRUMENTED_BUILD 1
#endif
#endif

namespace PelmoraTest {
#ifdef PELMORA_INSTRUMENTED_BUILD
constexpr bool instrumentedBuild = true;
#else
constexpr bool instrumentedBuild = false;
#endif
} // namespace PelmoraTest

// In a test body: skips the test in an instrumented build.
#define PELMORA_SKIP_TIME_LIMITS_WHEN_INSTRUMENTED()                                        \
    do {                                                                                    \
        if (PelmoraTest::instrumentedBuild)                                                 \
            GTEST_SKIP() << "time limits mean nothing in a sanitizer build";                \
    } while (0)
