#pragma once
// Runs the library's whole start-up in a driver program, as the host does, and calls a
// hook once the event loop runs.  For tests that need a real start as its own process.

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace PelmoraTest {

// The configuration the host gives, with the server name made from `exeName`.
std::map<std::string, std::string> hostConfiguration(const std::string& exeName);

// Builds the logic from `config` and `args` (args[0] is the program; no null at the end),
// registers the types, runs the start-up and tears everything down.  `onLoop` runs once,
// as the first thing inside the event loop.  Returns 0, the code of a system exit, or 1
// after another failure (written to stderr).
int runApplication(const std::map<std::string, std::string>& config, std::vector<char*> args,
                   std::function<void()> onLoop);

} // namespace PelmoraTest
