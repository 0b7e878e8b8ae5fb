// The process console's encoding of a line: one valid in only one of UTF-8 and GBK
// decides how the run's later lines valid in both are shown, on either channel; and at the
// edge of what it keeps of a line, one whose encoding fails within its first
// MaxReshownChars characters is shown again whole in the other one, a longer one changes
// only from where it failed (UTF-8 to GBK) or not at all (GBK).  The view, Copy and Save
// give the same text.

#include <dialogs/DlgIPCImp.h>
#include <support/HangGuard.h>

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCodec>

#include <support/ProcessConsoleRun.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

QString repeated(const char* piece, int count)
{
    return QString::fromUtf8(piece).repeated(count);
}

constexpr int Bound = Gui::DlgIPCImp::MaxReshownChars;

// `script`: a shell line that writes the line in one go; `shown`: what the view, Copy and
// Save give of it.
struct Row
{
    std::string name;
    QString script;
    QString shown;
};

std::vector<Row> rows()
{
    const QString gbkLine = QStringLiteral("printf '\\326\\320\\n'; ");
    const QString zhong = QStringLiteral(u"\u4e2d");
    std::vector<Row> table;
    // UTF-8 "\u00e9" is GBK "\u8305": which one shows says how the line's start was taken.
    for (const int before : {Bound, Bound + 1}) {
        const bool whole = before <= Bound;
        table.push_back({"UTF-8 that fails after " + std::to_string(before) + " characters",
                         QStringLiteral("printf '%1\\326\\320\\n'").arg(repeated("\\303\\251", before)),
                         repeated(whole ? u8"\u8305" : u8"\u00e9", before) + zhong + QLatin1Char('\n')});
    }
    // In a GBK run, "\u4e2d x" in UTF-8 starts as valid GBK ("\u6d93") and fails on its
    // third byte.
    for (const int before : {10, Bound + 10}) {
        const bool whole = before <= Bound;
        table.push_back({"after a GBK line, GBK that fails after " + std::to_string(before) + " characters",
                         gbkLine + QStringLiteral("printf '%1\\344\\270\\255 x\\n'").arg(repeated("a", before)),
                         zhong + QLatin1Char('\n') + repeated("a", before)
                             + (whole ? zhong : QStringLiteral(u"\u6d93\ufffd")) + QStringLiteral(" x\n")});
    }
    return table;
}

// Runs `row` in a console, then checks the view's text as copied and as saved.  With
// `steps`, the script's wait for step N ends once the view shows `shownBefore[N - 1]`.
void expectShownCopiedAndSaved(const Row& row, const QString& file, const PelmoraTest::ScriptSteps* steps = nullptr,
                               const std::vector<QString>& shownBefore = {})
{
    SCOPED_TRACE(row.name);
    PelmoraTest::SavingConsole console(QStringLiteral("Solver"), true);
    if (steps) {
        ASSERT_TRUE(console.startRunning(PelmoraTest::shell(), {QStringLiteral("-c"), row.script}));
        for (size_t step = 0; step < shownBefore.size(); ++step)
            EXPECT_TRUE(steps->goOnceShown(console, shownBefore[step], int(step) + 1)) << "step " << step + 1;
        ASSERT_TRUE(QTest::qWaitFor([&] { return PelmoraTest::endReported(console); }, PelmoraTest::HangGuardMs));
    } else {
        ASSERT_TRUE(PelmoraTest::runScript(console, row.script));
    }
    QApplication::clipboard()->clear();
    console.findChild<QPushButton*>(QStringLiteral("pb_copy"))->click();
    const QString copied = QApplication::clipboard()->text();
    console.answer = file;
    console.findChild<QPushButton*>(QStringLiteral("pb_save"))->click();
    QFile saved(file);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    const QString header = QStringLiteral("Arguments: -c ") + row.script + QLatin1Char('\n');
    EXPECT_TRUE(copied.contains(header + row.shown)) << copied.right(row.shown.size() + 40).toStdString();
    const QByteArray bytes = saved.readAll();
    EXPECT_EQ(QString::fromUtf8(bytes.constData(), bytes.size()), copied);
    EXPECT_LE(console.mostLineBytesKept(), 4 * Bound);
    EXPECT_FALSE(console.hasErrors());
}

// A shell line that writes `bytes` as they are.
QString printfOf(const QByteArray& bytes)
{
    QString escaped;
    for (const char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        escaped += c >= 0x20 && c < 0x7F && c != '\'' && c != '\\' && c != '%'
                       ? QString(QLatin1Char(ch))
                       : QStringLiteral("\\%1").arg(c, 3, 8, QLatin1Char('0'));
    }
    return QStringLiteral("printf '%1'").arg(escaped);
}

// Lines of a run, each with the encoding the console is to show it in.
enum class Shown { Utf8, Gbk };
struct EncodedLine
{
    QByteArray bytes;
    Shown as;
};

QByteArray gbk(const char16_t* text)
{
    return QTextCodec::codecForName("GBK")->fromUnicode(QString::fromUtf16(text));
}

