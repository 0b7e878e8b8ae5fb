#include "GeneralPageImp.h"
#include "ui_GeneralPage.h"

#include "PreferencePageSupport.h"

#include <pmunit/UnitSystemsImp.h>
#include <vexil/PreferenceManager.h>

#include <QMessageBox>
#include <QRadioButton>
#include <QSignalBlocker>

#include <memory>
#include <utility>
#include <vector>

namespace Gui {
namespace Dialog {

namespace {

struct Language
{
    const char* code;
    const char* name;
    const char* suffix;
};

const Language languages[] = {
    {"cs", QT_TRANSLATE_NOOP("GeneralPage", "Czech"), " (Czech)"},
    {"da", QT_TRANSLATE_NOOP("GeneralPage", "Danish"), " (Danish)"},
    {"de", QT_TRANSLATE_NOOP("GeneralPage", "German"), " (German)"},
    {"en", QT_TRANSLATE_NOOP("GeneralPage", "English"), " (English)"},
    {"et", QT_TRANSLATE_NOOP("GeneralPage", "Estonian"), " (Estonian)"},
    {"es", QT_TRANSLATE_NOOP("GeneralPage", "Spanish"), " (Spanish)"},
    {"fr", QT_TRANSLATE_NOOP("GeneralPage", "French"), " (French)"},
    {"he", QT_TRANSLATE_NOOP("GeneralPage", "Hebrew"), " (Hebrew)"},
    {"hu_HU", QT_TRANSLATE_NOOP("GeneralPage", "Hungarian"), " (Hungarian)"},
    {"id", QT_TRANSLATE_NOOP("GeneralPage", "Indonesian"), " (Indonesian)"},
    {"it", QT_TRANSLATE_NOOP("GeneralPage", "Italian"), " (Italian)"},
    {"ja", QT_TRANSLATE_NOOP("GeneralPage", "Japanese"), " (Japanese)"},
    {"pl", QT_TRANSLATE_NOOP("GeneralPage", "Polish"), " (Polish)"},
    {"pt", QT_TRANSLATE_NOOP("GeneralPage", "Portuguese - Portugal"), "(Portuguese - Portugal)"},
    {"pt_BR", QT_TRANSLATE_NOOP("GeneralPage", "Portuguese - Brazil"), "(Portuguese - Brazil)"},
    {"ru", QT_TRANSLATE_NOOP("GeneralPage", "Russian"), " (Russian)"},
    {"sl", QT_TRANSLATE_NOOP("GeneralPage", "Slovenian"), " (Slovenian)"},
    {"vi", QT_TRANSLATE_NOOP("GeneralPage", "Vietnamese"), " (Vietnamese)"},
    {"zh_CN", QT_TRANSLATE_NOOP("GeneralPage", "Chinese - China"), " (Chinese - China)"},
    {"zh_TW", QT_TRANSLATE_NOOP("GeneralPage", "Chinese - Taiwan"), " (Chinese - Taiwan)"},
};

using Choices = std::vector<std::pair<QRadioButton*, const char*>>;

// The text of the first checked button, or null when none is checked.
const char* checkedText(const Choices& choices)
{
    for (const auto& c : choices)
        if (c.first->isChecked())
            return c.second;
    return nullptr;
}

void checkMatching(const Choices& choices, const QString& stored)
{
    // Loading shows the stored choice; it does not make it: a window's units change only
    // when the user picks a button in it.
    std::vector<std::unique_ptr<QSignalBlocker>> quiet;
    for (const auto& c : choices)
        quiet.push_back(std::make_unique<QSignalBlocker>(c.first));
    for (const auto& c : choices) {
        if (stored == QLatin1String(c.second)) {
            c.first->setChecked(true);
            return;
        }
    }
}

} // namespace

struct UnitChoices
{
    Choices system, angularVelocity, angle, temperature;
};

static UnitChoices choicesOf(::Ui::GeneralPage& ui)
{
    return UnitChoices{
        {{ui.radioUnitsMKS, "MKS"}, {ui.radioUnitsCMGS, "CMGS"}, {ui.radioUnitsMMKS, "MMKS"},
         {ui.radioUnitsNMMTON, "NMMTON"}, {ui.radioUnitsMMDATS, "MMDATS"}, {ui.radioUnitsUMKS, "UMKS"},
         {ui.radioUnitsBFT, "BFT"}, {ui.radioUnitsBIN, "BIN"}},
        {{ui.radioAVUnitRadPerSec, "rad/s"}, {ui.radioAVUnitRPM, "RPM"}},
        {{ui.radioAngleUnitDegrees, "Degrees"}, {ui.radioAngleUnitRadians, "Radians"}},
        {{ui.radioTempUnitC, "Celsius"}, {ui.radioTempUnitK, "Kelvin"}}};
}

GeneralPageImp::GeneralPageImp(QWidget* parent) : QWidget(parent), ui(new ::Ui::GeneralPage)
{
    ui->setupUi(this);
    ui->tabWidget->setCurrentWidget(ui->tabProjectManage);
    for (const Language& l : languages)
        ui->languageCombo->addItem(tr(l.name) + QLatin1String(l.suffix), QString::fromLatin1(l.code));
    // The language is switched only at start-up; the page shows it but does not offer it.
    ui->languageCombo->setEnabled(false);

    connect(ui->leFileFolder, &QLineEdit::textChanged, this, &GeneralPageImp::onFileFolderChanged);
    connect(ui->leTempFolder, &QLineEdit::textChanged, this, &GeneralPageImp::onTempFolderChanged);
    connect(ui->spinCompressLevel, qOverload<int>(&QSpinBox::valueChanged), this, &GeneralPageImp::onCompressLevelChanged);
    connect(ui->languageCombo, qOverload<int>(&QComboBox::currentIndexChanged), this, &GeneralPageImp::onLanguageChanged);
    connect(ui->spinNumDigits, qOverload<int>(&QSpinBox::valueChanged), this, &GeneralPageImp::onNumDigitsChanged);
    connect(ui->spinNumUsedFiles, qOverload<int>(&QSpinBox::valueChanged), this, &GeneralPageImp::onNumUsedFilesChanged);
    connect(ui->checkBetaOptions, &QCheckBox::stateChanged, this, &GeneralPageImp::onBetaOptionChanged);
    connect(ui->pbFileFolder, &QPushButton::clicked, this, &GeneralPageImp::onFileFolderButtonClicked);
    connect(ui->pbTempFolder, &QPushButton::clicked, this, &GeneralPageImp::onTempFolderButtonClicked);
    const UnitChoices c = choicesOf(*ui);
    for (const auto& b : c.system) {
        connect(b.first, &QRadioButton::toggled, this, &GeneralPageImp::onUnitsChanged);
        // The button shown checked may be a choice another instance stored, not the one this
        // window follows: a click on it is a pick all the same, though it toggles nothing.
        QRadioButton* button = b.first;
        connect(button, &QRadioButton::pressed, this,
                [button] { button->setProperty("pelmoraCheckedAtPress", button->isChecked()); });
        connect(button, &QRadioButton::clicked, this, [this, button] {
            if (button->property("pelmoraCheckedAtPress").toBool())
                onUnitsChanged();
        });
    }
    for (const auto& b : c.angularVelocity)
        connect(b.first, &QRadioButton::toggled, this, &GeneralPageImp::onUnitAngularVelocityChanged);
    for (const auto& b : c.angle)
        connect(b.first, &QRadioButton::toggled, this, &GeneralPageImp::onUnitAngleChanged);
    for (const auto& b : c.temperature)
        connect(b.first, &QRadioButton::toggled, this, &GeneralPageImp::onUnitTempChanged);
    connect(ui->btnUnitSystemsView, &QPushButton::clicked, this, &GeneralPageImp::onUnitSystemsView);
}

GeneralPageImp::~GeneralPageImp() = default;

void GeneralPageImp::updateValues()
{
    if (!prefMgr)
        return;
    ui->leFileFolder->setText(prefMgr->getString(Vexil::PM_DEFAULT_FOLDER));
    ui->leTempFolder->setText(prefMgr->getString(Vexil::PM_TEMP_FOLDER));
    ui->spinCompressLevel->setValue(prefMgr->getInt(Vexil::PM_COMPRESSION_LEVEL));
    const int language = ui->languageCombo->findData(prefMgr->getString(Vexil::PM_LANGUAGE), Qt::UserRole,
                                                     Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (language >= 0) {
        // Loading must not raise the restart warning.
        const QSignalBlocker block(ui->languageCombo);
        ui->languageCombo->setCurrentIndex(language);
    }
    ui->spinNumDigits->setValue(prefMgr->getInt(Vexil::PM_SIGNIFICANT_DIGITS));
    ui->spinNumUsedFiles->setValue(prefMgr->getInt(Vexil::PM_RECENT_FILES));
    ui->checkBetaOptions->setChecked(prefMgr->isOn(Vexil::PM_BETA_OPTIONS));
    const UnitChoices c = choicesOf(*ui);
    checkMatching(c.system, prefMgr->getString(Vexil::PM_UNIT_SYSTEM));
    checkMatching(c.angularVelocity, prefMgr->getString(Vexil::PM_ANGULAR_VELOCITY_UNIT));
    checkMatching(c.angle, prefMgr->getString(Vexil::PM_ANGLE_UNIT));
    checkMatching(c.temperature, prefMgr->getString(Vexil::PM_TEMPERATURE_UNIT));
}

void GeneralPageImp::onFileFolderChanged(const QString& text)
{
    prefMgr->set(Vexil::PM_DEFAULT_FOLDER, text, false);
}

void GeneralPageImp::onTempFolderChanged(const QString& text)
{
    prefMgr->set(Vexil::PM_TEMP_FOLDER, text, false);
}

void GeneralPageImp::onCompressLevelChanged(int value)
{
    prefMgr->set(Vexil::PM_COMPRESSION_LEVEL, value, false);
}

void GeneralPageImp::onLanguageChanged(int index)
{
    prefMgr->set(Vexil::PM_LANGUAGE, ui->languageCombo->itemData(index).toString(), false);
    QMessageBox::warning(this, tr("Restart Required"),
                         tr("The language change will take effect after a restart of PELMORA"), QMessageBox::Ok);
}

void GeneralPageImp::onPelmoraLogoChanged(int value)
{
    prefMgr->set(Vexil::PM_PELMORA_LOGO, value, false);
}

void GeneralPageImp::onNumDigitsChanged(int value)
{
    prefMgr->set(Vexil::PM_SIGNIFICANT_DIGITS, value, false);
}

void GeneralPageImp::onNumUsedFilesChanged(int value)
{
    prefMgr->set(Vexil::PM_RECENT_FILES, value, false);
}

void GeneralPageImp::onBetaOptionChanged(int state)
{
    prefMgr->set(Vexil::PM_BETA_OPTIONS, state != Qt::Unchecked, false);
}

void GeneralPageImp::onFileFolderButtonClicked()
{
    chooseFolderFor(ui->leFileFolder, tr("Select Default Folder"), prefMgr, Vexil::PM_DEFAULT_FOLDER);
}

void GeneralPageImp::onTempFolderButtonClicked()
{
    chooseFolderFor(ui->leTempFolder, tr("Select Temporary Folder"), prefMgr, Vexil::PM_TEMP_FOLDER);
}

void GeneralPageImp::onUnitsChanged()
{
    if (const char* text = checkedText(choicesOf(*ui).system))
        prefMgr->set(Vexil::PM_UNIT_SYSTEM, text, true);
}

void GeneralPageImp::onUnitAngularVelocityChanged()
{
    if (const char* text = checkedText(choicesOf(*ui).angularVelocity))
        prefMgr->set(Vexil::PM_ANGULAR_VELOCITY_UNIT, text, true);
}

void GeneralPageImp::onUnitAngleChanged()
{
    if (const char* text = checkedText(choicesOf(*ui).angle))
        prefMgr->set(Vexil::PM_ANGLE_UNIT, text, true);
}

void GeneralPageImp::onUnitTempChanged()
{
    if (const char* text = checkedText(choicesOf(*ui).temperature))
        prefMgr->set(Vexil::PM_TEMPERATURE_UNIT, text, true);
}

void GeneralPageImp::onUnitSystemsView()
{
    pmUnit::UnitSystemsImp dialog(this);
    dialog.exec();
}

} // namespace Dialog
} // namespace Gui
