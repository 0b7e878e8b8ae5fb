#include "Stream.h"

#include <algorithm>
#include <cstring>

namespace Vexil {

ByteArrayStreamBuffer::ByteArrayStreamBuffer(QByteArray& a) : array(a) {}

ByteArrayStreamBuffer::int_type ByteArrayStreamBuffer::overflow(int_type c)
{
    if (traits_type::eq_int_type(c, traits_type::eof()))
        return traits_type::not_eof(c);
    array.append(traits_type::to_char_type(c));
    return c;
}

std::streamsize ByteArrayStreamBuffer::xsputn(const char* s, std::streamsize n)
{
    if (n <= 0)
        return 0;
    array.append(s, static_cast<int>(n));
    return n;
}

ByteArrayStreamBuffer::int_type ByteArrayStreamBuffer::underflow()
{
    if (gptr() && gptr() < egptr())
        return traits_type::to_int_type(*gptr());
    if (readPos >= array.size())
        return traits_type::eof();
    const int n = std::min(array.size() - readPos, static_cast<int>(sizeof(chunk)));
    std::memcpy(chunk, array.constData() + readPos, static_cast<size_t>(n));
    readPos += n;
    setg(chunk, chunk, chunk + n);
    return traits_type::to_int_type(*gptr());
}

} // namespace Vexil
