#pragma once
// What the workspace driver prints: one "key=value" line per figure.

#include <QString>
#include <QStringList>

inline QString driverValue(const QString& out, const QString& key)
{
    for (const QString& line : out.split(QLatin1Char('\n')))
        if (line.startsWith(key + QLatin1Char('=')))
            return line.mid(key.size() + 1);
    return QStringLiteral("<missing>");
}
