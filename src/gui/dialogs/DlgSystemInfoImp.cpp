#include "DlgSystemInfoImp.h"
#include "ui_DlgSystemInfo.h"

#include "dialogs/DlgAboutPelmoraImp.h"

#include <QApplication>
#include <QClipboard>

namespace Gui {

DlgSystemInfoImp::DlgSystemInfoImp(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::DlgSystemInfo>())
{
    ui->setupUi(this);
    setWindowIcon(QApplication::windowIcon());
    setWindowTitle(tr("System Information"));
    ui->lbl_system->setText(QStringLiteral("System Information:"));
    ui->txt_system->setPlainText(QStringLiteral("System:\n  Connected HIDs:\n\nCPU:\n\nGPU:\n\n"));
    ui->btn_save->hide();
}

DlgSystemInfoImp::~DlgSystemInfoImp() = default;

void DlgSystemInfoImp::on_btn_copy_clicked()
{
    QApplication::clipboard()->setText(ui->txt_system->toPlainText());
    showCopiedNote(this);
}

void DlgSystemInfoImp::on_btn_save_clicked()
{
    QApplication::clipboard()->setText(ui->txt_system->toPlainText());
}

void DlgSystemInfoImp::on_btn_ok_clicked()
{
    close();
}

} // namespace Gui
