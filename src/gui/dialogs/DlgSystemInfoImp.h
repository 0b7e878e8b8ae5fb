#pragma once
// A window for facts about the system, opened from the About box.

#include "PelmoraGuiExport.h"

#include <QDialog>

#include <memory>

namespace Ui { class DlgSystemInfo; }

namespace Gui {

class PELMORAGUI_EXPORT DlgSystemInfoImp : public QDialog
{
    Q_OBJECT
public:
    explicit DlgSystemInfoImp(QWidget* parent = nullptr);
    ~DlgSystemInfoImp() override;

public Q_SLOTS:
    void on_btn_copy_clicked();
    void on_btn_save_clicked();
    void on_btn_ok_clicked();

private:
    std::unique_ptr<Ui::DlgSystemInfo> ui;
};

} // namespace Gui
