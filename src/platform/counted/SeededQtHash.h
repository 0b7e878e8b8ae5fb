#pragma once
// The seeded hash for Qt's texts, for tables keyed by what a file, a paste or a message
// holds.  Qt 5's own qHash of a text takes a seed, but two texts of one length that
// collide under one seed collide under every seed: such tables use std's containers with
// this hash instead of QHash and QSet.

#include "SeededHash.h"

#include <QByteArray>
#include <QString>

namespace Counted {

template <>
struct SeededHash<QString>
{
    std::size_t operator()(const QString& key) const
    {
        return static_cast<std::size_t>(seededHash(std::string_view(reinterpret_cast<const char*>(key.constData()),
                                                                    sizeof(QChar) * static_cast<std::size_t>(key.size()))));
    }
};

template <>
struct SeededHash<QByteArray>
{
    std::size_t operator()(const QByteArray& key) const
    {
        return static_cast<std::size_t>(seededHash(std::string_view(key.constData(), static_cast<std::size_t>(key.size()))));
    }
};

} // namespace Counted
