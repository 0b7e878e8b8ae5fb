#include "LongLineText.h"

#include <QTextBlock>
#include <QTextBlockFormat>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>

namespace Gui {
namespace LongLineText {

namespace {

// Marks a block that continues the line of the block before it.
constexpr int ContinuesLine = QTextFormat::UserProperty + 1;
// The characters that ended the line whose last block this is, when not a line feed:
// the document itself keeps only that a block ended.
constexpr int LineEnd = QTextFormat::UserProperty + 2;

const QLatin1Char LineFeed('\n');

QString lineEnd(const QTextBlock& block)
{
    const QVariant end = block.blockFormat().property(LineEnd);
    return end.isValid() ? end.toString() : QString(LineFeed);
}

void setLineEnd(QTextCursor& cursor, const QString& end)
{
    QTextBlockFormat format;
    format.setProperty(LineEnd, end);
    cursor.mergeBlockFormat(format);
}

// The characters the document takes as the end of a block.
bool endsLine(QChar c)
{
    return c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QChar::ParagraphSeparator || c == QChar(0xfdd0)
           || c == QChar(0xfdd1);
}

// Walks `text` as the document will take it, calling `lineEnd(index, next)` at each end of
// a line (`next`: the index of its last character, a "\r\n" being one end) and
// `split(index, position)` where a continuing block starts (position in the document as
// it would be without the splits).
template <typename LineEnd, typename Split>
void walk(const QTextDocument* doc, const QString& text, LineEnd lineEnd, Split split)
{
    int lineLength = doc->lastBlock().length() - 1;
    int position = doc->characterCount() - 1;
    const int size = text.size();
    for (int i = 0; i < size; ++i, ++position) {
        const QChar c = text.at(i);
        if (endsLine(c)) {
            const int next = c == QLatin1Char('\r') && i + 1 < size && text.at(i + 1) == QLatin1Char('\n') ? i + 1 : i;
            lineEnd(i, next);
            i = next;
            lineLength = 0;
        } else if (lineLength >= MaxBlockChars && !c.isLowSurrogate()) {
            split(i, position);
            lineLength = 1;
        } else {
            ++lineLength;
        }
    }
}

QTextBlockFormat continuationFormat()
{
    QTextBlockFormat format;
    format.setProperty(ContinuesLine, true);
    return format;
}

} // namespace

bool continuesLine(const QTextBlock& block)
{
    return block.blockFormat().boolProperty(ContinuesLine);
}

QTextBlockFormat lineStartFormat(const QTextBlock& block)
{
    QTextBlockFormat format = block.blockFormat();
    format.clearProperty(ContinuesLine);
    return format;
}

QVector<int> continuationStarts(const QTextDocument* doc, const QString& text)
{
    QVector<int> starts;
    walk(doc, text, [](int, int) {}, [&](int, int position) { starts.append(position); });
    return starts;
}

int insertAtEnd(QTextCursor& cursor, const QString& text, Pieces pieces)
{
    QTextDocument* doc = cursor.document();
    cursor.movePosition(QTextCursor::End);
    cursor.beginEditBlock();
    int runStart = 0;
    // The line feed that completes a carriage return at the end of the last piece: the
    // line ended there already, now with both.
    const QTextBlock last = doc->lastBlock();
    if (pieces == Pieces::OneStream && text.startsWith(LineFeed) && last.length() == 1 && last.previous().isValid()
        && lineEnd(last.previous()) == QLatin1String("\r")) {
        QTextCursor previous(last.previous());
        setLineEnd(previous, QStringLiteral("\r\n"));
        runStart = 1;
    }
    const QString rest = runStart ? text.mid(runStart) : QString();
    const QString& input = runStart ? rest : text;
    runStart = 0;
    bool continuing = continuesLine(doc->lastBlock());
    int made = 0;
    walk(
        doc, input,
        [&](int i, int next) {
            const bool lineFeed = next == i && input.at(i) == LineFeed;
            if (continuing || !lineFeed) {
                // A new block would take the format of the one it follows.
                cursor.insertText(input.mid(runStart, i - runStart));
                if (!lineFeed)
                    setLineEnd(cursor, input.mid(i, next - i + 1));
                cursor.insertBlock(QTextBlockFormat());
                runStart = next + 1;
                continuing = false;
            }
        },
        [&](int i, int) {
            if (i > runStart)
                cursor.insertText(input.mid(runStart, i - runStart));
            cursor.insertBlock(continuationFormat());
            ++made;
            runStart = i;
            continuing = true;
        });
    if (runStart < input.size())
        cursor.insertText(input.mid(runStart));
    cursor.endEditBlock();
    return made;
}

QString writtenText(const QTextDocument* doc, int from, int to, LineEnds ends)
{
    QString text;
    for (QTextBlock block = doc->findBlock(from); block.isValid() && block.position() < to; block = block.next()) {
        const int start = block.position();
        const int separator = start + block.length() - 1;
        const int a = std::max(from, start) - start;
        const int b = std::min(to, separator) - start;
        if (b > a)
            text += block.text().midRef(a, b - a);
        if (separator >= from && separator < to && block.next().isValid() && !continuesLine(block.next()))
            text += ends == LineEnds::AsShown ? QString(LineFeed) : lineEnd(block);
    }
    return text;
}

} // namespace LongLineText
} // namespace Gui
