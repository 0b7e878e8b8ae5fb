#include "ColorFileText.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QString>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace mrmlcolor {

namespace {

std::string sizeText(size_t bytes)
{
    if (bytes % (1u << 20) == 0)
        return std::to_string(bytes >> 20) + " MiB";
    return std::to_string(bytes) + " bytes";
}

} // namespace

std::string extensionOf(const char* fileName)
{
    if (!fileName)
        return {};
    const QString suffix = QFileInfo(QString::fromUtf8(fileName)).suffix().toLower();
    return suffix.isEmpty() ? std::string() : "." + suffix.toStdString();
}

bool hasExtension(const char* fileName, std::initializer_list<const char*> extensions)
{
    const std::string ext = extensionOf(fileName);
    return !ext.empty()
        && std::any_of(extensions.begin(), extensions.end(), [&](const char* e) { return ext == e; });
}

bool readLines(const std::string& fileName, size_t maxBytes, size_t maxLines, std::vector<Line>& lines,
               std::string& error)
{
    // Only a regular file: a named pipe would wait for a writer, a device never ends.
    // Opened by the bytes of its name, which need not be UTF-8.
    const int fd = ::open(fileName.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = std::string("it cannot be opened: ") + std::strerror(errno);
        return false;
    }
    struct stat info;
    QFile file;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        error = "it is not a regular file";
        return false;
    }
    if (static_cast<size_t>(file.size()) > maxBytes) {
        error = "it is larger than " + sizeText(maxBytes) + ", more than a colour file holds";
        return false;
    }
    const QByteArray data = file.readAll();
    lines.clear();
    // Blank lines and comments are skipped as they are read: a file of line ends alone
    // costs nothing per line.
    size_t number = 0;
    int start = 0;
    while (start < data.size()) {
        int end = data.indexOf('\n', start);
        if (end < 0)
            end = data.size();
        ++number;
        std::string text(data.constData() + start, static_cast<size_t>(end - start));
        start = end + 1;
        text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
        const size_t first = text.find_first_not_of(" \t");
        if (first == std::string::npos || text[first] == '#')
            continue;
        if (lines.size() == maxLines) {
            error = "it holds more than " + std::to_string(maxLines) + " lines of colours";
            lines.clear();
            return false;
        }
        lines.push_back({number, std::move(text)});
    }
    return true;
}

} // namespace mrmlcolor
