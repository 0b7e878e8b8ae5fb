#pragma once
// Text views that show program output: a block is laid out whole whenever text is added
// to it, so one growing line would cost time in the square of its length.  A line longer
// than MaxBlockChars is shown in several blocks, the later ones marked as continuing it;
// the text copied or saved joins them again.  A line that ended with a carriage return
// (alone or before a line feed) keeps that ending for the text copied or saved.

#include "PelmoraGuiExport.h"

#include <QString>
#include <QVector>

QT_BEGIN_NAMESPACE
class QTextBlock;
class QTextBlockFormat;
class QTextCursor;
class QTextDocument;
QT_END_NAMESPACE

namespace Gui {
namespace LongLineText {

constexpr int MaxBlockChars = 1024;

PELMORAGUI_EXPORT bool continuesLine(const QTextBlock& block);
// The block's format without the mark of a continuing block, for a block that now starts
// a line (what came before it was removed).
PELMORAGUI_EXPORT QTextBlockFormat lineStartFormat(const QTextBlock& block);

// How the texts given to insertAtEnd relate: separate messages, or pieces of one stream
// read as it came, where a carriage return ending one piece and a line feed starting the
// next are one line end.
enum class Pieces { Separate, OneStream };

// Where `text`, inserted at the end of `doc`, starts new blocks that continue a line: the
// positions, counted in the document before any of them is added, of the characters
// that go first in such a block.
PELMORAGUI_EXPORT QVector<int> continuationStarts(const QTextDocument* doc, const QString& text);

// Inserts `text` at the end of the cursor's document (the cursor is left there) and
// returns the number of continuing blocks made.  Inside an edit block of its own.
PELMORAGUI_EXPORT int insertAtEnd(QTextCursor& cursor, const QString& text, Pieces pieces = Pieces::Separate);

// How the lines of a text taken out end: as they were written (a carriage return kept),
// or as the view shows them, each with a line feed.
enum class LineEnds { AsWritten, AsShown };

// The text between two positions: the blocks of one line joined, each line ended as
// `ends` says.
PELMORAGUI_EXPORT QString writtenText(const QTextDocument* doc, int from, int to,
                                      LineEnds ends = LineEnds::AsWritten);

} // namespace LongLineText
} // namespace Gui
