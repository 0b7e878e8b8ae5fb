#pragma once
// The "Output" preferences page: which kinds of message the Output dock shows, their
// colours and auto-scroll.  Every change is stored at once and announced, so the dock
// follows while the dialog is open.

#include <PelmoraGuiExport.h>

#include <QWidget>

#include <memory>

namespace Vexil { class PreferenceManager; }

namespace Ui { class OutputPage; }

namespace Gui {
namespace Dialog {

class PELMORAGUI_EXPORT OutputPageImp : public QWidget
{
    Q_OBJECT
public:
    explicit OutputPageImp(QWidget* parent = nullptr);
    ~OutputPageImp() override;

    void setPreferenceManager(Vexil::PreferenceManager* prefs) { prefMgr = prefs; }

public Q_SLOTS:
    void updateValues();
    void loggingChange(int state);
    void warningChange(int state);
    void errorChange(int state);
    void colorTextChange();
    void colorLoggingChange();
    void colorWarningChange();
    void colorErrorChange();
    void gotoEndChange(int state);

private:
    std::unique_ptr<::Ui::OutputPage> ui;
    Vexil::PreferenceManager* prefMgr = nullptr;
};

} // namespace Dialog
} // namespace Gui
