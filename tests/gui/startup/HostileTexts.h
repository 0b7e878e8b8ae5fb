#pragma once
// Texts that someone else chose (names in a project file, file names in a shared folder,
// lines of a colour file), each with what a message shows of it.  Put between "x" and "y"
// where they are used, so that what stands next to them is checked too.

#include <QByteArray>

namespace PelmoraTest {

struct HostileText
{
    const char* what;
    QByteArray raw;
    QByteArray shown;
};

inline const HostileText hostileTexts[] = {
    {"escape and colour", "\x1b[31m", "\\x1b[31m"},
    {"window title (OSC) ended by a bell", "\x1b]0;T\x07", "\\x1b]0;T\\x07"},
    {"bell", "\x07", "\\x07"},
    {"line feed forging a line", "\npelmora: forged", "\\npelmora: forged"},
    {"U+202E right-to-left override", "\xe2\x80\xae", "\\xe2\\x80\\xae"},
    {"U+2066 left-to-right isolate", "\xe2\x81\xa6", "\\xe2\\x81\\xa6"},
    {"U+200B zero-width space", "\xe2\x80\x8b", "\\xe2\\x80\\x8b"},
    {"U+FEFF byte-order mark", "\xef\xbb\xbf", "\\xef\\xbb\\xbf"},
    {"U+2028 line separator", "\xe2\x80\xa8", "\\xe2\\x80\\xa8"},
    {"U+FDD0 U+FDD1 noncharacters (a text view's frame marks)", "\xef\xb7\x90\xef\xb7\x91",
     "\\xef\\xb7\\x90\\xef\\xb7\\x91"},
    {"U+FFFE noncharacter", "\xef\xbf\xbe", "\\xef\\xbf\\xbe"},
    {"letters of several scripts", "W\xc3\xbcrfel \xce\xbc\xce\xbf \xd7\x9e\xd7\x95 \xd9\x86\xd9\x85 \xe6\xa8\xa1\xe5\x9e\x8b",
     "W\xc3\xbcrfel \xce\xbc\xce\xbf \xd7\x9e\xd7\x95 \xd9\x86\xd9\x85 \xe6\xa8\xa1\xe5\x9e\x8b"},
};

} // namespace PelmoraTest
