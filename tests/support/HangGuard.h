#pragma once
// How long a test waits for something that must happen before it calls the program hung.
// Only a guard: no test decides by how long anything took, so this is far above any
// normal run, also on two loaded cores or under the sanitizers.

namespace PelmoraTest {
constexpr int HangGuardMs = 300000;
}
