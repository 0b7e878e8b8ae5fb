#include "Stream.h"

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
    // The get area covers what is left of the array; readPos remembers where it ended, so
    // that bytes appended meanwhile are read afterwards.
    if (gptr() && gptr() < egptr())
        return traits_type::to_int_type(*gptr());
    if (readPos >= array.size())
        return traits_type::eof();
    char* begin = const_cast<char*>(array.constData());
    setg(begin + readPos, begin + readPos, begin + array.size());
    readPos = array.size();
    return traits_type::to_int_type(*gptr());
}

} // namespace Vexil
