#include "ReportHighlighter.h"

#include <QPalette>
#include <QTextEdit>

using namespace Gui::DockWindow;

ReportHighlighter::ReportHighlighter(QTextEdit* edit)
    : QSyntaxHighlighter(edit->document()), textColor(edit->palette().color(QPalette::WindowText))
{
}

ReportHighlighter::~ReportHighlighter() = default;

void ReportHighlighter::highlightBlock(const QString& text)
{
    if (text.isEmpty())
        return;
    auto* data = static_cast<TextBlockData*>(currentBlockUserData());
    if (!data) {
        data = new TextBlockData;
        setCurrentBlockUserData(data);
    }
    data->runs.append(qMakePair(text.length(), paragraphType));

    int start = 0;
    for (const QPair<int, int>& run : qAsConst(data->runs)) {
        const int end = run.first;
        switch (run.second) {
        case Message:
            setFormat(start, end - start, textColor);
            break;
        case Warning:
            setFormat(start, end - start, warningColor);
            break;
        case Error:
            setFormat(start, end - start, errorColor);
            break;
        case LogText:
            setFormat(start, end - start, logColor);
            break;
        default:
            break;
        }
        start = end;
    }
}
