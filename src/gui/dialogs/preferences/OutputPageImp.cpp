#include "OutputPageImp.h"
#include "ui_OutputPage.h"

#include "PreferencePageSupport.h"

#include <vexil/PreferenceManager.h>

namespace Gui {
namespace Dialog {

OutputPageImp::OutputPageImp(QWidget* parent) : QWidget(parent), ui(new ::Ui::OutputPage)
{
    ui->setupUi(this);
    connect(ui->checkLogging, &QCheckBox::stateChanged, this, &OutputPageImp::loggingChange);
    connect(ui->checkWarning, &QCheckBox::stateChanged, this, &OutputPageImp::warningChange);
    connect(ui->checkError, &QCheckBox::stateChanged, this, &OutputPageImp::errorChange);
    connect(ui->colorText, &ColoringButton::changed, this, &OutputPageImp::colorTextChange);
    connect(ui->colorLogging, &ColoringButton::changed, this, &OutputPageImp::colorLoggingChange);
    connect(ui->colorWarning, &ColoringButton::changed, this, &OutputPageImp::colorWarningChange);
    connect(ui->colorError, &ColoringButton::changed, this, &OutputPageImp::colorErrorChange);
    connect(ui->checkGotoEnd, &QCheckBox::stateChanged, this, &OutputPageImp::gotoEndChange);
}

OutputPageImp::~OutputPageImp() = default;

void OutputPageImp::updateValues()
{
    if (!prefMgr)
        return;
    ui->checkLogging->setChecked(prefMgr->isOn(Vexil::PM_DISPLAY_LOG));
    ui->checkWarning->setChecked(prefMgr->isOn(Vexil::PM_DISPLAY_WARNINGS));
    ui->checkError->setChecked(prefMgr->isOn(Vexil::PM_DISPLAY_ERRORS));
    ui->colorText->setColor(QColor::fromRgba(prefMgr->getUInt(Vexil::PM_COLOR_NORMAL_MESSAGE)));
    ui->colorLogging->setColor(QColor::fromRgba(prefMgr->getUInt(Vexil::PM_COLOR_LOG_MESSAGE)));
    ui->colorWarning->setColor(QColor::fromRgba(prefMgr->getUInt(Vexil::PM_COLOR_WARNING)));
    ui->colorError->setColor(QColor::fromRgba(prefMgr->getUInt(Vexil::PM_COLOR_ERROR)));
    ui->checkGotoEnd->setChecked(prefMgr->isOn(Vexil::PM_AUTO_SCROLL));
}

void OutputPageImp::loggingChange(int state)
{
    prefMgr->set(Vexil::PM_DISPLAY_LOG, state != Qt::Unchecked, true);
}

void OutputPageImp::warningChange(int state)
{
    prefMgr->set(Vexil::PM_DISPLAY_WARNINGS, state != Qt::Unchecked, true);
}

void OutputPageImp::errorChange(int state)
{
    prefMgr->set(Vexil::PM_DISPLAY_ERRORS, state != Qt::Unchecked, true);
}

void OutputPageImp::colorTextChange()
{
    prefMgr->set(Vexil::PM_COLOR_NORMAL_MESSAGE, packedColor(ui->colorText), true);
}

void OutputPageImp::colorLoggingChange()
{
    prefMgr->set(Vexil::PM_COLOR_LOG_MESSAGE, packedColor(ui->colorLogging), true);
}

void OutputPageImp::colorWarningChange()
{
    prefMgr->set(Vexil::PM_COLOR_WARNING, packedColor(ui->colorWarning), true);
}

void OutputPageImp::colorErrorChange()
{
    prefMgr->set(Vexil::PM_COLOR_ERROR, packedColor(ui->colorError), true);
}

void OutputPageImp::gotoEndChange(int state)
{
    prefMgr->set(Vexil::PM_AUTO_SCROLL, state != Qt::Unchecked, true);
}

} // namespace Dialog
} // namespace Gui
