#include "ThreeDGraphicsPageImp.h"
#include "ui_ThreeDGraphicsPage.h"

#include "PreferencePageSupport.h"

#include <vexil/PreferenceManager.h>

#include <QCoreApplication>
#include <QMessageBox>

namespace Gui {
namespace Dialog {

ThreeDGraphicsPageImp::ThreeDGraphicsPageImp(QWidget* parent) : QWidget(parent), ui(new ::Ui::ThreeDGraphicsPage)
{
    ui->setupUi(this);
    ui->comboAliasing->addItems({QStringLiteral("None"), QStringLiteral("Auto"), QStringLiteral("MSAA2x"),
                                 QStringLiteral("MSAA4x"), QStringLiteral("MSAA8x"), QStringLiteral("MSAA16x")});
    ui->comboAliasing->setCurrentIndex(2);

    connect(ui->CheckBox_CornerCoordSystem, &QCheckBox::stateChanged, this, &ThreeDGraphicsPageImp::showCoordSysChange);
    connect(ui->checkShowLogo, &QCheckBox::stateChanged, this, &ThreeDGraphicsPageImp::showLogoChange);
    connect(ui->checkShowRuler, &QCheckBox::stateChanged, this, &ThreeDGraphicsPageImp::showRulerChange);
    connect(ui->spinCoordSysSize, qOverload<int>(&QSpinBox::valueChanged), this, &ThreeDGraphicsPageImp::onCoordSysSizeChanged);
    connect(ui->colorLogo, &ColoringButton::changed, this, &ThreeDGraphicsPageImp::onLogoColorChanged);
    connect(ui->colorRuler, &ColoringButton::changed, this, &ThreeDGraphicsPageImp::onRulerColorChanged);
    connect(ui->comboAliasing, qOverload<int>(&QComboBox::currentIndexChanged), this, &ThreeDGraphicsPageImp::onAliasingChanged);
    connect(ui->radioPerspective, &QAbstractButton::toggled, this, &ThreeDGraphicsPageImp::radioCameraToggled);
    connect(ui->radioOrthographic, &QAbstractButton::toggled, this, &ThreeDGraphicsPageImp::radioCameraToggled);
    connect(ui->checkBoxPreselection, &QCheckBox::stateChanged, this, &ThreeDGraphicsPageImp::onPreselectionChanged);
    connect(ui->colorPreselection, &ColoringButton::changed, this, &ThreeDGraphicsPageImp::onPreselectionColorChanged);
    connect(ui->checkBoxSelection, &QCheckBox::stateChanged, this, &ThreeDGraphicsPageImp::onSelectionChanged);
    connect(ui->colorSelection, &ColoringButton::changed, this, &ThreeDGraphicsPageImp::onSelectionColorChanged);
    connect(ui->spinPickRadius, qOverload<double>(&QDoubleSpinBox::valueChanged), this, &ThreeDGraphicsPageImp::onPickRaduisChanged);
    connect(ui->radioButtonSimple, &QAbstractButton::toggled, this, &ThreeDGraphicsPageImp::onBCColorTypeChanged);
    connect(ui->radioButtonGradient, &QAbstractButton::toggled, this, &ThreeDGraphicsPageImp::onBCColorTypeChanged);
    connect(ui->backgroundColorSimple, &ColoringButton::changed, this, &ThreeDGraphicsPageImp::onBCColorSimpleChanged);
    connect(ui->backgroundColorFrom, &ColoringButton::changed, this, &ThreeDGraphicsPageImp::onBCColorFromChanged);
    connect(ui->backgroundColorTo, &ColoringButton::changed, this, &ThreeDGraphicsPageImp::onBCColorToChanged);
    connect(ui->checkMidColor, &QCheckBox::stateChanged, this, &ThreeDGraphicsPageImp::onMidColorChanged);
    connect(ui->backgroundColorMid, &ColoringButton::changed, this, &ThreeDGraphicsPageImp::onBCColorMidChanged);
}

ThreeDGraphicsPageImp::~ThreeDGraphicsPageImp() = default;

void ThreeDGraphicsPageImp::updateValues()
{
    if (!prefMgr)
        return;
    ui->CheckBox_CornerCoordSystem->setChecked(prefMgr->isOn(Vexil::PM_SHOW_AXES));
    ui->checkShowLogo->setChecked(prefMgr->isOn(Vexil::PM_SHOW_LOGO));
    ui->checkShowRuler->setChecked(prefMgr->isOn(Vexil::PM_SHOW_RULER));
    ui->spinCoordSysSize->setValue(prefMgr->getInt(Vexil::PM_AXES_SIZE));
    // Logo and ruler are drawn opaque whatever alpha was stored.
    ui->colorLogo->setColor(QColor(QRgb(prefMgr->getUInt(Vexil::PM_LOGO_COLOR))).rgb());
    ui->colorRuler->setColor(QColor(QRgb(prefMgr->getUInt(Vexil::PM_RULER_COLOR))).rgb());
    ui->comboAliasing->setCurrentIndex(prefMgr->getInt(Vexil::PM_ANTI_ALIASING));
    const int camera = prefMgr->getInt(Vexil::PM_CAMERA_TYPE);
    if (camera == 0)
        ui->radioPerspective->setChecked(true);
    else if (camera == 1)
        ui->radioOrthographic->setChecked(true);
    ui->checkBoxPreselection->setChecked(prefMgr->isOn(Vexil::PM_ENABLE_PRESELECTION));
    ui->checkBoxSelection->setChecked(prefMgr->isOn(Vexil::PM_ENABLE_SELECTION));
    ui->colorPreselection->setColor(QColor::fromRgba(prefMgr->getUInt(Vexil::PM_PRESELECTION_COLOR)));
    ui->colorSelection->setColor(QColor::fromRgba(prefMgr->getUInt(Vexil::PM_SELECTION_COLOR)));
    ui->spinPickRadius->setValue(prefMgr->getDouble(Vexil::PM_PICK_RADIUS));
    const int background = prefMgr->getInt(Vexil::PM_BACKGROUND_MODE);
    if (background == 0)
        ui->radioButtonSimple->setChecked(true);
    else if (background == 1)
        ui->radioButtonGradient->setChecked(true);
    ui->checkMidColor->setChecked(prefMgr->isOn(Vexil::PM_GRADIENT_USE_MIDDLE));
    ui->backgroundColorSimple->setColor(QColor::fromRgba(prefMgr->getUInt(Vexil::PM_BACKGROUND_COLOR)));
    ui->backgroundColorFrom->setColor(QColor::fromRgba(prefMgr->getUInt(Vexil::PM_GRADIENT_START_COLOR)));
    ui->backgroundColorTo->setColor(QColor::fromRgba(prefMgr->getUInt(Vexil::PM_GRADIENT_END_COLOR)));
    ui->backgroundColorMid->setColor(QColor::fromRgba(prefMgr->getUInt(Vexil::PM_GRADIENT_MIDDLE_COLOR)));
}

void ThreeDGraphicsPageImp::showCoordSysChange(int state)
{
    prefMgr->set(Vexil::PM_SHOW_AXES, state != Qt::Unchecked, true);
}

void ThreeDGraphicsPageImp::showLogoChange(int state)
{
    prefMgr->set(Vexil::PM_SHOW_LOGO, state != Qt::Unchecked, true);
}

void ThreeDGraphicsPageImp::showRulerChange(int state)
{
    prefMgr->set(Vexil::PM_SHOW_RULER, state != Qt::Unchecked, true);
}

void ThreeDGraphicsPageImp::onCoordSysSizeChanged(int value)
{
    prefMgr->set(Vexil::PM_AXES_SIZE, value, true);
}

void ThreeDGraphicsPageImp::onLogoColorChanged()
{
    prefMgr->set(Vexil::PM_LOGO_COLOR, packedColor(ui->colorLogo), true);
}

void ThreeDGraphicsPageImp::onRulerColorChanged()
{
    prefMgr->set(Vexil::PM_RULER_COLOR, packedColor(ui->colorRuler), true);
}

void ThreeDGraphicsPageImp::onAliasingChanged(int index)
{
    // While the dialog loads its pages nothing is shown or stored.
    if (index < 0 || !isVisible())
        return;
    QMessageBox::information(this, QCoreApplication::translate("ThreeDGraphicsPageImp", "Anti-aliasing"),
                             QCoreApplication::translate("ThreeDGraphicsPageImp",
                                                         "Open a new viewer or restart %1 to apply anti-aliasing changes.")
                                 .arg(QCoreApplication::applicationName()),
                             QMessageBox::Ok);
    prefMgr->set(Vexil::PM_ANTI_ALIASING, index, true);
}

void ThreeDGraphicsPageImp::radioCameraToggled(bool)
{
    if (!ui->radioPerspective->isChecked() && !ui->radioOrthographic->isChecked())
        return;
    prefMgr->set(Vexil::PM_CAMERA_TYPE, ui->radioPerspective->isChecked() ? 0 : 1, false);
}

void ThreeDGraphicsPageImp::onPreselectionChanged(int state)
{
    prefMgr->set(Vexil::PM_ENABLE_PRESELECTION, state != Qt::Unchecked, false);
}

void ThreeDGraphicsPageImp::onPreselectionColorChanged()
{
    prefMgr->set(Vexil::PM_PRESELECTION_COLOR, packedColor(ui->colorPreselection), false);
}

void ThreeDGraphicsPageImp::onSelectionChanged(int state)
{
    prefMgr->set(Vexil::PM_ENABLE_SELECTION, state != Qt::Unchecked, false);
}

void ThreeDGraphicsPageImp::onSelectionColorChanged()
{
    prefMgr->set(Vexil::PM_SELECTION_COLOR, packedColor(ui->colorSelection), false);
}

void ThreeDGraphicsPageImp::onPickRaduisChanged(double value)
{
    prefMgr->set(Vexil::PM_PICK_RADIUS, value, false);
}

void ThreeDGraphicsPageImp::onBCColorTypeChanged(bool)
{
    if (!ui->radioButtonSimple->isChecked() && !ui->radioButtonGradient->isChecked())
        return;
    prefMgr->set(Vexil::PM_BACKGROUND_MODE, ui->radioButtonSimple->isChecked() ? 0 : 1, true);
}

void ThreeDGraphicsPageImp::onBCColorSimpleChanged()
{
    prefMgr->set(Vexil::PM_BACKGROUND_COLOR, packedColor(ui->backgroundColorSimple), true);
}

void ThreeDGraphicsPageImp::onBCColorFromChanged()
{
    prefMgr->set(Vexil::PM_GRADIENT_START_COLOR, packedColor(ui->backgroundColorFrom), true);
}

void ThreeDGraphicsPageImp::onBCColorToChanged()
{
    prefMgr->set(Vexil::PM_GRADIENT_END_COLOR, packedColor(ui->backgroundColorTo), true);
}

void ThreeDGraphicsPageImp::onMidColorChanged(int state)
{
    prefMgr->set(Vexil::PM_GRADIENT_USE_MIDDLE, state != Qt::Unchecked, true);
}

void ThreeDGraphicsPageImp::onBCColorMidChanged()
{
    prefMgr->set(Vexil::PM_GRADIENT_MIDDLE_COLOR, packedColor(ui->backgroundColorMid), true);
}

} // namespace Dialog
} // namespace Gui
