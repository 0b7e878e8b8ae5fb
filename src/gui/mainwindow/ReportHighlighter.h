#pragma once
// Colours the message console's text by the kind of message each stretch came from.
// Every text block remembers its runs (end position, kind), so that a line completed
// by a message of another kind keeps the earlier part in its own colour.

#include "PelmoraGuiExport.h"

#include <QColor>
#include <QPair>
#include <QSyntaxHighlighter>
#include <QTextBlockUserData>
#include <QVector>

class QTextEdit;

namespace Gui {

class PELMORAGUI_EXPORT TextBlockData : public QTextBlockUserData
{
public:
    // (end position within the block, message kind), in the order recorded.
    QVector<QPair<int, int>> runs;
};

namespace DockWindow {

class PELMORAGUI_EXPORT ReportHighlighter : public QSyntaxHighlighter
{
    Q_OBJECT
public:
    enum Paragraph { Message = 0, Warning = 1, Error = 2, LogText = 3 };

    explicit ReportHighlighter(QTextEdit* edit);
    ~ReportHighlighter() override;

    // The kind of the message being inserted next.
    void setParagraphType(int type) { paragraphType = type; }
    // For text of several kinds inserted in one piece at `start`: each run is (its end
    // position in the document, its kind), in order.  Cleared once the text is in.
    void setPendingRuns(int start, const QVector<QPair<int, int>>& runs);
    void clearPendingRuns();
    void setTextColor(const QColor& c) { textColor = c; }
    void setLogColor(const QColor& c) { logColor = c; }
    void setWarningColor(const QColor& c) { warningColor = c; }
    void setErrorColor(const QColor& c) { errorColor = c; }

protected:
    void highlightBlock(const QString& text) override;

private:
    int paragraphType = Message;
    int pendingStart = 0;
    QVector<QPair<int, int>> pendingRuns;
    QColor textColor;
    QColor logColor = Qt::blue;
    QColor warningColor = QColor(255, 170, 0);
    QColor errorColor = Qt::red;
};

} // namespace DockWindow
} // namespace Gui
