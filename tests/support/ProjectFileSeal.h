#pragma once
// A project file ends with a line that holds the CRC-32 of every byte before it.  Tests
// that write a file by hand seal it the same way, so that only what they mean to break is
// broken.

#include <QByteArray>

namespace PelmoraTest {

inline quint32 projectFileChecksum(const QByteArray& bytes)
{
    quint32 c = 0xFFFFFFFFu;
    for (const char b : bytes) {
        c ^= static_cast<unsigned char>(b);
        for (int k = 0; k < 8; ++k)
            c = (c & 1u) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    }
    return c ^ 0xFFFFFFFFu;
}

// `body` followed by its closing checksum line.
inline QByteArray sealedProjectFile(const QByteArray& body)
{
    return body + "end\t" + QByteArray::number(projectFileChecksum(body), 16).toUpper().rightJustified(8, '0')
        + "\n";
}

} // namespace PelmoraTest
