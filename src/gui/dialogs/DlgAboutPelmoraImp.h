#pragma once
// The About box: logo, version and build, and a description of the machine and of the
// libraries the program runs on, which the user can copy for a support request.

#include "PelmoraGuiExport.h"

#include <QDialog>

#include <memory>

namespace Ui { class DlgAboutPelmora; }

namespace Gui {

class PELMORAGUI_EXPORT DlgAboutPelmoraImp : public QDialog
{
    Q_OBJECT
public:
    explicit DlgAboutPelmoraImp(QWidget* parent = nullptr);
    ~DlgAboutPelmoraImp() override;

public Q_SLOTS:
    void on_btn_copy_clicked();
    void on_btn_system_info_clicked();
    void on_btn_dxdiag_clicked();
    void on_btn_ok_clicked();
    void on_btn_acknowledge_clicked();

private:
    std::unique_ptr<Ui::DlgAboutPelmora> ui;
};

// The "Copied" note the information dialogs show after copying their text.
void showCopiedNote(QWidget* parent);

} // namespace Gui
