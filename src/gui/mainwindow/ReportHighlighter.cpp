#include "ReportHighlighter.h"

#include <QPalette>
#include <QTextBlock>
#include <QTextEdit>

#include <algorithm>

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
    if (pendingRuns.isEmpty()) {
        data->runs.append(qMakePair(text.length(), paragraphType));
    } else {
        // The runs of the inserted text that reach into this block, cut at its end.
        const int blockStart = currentBlock().position();
        const int blockEnd = blockStart + text.length();
        auto run = std::upper_bound(pendingRuns.cbegin(), pendingRuns.cend(), blockStart,
                                    [](int position, const QPair<int, int>& r) { return position < r.first; });
        for (; run != pendingRuns.cend(); ++run) {
            const int runStart = run == pendingRuns.cbegin() ? pendingStart : (run - 1)->first;
            if (runStart >= blockEnd)
                break;
            data->runs.append(qMakePair(std::min(run->first, blockEnd) - blockStart, run->second));
        }
    }

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

void ReportHighlighter::setPendingRuns(int start, const QVector<QPair<int, int>>& runs)
{
    pendingStart = start;
    pendingRuns = runs;
    if (!runs.isEmpty())
        paragraphType = runs.back().second;
}

void ReportHighlighter::clearPendingRuns()
{
    pendingRuns.clear();
}