// Where the console saves, and a program that waits until the console has read what was
// written before it.
class ProcessConsoleLineEncoding : public ::testing::Test
{
protected:
    void SetUp() override
    {
        drained = PelmoraTest::buildDrainedProgram(dir.path());
        ASSERT_FALSE(drained.isEmpty()) << "the drained program could not be built with cc";
    }
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("saved.log"));
    QString drained;
    QTextCodec* const gbkCodec = QTextCodec::codecForName("GBK");
};

} // namespace

TEST_F(ProcessConsoleLineEncoding, ALineIsShownAgainWholeOnlyWithinItsKeptStart)
{
    for (const Row& row : rows())
        expectShownCopiedAndSaved(row, file);
}

// A line valid in only one encoding decides how the lines valid in both that follow it are
// shown, until the next such line; a line valid in neither (Latin-1 "caf\xe9.dat") decides
// nothing; before any line has decided, UTF-8.  A line that is no UTF-8 is GBK.
TEST_F(ProcessConsoleLineEncoding, ALineValidInOnlyOneEncodingDecidesForTheLinesValidInBoth)
{
    const auto utf8 = [](const char* text) { return EncodedLine{QByteArray(text), Shown::Utf8}; };
    const struct
    {
        const char* name;
        std::vector<EncodedLine> lines;
    } runs[] = {
        // UTF-8 (also GBK), a Latin-1 file name (neither), UTF-8 (also GBK).
        {"UTF-8 around a line in neither encoding",
         {utf8(u8"Gr\u00f6\u00dfe: 5 mm"), {"Datei caf\xe9.dat gelesen", Shown::Gbk}, utf8(u8"Gr\u00f6\u00dfe: 6 mm"),
          utf8(u8"Temperatur 20 \u00b0C")}},
        // UTF-8 (also GBK), Latin-1 that is GBK only, UTF-8 only, UTF-8 (also GBK).
        {"UTF-8 after a line that is GBK only and one that is UTF-8 only",
         {utf8(u8"\u8bfb\u5165\u6587\u4ef6"), {"fichier: r\xe9sultat.dat", Shown::Gbk},
          utf8(u8"\u8ba1\u7b97\u5f00\u59cb\uff1a\u7f51\u683c\u5df2\u8bfb\u5165"),
          utf8(u8"\u8fed\u4ee3 1 \u6b8b\u5dee 0.5"), utf8(u8"\u6c42\u89e3\u5b8c\u6210")}},
        // GBK only, GBK (also UTF-8), UTF-8 only, UTF-8 (also GBK), GBK only, GBK (also UTF-8).
        {"a GBK run with a line that is UTF-8 only inside it",
         {{gbk(u"\u4e2d\u6587"), Shown::Gbk}, {gbk(u"\u72b6\u6001: 0"), Shown::Gbk},
          utf8(u8"\u8ba1\u7b97\u5f00\u59cb\uff1a\u7f51\u683c\u5df2\u8bfb\u5165"),
          utf8(u8"\u8fed\u4ee3 1 \u6b8b\u5dee 0.5"), {gbk(u"\u6c42\u89e3\u5b8c\u6210"), Shown::Gbk},
          {gbk(u"\u72b6\u6001: 0"), Shown::Gbk}}},
    };
    // Which channel each line is written to: the decision is the run's, whichever channel
    // its line came on.
    const struct
    {
        const char* name;
        std::function<bool(size_t)> toErrors;
    } channels[] = {{"output", [](size_t) { return false; }},
                    {"errors", [](size_t) { return true; }},
                    {"alternating", [](size_t line) { return line % 2 == 1; }}};
    for (const auto& run : runs) {
        for (const auto& channel : channels) {
            Row row{std::string(run.name) + " / " + channel.name, QString(), QString()};
            for (size_t k = 0; k < run.lines.size(); ++k) {
                const EncodedLine& line = run.lines[k];
                const QString to = channel.toErrors(k) ? QStringLiteral(" >&2; ") : QStringLiteral("; ");
                // Each line is read before the next is written.
                row.script += printfOf(line.bytes + '\n') + to + QLatin1Char('\'') + drained + QLatin1Char('\'') + to;
                row.shown += (line.as == Shown::Utf8 ? QString::fromUtf8(line.bytes) : gbkCodec->toUnicode(line.bytes))
                             + QLatin1Char('\n');
            }
            expectShownCopiedAndSaved(row, file);
        }
    }
}

