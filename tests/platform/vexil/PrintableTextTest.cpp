// The one escaping of texts from outside: whatever a text holds, what is printed is one
// line that reads in the order it is written, and letters of every script are kept.

#include <vexil/PrintableText.h>

#include <QChar>
#include <QString>

#include <gtest/gtest.h>

#include <string>

namespace {

// Every code point of `text`, when it is well-formed UTF-8: none may be a control, format
// or separator character other than the blank.
bool onlyVisible(const std::string& text)
{
    const QString decoded = QString::fromUtf8(text.data(), static_cast<int>(text.size()));
    if (decoded.toUtf8().toStdString() != text)
        return false;
    for (const uint c : decoded.toUcs4()) {
        switch (QChar::category(c)) {
        case QChar::Other_Control:
        case QChar::Other_Format:
        case QChar::Separator_Line:
        case QChar::Separator_Paragraph:
            return false;
        default:
            break;
        }
    }
    return true;
}

// The UTF-8 form of one code point.
std::string utf8(uint c)
{
    std::string out;
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
    return out;
}

} // namespace

// Every kind of character that changes how a line reads, alone and inside a text, is
// written as the escapes of its bytes.
TEST(PrintableText, WhatActsOnALineIsEscapedByteByByte)
{
    const struct
    {
        const char* what;
        std::string raw;
        std::string shown;
    } cases[] = {
        {"escape and colour", "\x1b[31m", "\\x1b[31m"},
        {"window title (OSC) and bell", "\x1b]0;owned\x07", "\\x1b]0;owned\\x07"},
        {"line feed forging a line", "a\npelmora: forged", "a\\npelmora: forged"},
        {"carriage return", "a\rb", "a\\rb"},
        {"tab", "a\tb", "a\\tb"},
        {"DEL", "\x7f", "\\x7f"},
        {"C1 control in UTF-8", "\xc2\x9b", "\\xc2\\x9b"},
        {"not UTF-8", "\xff\xfe", "\\xff\\xfe"},
        {"a cut-off sequence", "\xe2\x80", "\\xe2\\x80"},
        {"U+202A left-to-right embedding", "\xe2\x80\xaa", "\\xe2\\x80\\xaa"},
        {"U+202E right-to-left override", "abc\xe2\x80\xae" "fed", "abc\\xe2\\x80\\xae" "fed"},
        {"U+202C pop directional formatting", "\xe2\x80\xac", "\\xe2\\x80\\xac"},
        {"U+2066 left-to-right isolate", "\xe2\x81\xa6", "\\xe2\\x81\\xa6"},
        {"U+2067 right-to-left isolate", "\xe2\x81\xa7", "\\xe2\\x81\\xa7"},
        {"U+2069 pop directional isolate", "\xe2\x81\xa9", "\\xe2\\x81\\xa9"},
        {"U+200E left-to-right mark", "\xe2\x80\x8e", "\\xe2\\x80\\x8e"},
        {"U+200F right-to-left mark", "\xe2\x80\x8f", "\\xe2\\x80\\x8f"},
        {"U+061C Arabic letter mark", "\xd8\x9c", "\\xd8\\x9c"},
        {"U+200B zero-width space", "a\xe2\x80\x8b" "b", "a\\xe2\\x80\\x8b" "b"},
        {"U+200C zero-width non-joiner", "\xe2\x80\x8c", "\\xe2\\x80\\x8c"},
        {"U+200D zero-width joiner", "\xe2\x80\x8d", "\\xe2\\x80\\x8d"},
        {"U+2060 word joiner", "\xe2\x81\xa0", "\\xe2\\x81\\xa0"},
        {"U+FEFF byte-order mark", "\xef\xbb\xbf" "x", "\\xef\\xbb\\xbf" "x"},
        {"U+2028 line separator", "a\xe2\x80\xa8" "b", "a\\xe2\\x80\\xa8" "b"},
        {"U+2029 paragraph separator", "\xe2\x80\xa9", "\\xe2\\x80\\xa9"},
        {"U+00AD soft hyphen (format)", "\xc2\xad", "\\xc2\\xad"},
        {"U+FFF9 interlinear annotation anchor", "\xef\xbf\xb9", "\\xef\\xbf\\xb9"},
        {"U+E0001 language tag", "\xf3\xa0\x80\x81", "\\xf3\\xa0\\x80\\x81"},
        {"U+FDD0 noncharacter (a text view's frame mark)", "a\xef\xb7\x90" "b", "a\\xef\\xb7\\x90" "b"},
        {"U+FDEF last noncharacter of its block", "\xef\xb7\xaf", "\\xef\\xb7\\xaf"},
        {"U+FFFE noncharacter", "\xef\xbf\xbe", "\\xef\\xbf\\xbe"},
        {"U+FFFF noncharacter", "\xef\xbf\xbf", "\\xef\\xbf\\xbf"},
        {"U+10FFFF noncharacter", "\xf4\x8f\xbf\xbf", "\\xf4\\x8f\\xbf\\xbf"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string shown = Vexil::printableText(c.raw);
        EXPECT_EQ(shown, c.shown);
        EXPECT_TRUE(onlyVisible(shown)) << shown;
    }
}

// Letters and signs of many scripts, right-to-left ones among them, and the other
// separators and spaces that only make room, pass as they are.
TEST(PrintableText, LettersOfEveryScriptPass)
{
    const char* const texts[] = {
        "Modell W\xc3\xbcrfel \xc3\xa4\xc3\xb6\xc3\x9f",          // German
        "\xd0\x9c\xd0\xbe\xd0\xb4\xd0\xb5\xd0\xbb\xd1\x8c",          // Russian
        "\xce\xbc\xce\xbf\xce\xbd\xcf\x84\xce\xad\xce\xbb\xce\xbf",  // Greek
        "\xe6\xa8\xa1\xe5\x9e\x8b \xe3\x83\xa2\xe3\x83\x87\xe3\x83\xab",  // Chinese, Japanese
        "\xeb\xaa\xa8\xeb\x8d\xb8",                                  // Korean
        "\xd7\x9e\xd7\x95\xd7\x93\xd7\x9c",                          // Hebrew
        "\xd9\x86\xd9\x85\xd9\x88\xd8\xb0\xd8\xac",                  // Arabic
        "\xe0\xa4\xae\xe0\xa5\x89\xe0\xa4\xa1\xe0\xa4\xb2",          // Hindi, with a combining sign
        "\xe0\xb8\x82\xe0\xb9\x89\xe0\xb8\xad",                      // Thai
        "\xf0\x9f\x99\x82 \xe2\x82\xac 5\xc2\xb0" "C \xc2\xa0\xe2\x80\x83",  // emoji, signs, spaces
    };
    for (const char* text : texts) {
        SCOPED_TRACE(text);
        EXPECT_EQ(Vexil::printableText(text), std::string(text));
        EXPECT_TRUE(onlyVisible(Vexil::printableText(text)));
    }
}

// Every code point from U+0000 to U+10FFFF: what passes is exactly what is neither a
// control, nor a format character, nor a line or paragraph separator, nor a noncharacter; everything else is
// escaped, and nothing that is printed holds one.
TEST(PrintableText, EveryCodePointIsKeptOrEscapedByItsCategory)
{
    int kept = 0;
    int escaped = 0;
    for (uint c = 0; c <= 0x10FFFF; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF)
            continue;
        const std::string raw = utf8(c);
        const std::string shown = Vexil::printableText(raw);
        const QChar::Category category = QChar::category(c);
        const bool hidden = category == QChar::Other_Control || category == QChar::Other_Format
                            || category == QChar::Separator_Line || category == QChar::Separator_Paragraph
                            || QChar::isNonCharacter(c);
        if (hidden) {
            ASSERT_NE(shown, raw) << std::hex << c;
            ASSERT_EQ(shown[0], '\\') << std::hex << c;
            ++escaped;
        } else {
            ASSERT_EQ(shown, raw) << std::hex << c;
            ++kept;
        }
        ASSERT_TRUE(onlyVisible(shown)) << std::hex << c;
    }
    // The controls (65), the noncharacters (66), and the format characters and separators
    // of the Unicode data.
    EXPECT_GT(escaped, 65 + 66 + 150);
    EXPECT_GT(kept, 1000000);
}
