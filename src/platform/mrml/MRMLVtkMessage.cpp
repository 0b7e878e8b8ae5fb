#include "MRMLVtkMessage.h"

#include <cctype>
#include <cstring>

namespace mrmlvtk {

std::string plainMessage(std::string text)
{
    for (const char* kind : {"ERROR: ", "Warning: ", "Generic Warning: ", "Debug: "})
        if (text.rfind(kind, 0) == 0) {
            text.erase(0, std::strlen(kind));
            break;
        }
    const size_t lineEnd = text.find('\n');
    if (text.rfind("In ", 0) == 0 && lineEnd != std::string::npos && text.rfind(", line ", lineEnd) != std::string::npos)
        text.erase(0, lineEnd + 1);
    size_t name = 0;
    while (name < text.size() && (std::isalnum(static_cast<unsigned char>(text[name])) || text[name] == '_'))
        ++name;
    const size_t close = text.find("): ");
    if (name > 0 && text.compare(name, 2, " (") == 0 && close != std::string::npos && close < text.find('\n'))
        text.erase(0, close + 3);
    std::string out;
    for (const char c : text) {
        const bool blank = std::isspace(static_cast<unsigned char>(c));
        if (blank && (out.empty() || out.back() == ' '))
            continue;
        out += blank ? ' ' : c;
    }
    while (!out.empty() && out.back() == ' ')
        out.pop_back();
    return out;
}

} // namespace mrmlvtk
