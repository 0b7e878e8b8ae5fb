#include <vexil/PercentCoding.h>

#include <QByteArray>

#include <gtest/gtest.h>

namespace {

bool separator(unsigned char c)
{
    return c == '%' || c == ';' || c == ':';
}

} // namespace

TEST(PercentCoding, OnlyReservedBytesAreEscapedAndEverythingReadsBack)
{
    const std::string text = "a;b:c%d Größe\t";
    const std::string encoded = Vexil::percentEncoded(text, separator);
    EXPECT_EQ(encoded, "a%3Bb%3Ac%25d Größe\t");
    EXPECT_EQ(Vexil::percentDecoded(encoded), text);

    // The same bytes land in a QByteArray as in a std::string.
    QByteArray bytes("x=");
    Vexil::percentEncodeTo(bytes, "\x01;\x7f", [](unsigned char c) { return c < 0x20 || c == 0x7f || c == ';'; });
    EXPECT_EQ(bytes, QByteArray("x=%01%3B%7F"));
}

TEST(PercentCoding, StrayPercentIsKeptOrRejectedAsAsked)
{
    EXPECT_EQ(Vexil::percentDecoded("%3a%3A"), "::");
    EXPECT_EQ(Vexil::percentDecoded("100% sure %4"), "100% sure %4");
    EXPECT_EQ(Vexil::percentDecoded("%zz%"), "%zz%");

    std::string out = "kept:";
    EXPECT_TRUE(Vexil::percentDecodeTo(out, "a%20b", Vexil::StrayPercent::Reject));
    EXPECT_EQ(out, "kept:a b");
    for (const char* bad : {"%", "%4", "ab%4", "%G0", "%0g"}) {
        std::string rejected;
        EXPECT_FALSE(Vexil::percentDecodeTo(rejected, bad, Vexil::StrayPercent::Reject)) << bad;
    }
}