// A line shown in part by earlier reads and then shown again in the other encoding
// replaces what it showed and nothing before it, whatever its characters (outside the
// Basic Multilingual Plane, with combining marks, a NUL); a line that the end of its
// channel cuts off in a character shows a replacement mark and decides nothing.
TEST_F(ProcessConsoleLineEncoding, ALineShownAgainReplacesOnlyItselfAndACutEndDecidesNothing)
{
    const QString read = QStringLiteral("; '%1'; ").arg(drained);
    // Each piece comes in a read of its own.
    const auto pieces = [&](const std::vector<QByteArray>& parts) {
        QString script;
        for (const QByteArray& part : parts)
            script += printfOf(part) + read;
        return script;
    };
    const QByteArray smiles = QByteArray("\xf0\x9f\x98\x80").repeated(10);
    const QByteArray marks = QByteArray("e\xcc\x81").repeated(10);   // e and a combining acute
    const std::vector<Row> table = {
        {"characters outside the BMP, then no UTF-8", pieces({"hello world\n", smiles, "\x80\n"}),
         QStringLiteral("hello world\n") + gbkCodec->toUnicode(smiles + "\x80\n")},
        {"combining marks, then no UTF-8", pieces({"hello world\n", marks, "\x80\n"}),
         QStringLiteral("hello world\n") + gbkCodec->toUnicode(marks + "\x80\n")},
        {"a NUL in GBK shown again as UTF-8",
         pieces({gbk(u"\u4e2d") + '\n', QByteArray("\xc3\xa9\0", 3), "\xe4\xb8\xad\n", "ok\n"}),
         QStringLiteral(u"\u4e2d\n\u00e9") + QChar(0) + QStringLiteral(u"\u4e2d\nok\n")},
        // "\xe4\xb8" is GBK too; the later line, valid both ways, stays UTF-8.  The error
        // channel waits until the console has closed the output's end.
        {"the output's end cuts a character off",
         QStringLiteral("o=$(readlink /proc/$$/fd/1); ") + printfOf("\xe4\xb8")
             + QStringLiteral("; exec 1>&-; while ls -l /proc/$PPID/fd 2>/dev/null | grep -qF \"$o\"; do sleep 0.01; "
                              "done; ")
             + printfOf("Gr\xc3\xb6\xc3\x9f" "e\n") + QStringLiteral(" >&2"),
         QStringLiteral(u"\ufffdGr\u00f6\u00dfe\n")},
    };
    for (const Row& row : table)
        expectShownCopiedAndSaved(row, file);
    // The start of the line on screen before its rest comes.
    for (const QByteArray& start : {smiles, marks}) {
        const PelmoraTest::ScriptSteps steps;
        const Row row{"shown before its rest came: " + start.toStdString(),
                      pieces({"hello world\n", start}) + steps.waitFor(1) + printfOf("\x80\n"),
                      QStringLiteral("hello world\n") + gbkCodec->toUnicode(start + "\x80\n")};
        expectShownCopiedAndSaved(row, file, &steps, {QStringLiteral("hello world\n") + QString::fromUtf8(start)});
    }
    // Each piece on screen before the next comes, on either channel: a line shown again
    // takes back only what it showed since the other channel's output came; where that
    // cannot be, its start stays as shown, and it is not shown again later.
    struct Piece
    {
        QByteArray bytes;
        bool toErrors;
        QString onScreen;   // as the view shows it (a carriage return starts a line)
    };
    const QByteArray zhongs = QByteArray("\xe4\xb8\xad").repeated(4);   // GBK too
    const QString zhong = QStringLiteral(u"\u4e2d\n");
    const struct
    {
        const char* name;
        std::vector<Piece> pieces;
        QString shown;
    } interleaved[] = {
        {"the other channel's text after the line's start",
         {{"AB", false, "AB"}, {"\nyyyy", true, "\nyyyy"}, {"CD", false, "CD"}, {"\x80\nend\n", false, {}}},
         QStringLiteral("AB\nyyyyCD") + gbkCodec->toUnicode("\x80\nend\n")},
        {"the other channel's text within a line shown again twice",
         {{gbk(u"\u4e2d") + '\n', false, zhong}, {"AB", false, "AB"}, {"yy", true, "yy"},
          {"\xe2\x82\xac ", false, QStringLiteral(u"\u20ac ")}, {"\x80\nend\n", false, {}}},
         zhong + QStringLiteral(u"AByy\u20ac ") + gbkCodec->toUnicode("\x80\nend\n")},
        {"a carriage return within a line shown again twice",
         {{gbk(u"\u4e2d") + '\n', false, zhong}, {"A\r", false, "A\n"}, {zhongs, false, gbkCodec->toUnicode(zhongs)},
          {"\xe2\x82\xac ", false, QStringLiteral(u"\u20ac ")}, {"\x80\nend\n", false, {}}},
         zhong + QStringLiteral("A\r") + gbkCodec->toUnicode(zhongs) + QStringLiteral(u"\u20ac ")
             + gbkCodec->toUnicode("\x80\nend\n")},
    };
    for (const auto& run : interleaved) {
        const PelmoraTest::ScriptSteps steps;
        Row row{run.name, QString(), run.shown};
        std::vector<QString> shownBefore;
        QString onScreen;
        for (size_t k = 0; k < run.pieces.size(); ++k) {
            const Piece& piece = run.pieces[k];
            row.script += printfOf(piece.bytes) + (piece.toErrors ? QStringLiteral(" >&2; ") : QStringLiteral("; "));
            if (k + 1 < run.pieces.size()) {
                row.script += steps.waitFor(int(k) + 1);
                shownBefore.push_back(onScreen += piece.onScreen);
            }
        }
        expectShownCopiedAndSaved(row, file, &steps, shownBefore);
    }
}
