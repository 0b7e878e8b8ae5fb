#include "ColorFileText.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QString>

#include <algorithm>
#include <cctype>

namespace mrmlcolor {

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

bool readLines(const std::string& fileName, size_t maxBytes, std::vector<std::string>& lines,
               std::string& error)
{
    QFile file(QString::fromStdString(fileName));
    if (!file.open(QIODevice::ReadOnly)) {
        error = "cannot open \"" + fileName + "\"";
        return false;
    }
    if (static_cast<size_t>(file.size()) > maxBytes) {
        error = "\"" + fileName + "\" is too large for a colour file";
        return false;
    }
    const QByteArray data = file.readAll();
    lines.clear();
    std::string line;
    for (char c : data) {
        if (c == '\n') {
            lines.push_back(line);
            line.clear();
        } else if (c != '\r') {
            line.push_back(c);
        }
    }
    if (!line.empty())
        lines.push_back(line);
    return true;
}

} // namespace mrmlcolor
