#pragma once
// The open-source projects this program owes to, with links to their web sites.

#include "PelmoraGuiExport.h"

#include <QDialog>

#include <memory>

namespace Ui { class DlgAcknowledge; }

namespace Gui {

class PELMORAGUI_EXPORT DlgAcknowledgeImp : public QDialog
{
    Q_OBJECT
public:
    explicit DlgAcknowledgeImp(QWidget* parent = nullptr);
    ~DlgAcknowledgeImp() override;

public Q_SLOTS:
    void on_btn_copy_clicked();
    void on_btn_save_clicked();
    void on_btn_ok_clicked();

private:
    std::unique_ptr<Ui::DlgAcknowledge> ui;
};

} // namespace Gui
