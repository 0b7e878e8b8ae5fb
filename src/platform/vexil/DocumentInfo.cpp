#include "DocumentInfo.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <algorithm>
#include <cctype>

namespace Vexil {

namespace {
QString qpath(const std::string& p)
{
    return QString::fromUtf8(p.c_str());
}

std::string lowerAscii(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}
} // namespace

DocumentInfo::DocumentInfo(const char* p)
{
    set_document(p ? std::string(p) : std::string());
}

DocumentInfo::DocumentInfo(const std::string& p)
{
    set_document(p);
}

void DocumentInfo::set_document(const std::string& p)
{
    path = p;
    std::replace(path.begin(), path.end(), '\\', '/');
}

std::string DocumentInfo::document_name() const
{
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string DocumentInfo::document_name_pure() const
{
    const std::string name = document_name();
    const auto dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

std::string DocumentInfo::dir_path() const
{
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return std::string();
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

std::string DocumentInfo::extension(bool lower) const
{
    const std::string name = document_name();
    const auto dot = name.rfind('.');
    if (dot == std::string::npos)
        return std::string();
    const std::string ext = name.substr(dot + 1);
    return lower ? lowerAscii(ext) : ext;
}

bool DocumentInfo::has_extension(const char* ext) const
{
    if (!ext)
        return false;
    if (*ext == '.')
        ++ext;
    return extension(true) == lowerAscii(ext);
}

bool DocumentInfo::exists() const
{
    return !path.empty() && QFileInfo::exists(qpath(path));
}

bool DocumentInfo::is_file() const
{
    return !path.empty() && QFileInfo(qpath(path)).isFile();
}

bool DocumentInfo::is_dir() const
{
    return !path.empty() && QFileInfo(qpath(path)).isDir();
}

bool DocumentInfo::is_readable() const
{
    return !path.empty() && QFileInfo(qpath(path)).isReadable();
}

bool DocumentInfo::is_writable() const
{
    return !path.empty() && QFileInfo(qpath(path)).isWritable();
}

bool DocumentInfo::removeDocument()
{
    if (is_dir())
        return QDir().rmdir(qpath(path));
    return !path.empty() && QFile::remove(qpath(path));
}

bool DocumentInfo::renameDocument(const char* newName)
{
    if (!newName || !*newName || path.empty())
        return false;
    DocumentInfo target(newName);
    if (!QFile::rename(qpath(path), qpath(target.path)))
        return false;
    path = target.path;
    return true;
}

std::string DocumentInfo::getTempFileName(const char* prefix, const char* dir)
{
    const QString folder = (dir && *dir) ? QString::fromUtf8(dir) : QDir::tempPath();
    const QString stem = (prefix && *prefix) ? QString::fromUtf8(prefix) : QStringLiteral("pelmora");
    QString name;
    {
        // Created and removed again: the name is unique at this moment and free for the caller.
        QTemporaryFile file(QDir(folder).filePath(stem + QStringLiteral("XXXXXX")));
        if (file.open())
            name = file.fileName();
    }
    if (name.isEmpty())
        name = QDir(folder).filePath(stem);
    return DocumentInfo(name.toStdString()).document_path();
}

std::string DocumentInfo::getTempPath()
{
    std::string p = QDir::tempPath().toStdString();
    if (p.empty() || p.back() != '/')
        p += '/';
    return p;
}

} // namespace Vexil
