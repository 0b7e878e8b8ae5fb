#include "HostOptions.h"

#include <cstring>

namespace Host {

Options parseOptions(int argc, char** argv)
{
    Options o;
    for (int i = 0; i < argc; ++i) {
        const char* arg = argv[i];
        if (i > 0 && std::strcmp(arg, "--hidden") == 0) {
            o.hidden = true;
        }
        else if (i > 0 && (std::strcmp(arg, "--screenshot") == 0 || std::strcmp(arg, "--log") == 0)) {
            // An empty name would be accepted here and fail only at the end (or never).
            if (i + 1 >= argc || !argv[i + 1][0]) {
                o.error = std::string(arg) + " needs a file name";
                break;
            }
            (std::strcmp(arg, "--log") == 0 ? o.logFile : o.screenshotFile) = argv[++i];
        }
        else {
            o.arguments.push_back(argv[i]);
        }
    }
    o.arguments.push_back(nullptr);   // argv is null-terminated
    return o;
}

std::map<std::string, std::string> configuration(const Options& options)
{
    std::map<std::string, std::string> config = {
        {"Application", "Pelmora"},
        {"ExeName", "pelmora"},
        {"ExeVendor", "Pelmora"},
        {"ExeVersion", "2.1"},
        {"BuildVersionMajor", "2"},
        {"BuildVersionMinor", "1"},
        {"StartWorkbench", "FemWorkbench"},
        {"RunMode", "Gui"},
        {"AppIcon", "pelmora"},
        {"SplashScreen", "pelmora_splash"},
    };
    if (options.hidden)
        config["StartHidden"] = "1";
    return config;
}

} // namespace Host
