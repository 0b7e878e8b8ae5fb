#pragma once
// The "Output" dock panel: a row of buttons (save, clear) above the console's text area.

#include "mainwindow/DockingWindowMediator.h"

QT_BEGIN_NAMESPACE
class QPushButton;
QT_END_NAMESPACE

namespace Gui {
namespace DockWindow {

class ReportOutput;

class PELMORAGUI_EXPORT ReportView : public DockingWindow
{
    Q_OBJECT
public:
    explicit ReportView(QWidget* parent = nullptr);
    ~ReportView() override;
    ReportOutput* textArea() const { return reportOutput; }

Q_SIGNALS:
    // A project's output text, for the main window to hand to the project.
    void signalProcessOutput(const QString& project, const QString& text);

public Q_SLOTS:
    void on_btn_saveTo_clicked();
    void on_btn_cleartext_clicked();
    void slotProcessOutput(const QString& project, const QString& text);

private:
    ReportOutput* reportOutput;
    QPushButton* saveButton;
    QPushButton* clearButton;
};

} // namespace DockWindow
} // namespace Gui
