#include <vexil/DocumentInfo.h>
#include <vexil/Stream.h>
#include <vexil/UtilityBox.h>

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <string>

TEST(DocumentInfo, SplitsPathNameAndExtension)
{
    Vexil::DocumentInfo doc("C:\\Work\\model.Final.PMPZ");
    EXPECT_EQ(doc.document_path(), "C:/Work/model.Final.PMPZ");
    EXPECT_EQ(doc.document_name_pure(), "model.Final");
    EXPECT_EQ(doc.dir_path(), "C:/Work");
    EXPECT_EQ(doc.extension(), "PMPZ");
    EXPECT_EQ(doc.extension(true), "pmpz");
    EXPECT_TRUE(doc.has_extension("pmpz"));
    EXPECT_TRUE(doc.has_extension(".PmPz"));
    EXPECT_FALSE(doc.has_extension("pmp"));

    Vexil::DocumentInfo plain("/tmp/dir.d/README");
    EXPECT_EQ(plain.extension(), "");   // the dot in the folder does not count
    EXPECT_EQ(plain.document_name_pure(), "README");
    EXPECT_FALSE(plain.has_extension("d"));
    EXPECT_EQ(Vexil::DocumentInfo("").extension(), "");
}

TEST(DocumentInfo, FileOperations)
{
    QTemporaryDir dir;
    const std::string path = dir.filePath("a file.txt").toStdString();
    Vexil::DocumentInfo doc(path);
    EXPECT_FALSE(doc.exists());
    {
        Vexil::ofstream out(doc);
        out << "hello";
    }
    EXPECT_TRUE(doc.is_file());
    {
        Vexil::ifstream in(doc);
        std::string word;
        in >> word;
        EXPECT_EQ(word, "hello");
    }
    const std::string renamed = dir.filePath("b.txt").toStdString();
    ASSERT_TRUE(doc.renameDocument(renamed.c_str()));
    EXPECT_EQ(doc.document_path(), renamed);
    EXPECT_TRUE(doc.removeDocument());
    EXPECT_FALSE(doc.exists());
    EXPECT_FALSE(doc.removeDocument());

    const std::string temp1 = Vexil::DocumentInfo::getTempFileName();
    const std::string temp2 = Vexil::DocumentInfo::getTempFileName("pre", dir.path().toUtf8().constData());
    EXPECT_FALSE(Vexil::DocumentInfo(temp1).exists());
    EXPECT_NE(temp2.find("/pre"), std::string::npos);
    EXPECT_EQ(temp2.rfind(dir.path().toStdString(), 0), 0u);
}

TEST(UtilityBox, EscapesQuotesAndBackslashesKeepsUtf8)
{
    EXPECT_EQ(Vexil::UtilityBox::escaped_char_from_utf8("C:\\a'b\"c"), "C:\\\\a\\'b\\\"c");
    EXPECT_EQ(Vexil::UtilityBox::escaped_char_from_utf8("Größe/模型"), "Größe/模型");
    EXPECT_EQ(Vexil::UtilityBox::escaped_char_from_utf8(""), "");
    EXPECT_EQ(Vexil::UtilityBox::escaped_char_from_utf8(nullptr), "");
}

TEST(ByteArrayStreams, WriteAppendsReadIsSequential)
{
    QByteArray data("head:");
    {
        Vexil::ByteArrayOutputStream out(data);
        out << "value " << 42 << ' ' << 2.5;
        out.put('!');
    }
    EXPECT_EQ(data, QByteArray("head:value 42 2.5!"));

    Vexil::ByteArrayInputStream in(data);
    std::string head;
    int n = 0;
    double d = 0;
    char c = 0;
    in >> head >> n >> d;
    in.get(c);
    EXPECT_EQ(head + "|" + std::to_string(n) + "|" + std::to_string(d) + c, "head:value|42|2.500000!");
    EXPECT_FALSE(in.get(c));   // end of the array
}

TEST(ByteArrayStreams, ReadsSeeBytesAppendedAfterTheArrayGrew)
{
    QByteArray source("xy");
    Vexil::ByteArrayInputStream in(source);
    EXPECT_EQ(in.get(), 'x');
    // Growing the array moves its bytes; the next reads must not look at the old block.
    const QByteArray tail(100000, 't');
    source.append(tail);
    // Whatever takes the freed block next holds other bytes.
    QByteArray other(3, 'Z');
    std::string rest(std::istreambuf_iterator<char>(in), {});
    EXPECT_EQ(rest, "y" + tail.toStdString());
    EXPECT_EQ(other.size(), 3);

    // Appended after the end was reached: read on the next attempt.
    in.clear();
    source.append("!");
    EXPECT_EQ(in.get(), '!');
    EXPECT_EQ(in.get(), std::char_traits<char>::eof());
}
