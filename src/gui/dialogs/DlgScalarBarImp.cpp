#include "DlgScalarBarImp.h"

#include "colors/qVizColorsModuleWidget.h"
#include "core/qPelmoraApplication.h"

#include <QApplication>
#include <QIcon>
#include <QGridLayout>

namespace Gui {

DlgScalarBarImp::DlgScalarBarImp(QWidget* parent)
    : QDialog(parent)
    , panel(new qVizColorsModuleWidget(this))
{
    setWindowIcon(QApplication::windowIcon());
    setWindowTitle(tr("Scalar Bar Panel"));
    setContentsMargins(0, 0, 0, 0);
    auto* layout = new QGridLayout(this);
    layout->setSpacing(0);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(panel, 0, 0);
    qPelmoraApplication* app = qPelmoraApplication::application();
    panel->setMRMLScene(app ? app->mrmlScene() : nullptr);
    adjustSize();
}

DlgScalarBarImp::~DlgScalarBarImp() = default;

void DlgScalarBarImp::on_btn_ok_clicked()
{
    close();
}

} // namespace Gui
