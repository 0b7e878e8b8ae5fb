#include "IniFile.h"

#include "AtomicSave.h"

#include <QDataStream>
#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QSettings>

#include <chrono>
#include <filesystem>

namespace Vexil {

namespace {

const char hexDigits[] = "0123456789ABCDEF";

bool isPlainKeyChar(ushort ch)
{
    return (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9') || ch == '_'
           || ch == '-' || ch == '.';
}

// Section and key names: '/' becomes '\', anything but letters, digits and "_-." becomes
// %XX or %UXXXX.
void appendKey(QByteArray& out, const QString& key)
{
    for (const QChar c : key) {
        const ushort ch = c.unicode();
        if (ch == '/') {
            out += '\\';
        } else if (isPlainKeyChar(ch)) {
            out += char(ch);
        } else if (ch <= 0xFF) {
            out += '%';
            out += hexDigits[ch >> 4];
            out += hexDigits[ch & 15];
        } else {
            out += "%U";
            for (int shift = 12; shift >= 0; shift -= 4)
                out += hexDigits[(ch >> shift) & 15];
        }
    }
}

bool isHexDigit(ushort ch)
{
    return (ch >= '0' && ch <= '9') || (ch >= 'a' && ch <= 'f') || (ch >= 'A' && ch <= 'F');
}

// A value's text: control and non-ASCII characters as \x escapes (the reader takes as
// many hex digits as follow, so a hex digit right after one is escaped too), and quotes
// round a text that holds a separator or starts or ends with a blank.
void appendValueText(QByteArray& out, const QString& text)
{
    const int start = out.size();
    bool needsQuotes = false;
    bool escapeNextHexDigit = false;
    for (const QChar c : text) {
        const ushort ch = c.unicode();
        if (ch == ';' || ch == ',' || ch == '=')
            needsQuotes = true;
        if (escapeNextHexDigit && isHexDigit(ch)) {
            out += "\\x" + QByteArray::number(ch, 16);
            continue;
        }
        escapeNextHexDigit = false;
        switch (ch) {
        case '\0': out += "\\0"; escapeNextHexDigit = true; break;
        case '\a': out += "\\a"; break;
        case '\b': out += "\\b"; break;
        case '\f': out += "\\f"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        case '\v': out += "\\v"; break;
        case '"':
        case '\\':
            out += '\\';
            out += char(ch);
            break;
        default:
            if (ch <= 0x1F || ch >= 0x7F) {
                out += "\\x" + QByteArray::number(ch, 16);
                escapeNextHexDigit = true;
            } else {
                out += char(ch);
            }
        }
    }
    if (needsQuotes || (out.size() > start && (out.at(start) == ' ' || out.back() == ' '))) {
        out.insert(start, '"');
        out += '"';
    }
}

// Every byte, zeros included, as one character.
QString latin1(const QByteArray& bytes)
{
    return QString::fromLatin1(bytes.constData(), bytes.size());
}

QString valueText(const QVariant& value)
{
    if (!value.isValid())
        return QStringLiteral("@Invalid()");
    switch (value.userType()) {
    case QMetaType::QString: {
        const QString s = value.toString();
        return s.startsWith(QLatin1Char('@')) ? QLatin1Char('@') + s : s;
    }
    case QMetaType::QByteArray:
        return QStringLiteral("@ByteArray(") + latin1(value.toByteArray()) + QLatin1Char(')');
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return value.toString();
    case QMetaType::Double:
        return QString::number(value.toDouble(), 'g', 17);
    default: {
        QByteArray bytes;
        QDataStream stream(&bytes, QIODevice::WriteOnly);
        stream.setVersion(QDataStream::Qt_4_0);
        stream << value;
        return QStringLiteral("@Variant(") + latin1(bytes) + QLatin1Char(')');
    }
    }
}

} // namespace

IniReadStatus readIniFile(const QString& fileName, QVariantMap& values)
{
    values.clear();
    const QFileInfo info(fileName);
    if (!info.exists())
        return IniReadStatus::Ok;
    // A named pipe would block the reader for good, and a folder reads as nothing.
    if (!info.isFile() || !info.isReadable())
        return IniReadStatus::NotReadable;
    // Only read: this object is never written, so it never writes the file.
    const QSettings settings(fileName, QSettings::IniFormat);
    for (const QString& key : settings.allKeys())
        values.insert(key, settings.value(key));
    return settings.status() == QSettings::FormatError ? IniReadStatus::FormatError : IniReadStatus::Ok;
}

QByteArray iniFileContent(const QVariantMap& values)
{
    // Entries without a group go to [General]; a group really named so is marked with %.
    QMap<QString, QByteArray> sections;
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        const int slash = it.key().indexOf(QLatin1Char('/'));
        QByteArray& lines = sections[slash < 0 ? QString() : it.key().left(slash)];
        appendKey(lines, slash < 0 ? it.key() : it.key().mid(slash + 1));
        lines += '=';
        appendValueText(lines, valueText(it.value()));
        lines += '\n';
    }
    QByteArray out;
    for (auto it = sections.cbegin(); it != sections.cend(); ++it) {
        if (!out.isEmpty())
            out += '\n';
        if (it.key().isEmpty())
            out += "[General]";
        else if (it.key().compare(QLatin1String("general"), Qt::CaseInsensitive) == 0)
            out += "[%" + it.key().toLatin1() + ']';
        else {
            out += '[';
            appendKey(out, it.key());
            out += ']';
        }
        out += '\n';
        out += it.value();
    }
    return out;
}

bool saveIniFile(const QString& fileName, const QVariantMap& values, std::string& error)
{
    namespace fs = std::filesystem;
    using std::chrono::milliseconds;
    const QByteArray content = iniFileContent(values);
    const fs::path path(QFile::encodeName(fileName).toStdString());
    std::error_code ec;
    const auto before = fs::last_write_time(path, ec);
    const bool existed = !ec;
    if (!saveFileAtomically(path.string(), std::string_view(content.constData(), static_cast<size_t>(content.size())),
                            error))
        return false;
    // QSettings keeps files it has read, and reads one again only when its size or its
    // time to the millisecond changed: a file saved twice within a millisecond would read
    // as the older one.
    const auto after = fs::last_write_time(path, ec);
    if (existed && !ec && std::chrono::floor<milliseconds>(after) <= std::chrono::floor<milliseconds>(before))
        fs::last_write_time(path, std::chrono::floor<milliseconds>(before) + milliseconds(1), ec);
    return true;
}

} // namespace Vexil
