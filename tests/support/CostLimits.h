#pragma once
// Time and memory limits in tests measure what this program costs.  In a build instrumented by
// the address and undefined-behaviour sanitizers (scripts/sanitize.sh) every step is
// several times slower and allocates far more, so such limits say nothing there: the tests
// whose point is such a limit skip, and others leave out those checks.

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
#define PELMORA_SKIP_COST_LIMITS_WHEN_INSTRUMENTED()                                        \
    do {                                                                                    \
        if (PelmoraTest::instrumentedBuild)                                                 \
            GTEST_SKIP() << "time and memory limits mean nothing in a sanitizer build";               \
    } while (0)
