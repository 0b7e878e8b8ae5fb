#pragma once
// Settings files in the INI layout that QSettings reads, saved through
// saveFileAtomically.  QSettings' own writing reports no error when the disk is full and
// then puts an empty file in place of the old one; settings are written here instead.

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QVariant>

#include <string>

namespace Vexil {

enum class IniReadStatus {
    Ok,            // read whole, or there is no file yet
    FormatError,   // read, but some lines could not be and were skipped
    NotReadable    // exists but is no regular file or cannot be opened: nothing read
};

// Reads every entry of the INI file (keys as QSettings names them, "group/key").
IniReadStatus readIniFile(const QString& fileName, QVariantMap& values);

// The content of an INI file that QSettings reads back as `values`.
QByteArray iniFileContent(const QVariantMap& values);

// Saves `values` as the INI file `fileName`; false with the reason in `error`.
bool saveIniFile(const QString& fileName, const QVariantMap& values, std::string& error);

} // namespace Vexil
