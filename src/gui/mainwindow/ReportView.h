#pragma once
// The "Output" dock panel.  For now a read-only text area; it does not follow the
// console yet.

#include "mainwindow/DockingWindowMediator.h"

class QTextEdit;

namespace Gui {
namespace DockWindow {

class PELMORAGUI_EXPORT ReportView : public DockingWindow
{
    Q_OBJECT
public:
    explicit ReportView(QWidget* parent = nullptr);
    ~ReportView() override;
    QTextEdit* textArea() const { return text; }

Q_SIGNALS:
    // A project's output text, for the main window to hand to the project.
    void signalProcessOutput(const QString& project, const QString& text);

private:
    QTextEdit* text;
};

} // namespace DockWindow
} // namespace Gui
