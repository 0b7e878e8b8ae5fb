#pragma once
// File streams opened from a DocumentInfo, and streams over a Qt byte array.

#include "DocumentInfo.h"

#include <QBuffer>
#include <QByteArray>

#include <fstream>
#include <istream>
#include <memory>
#include <ostream>
#include <streambuf>

namespace Vexil {

class ofstream : public std::ofstream
{
public:
    ofstream(const DocumentInfo& doc, std::ios_base::openmode mode = std::ios::out | std::ios::trunc)
        : std::ofstream(doc.document_path().c_str(), mode) {}
};

class ifstream : public std::ifstream
{
public:
    ifstream(const DocumentInfo& doc, std::ios_base::openmode mode = std::ios::in)
        : std::ifstream(doc.document_path().c_str(), mode) {}
};

// A stream buffer that appends to, or reads from, a QByteArray it does not own.  Bytes
// appended to the array while it is being read are read afterwards.
class ByteArrayStreamBuffer : public std::streambuf
{
public:
    explicit ByteArrayStreamBuffer(QByteArray& array);
protected:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char* s, std::streamsize n) override;
    int_type underflow() override;
private:
    QByteArray& array;
    int readPos = 0;
    // Reads go through a copy: the array may reallocate when it grows.
    char chunk[4096];
};

class ByteArrayOutputStream : public std::ostream
{
public:
    explicit ByteArrayOutputStream(QByteArray& array) : std::ostream(nullptr), buffer(array) { rdbuf(&buffer); }
private:
    ByteArrayStreamBuffer buffer;
};

class ByteArrayInputStream : public std::istream
{
public:
    explicit ByteArrayInputStream(QByteArray& array) : std::istream(nullptr), buffer(array) { rdbuf(&buffer); }
private:
    ByteArrayStreamBuffer buffer;
};

} // namespace Vexil
