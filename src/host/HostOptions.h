#pragma once

#include <map>
#include <string>
#include <vector>

namespace Host {

struct Options
{
    bool hidden = false;
    std::string screenshotFile;
    std::string logFile;
    std::string error;
    // What remains for the application logic, argv style: the last entry is null.
    std::vector<char*> arguments;
};

// Takes the host's own options off the command line.
Options parseOptions(int argc, char** argv);
// The configuration map handed to the application logic.
std::map<std::string, std::string> configuration(const Options& options);

} // namespace Host
