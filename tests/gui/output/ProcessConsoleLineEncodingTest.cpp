// The process console's encoding of a line at the edge of what it keeps of it: a line
// whose encoding fails within its first MaxReshownChars characters is shown again whole
// in the other one, a longer one changes only from where it failed (UTF-8 to GBK) or not
// at all (GBK); the view, Copy and Save give the same text.

#include <dialogs/DlgIPCImp.h>
#include <support/HangGuard.h>

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <support/ProcessConsoleRun.h>
#include <gtest/gtest.h>

#include <string>

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

} // namespace

TEST(ProcessConsoleLineEncoding, ALineIsShownAgainWholeOnlyWithinItsKeptStart)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("saved.log"));
    for (const Row& row : rows()) {
        SCOPED_TRACE(row.name);
        PelmoraTest::SavingConsole console(QStringLiteral("Solver"), true);
        ASSERT_TRUE(PelmoraTest::runScript(console, row.script));
        QApplication::clipboard()->clear();
        console.findChild<QPushButton*>(QStringLiteral("pb_copy"))->click();
        const QString copied = QApplication::clipboard()->text();
        console.answer = file;
        console.findChild<QPushButton*>(QStringLiteral("pb_save"))->click();
        QFile saved(file);
        ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
        const QString header = QStringLiteral("Arguments: -c ") + row.script + QLatin1Char('\n');
        EXPECT_TRUE(copied.contains(header + row.shown)) << copied.right(row.shown.size() + 40).toStdString();
        EXPECT_EQ(QString::fromUtf8(saved.readAll()), copied);
        EXPECT_LE(console.mostLineBytesKept(), 4 * Bound);
        EXPECT_FALSE(console.hasErrors());
    }
}
