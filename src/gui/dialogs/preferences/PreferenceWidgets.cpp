#include "PreferenceWidgets.h"

namespace Gui {

PreferenceWidgets::PreferenceWidgets() : WidgetParameters("") {}

PreferenceWidgets::~PreferenceWidgets() = default;

void PreferenceWidgets::setEntryName(const QByteArray& name)
{
    m_sPrefName = name;
}

QByteArray PreferenceWidgets::entryName() const
{
    return m_sPrefName;
}

void PreferenceWidgets::setParamGrpPath(const QByteArray&) {}

QByteArray PreferenceWidgets::paramGrpPath() const
{
    return m_sPrefGrp;
}

void PreferenceWidgets::onSave()
{
    savePreferences();
}

void PreferenceWidgets::onRestore()
{
    restorePreferences();
}

void PreferenceWidgets::on_modify(Vexil::Subject<const char*>&, const char* reason)
{
    if (reason && m_sPrefName == QByteArray(reason))
        restorePreferences();
}

#define PELMORA_PREF_WIDGET_IMPL(Name, Base)                                             \
    Name::Name(QWidget* parent) : PreferenceBoundWidget<Base>(parent) {}                 \
    Name::~Name() = default;

PELMORA_PREF_WIDGET_IMPL(PrefCheckBox, QCheckBox)
PELMORA_PREF_WIDGET_IMPL(PrefColorButton, ColoringButton)
PELMORA_PREF_WIDGET_IMPL(PrefComboBox, QComboBox)
PELMORA_PREF_WIDGET_IMPL(PrefRadioButton, QRadioButton)
PELMORA_PREF_WIDGET_IMPL(PrefDoubleSpinBox, QDoubleSpinBox)
PELMORA_PREF_WIDGET_IMPL(PrefFileChooser, FileChooser)
PELMORA_PREF_WIDGET_IMPL(PrefLineEdit, QLineEdit)
PELMORA_PREF_WIDGET_IMPL(PrefSlider, QSlider)
PELMORA_PREF_WIDGET_IMPL(PrefSpinBox, QSpinBox)

} // namespace Gui
