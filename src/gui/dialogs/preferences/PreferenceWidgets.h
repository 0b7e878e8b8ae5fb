#pragma once
// Preference widgets: ordinary toolkit widgets that also carry a preference identity
// (entry name and group path).  The preference pages read and write the numbered
// settings themselves, so the widgets' own save and restore do nothing and each widget
// behaves exactly as its toolkit base.

#include "WidgetParameters.h"

#include <PelmoraGuiExport.h>
#include <dialogs/widgets/ColoringButton.h>
#include <dialogs/widgets/FileDialog.h>

#include <QByteArray>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>

namespace Gui {

class PELMORAGUI_EXPORT PreferenceWidgets : public WidgetParameters
{
public:
    ~PreferenceWidgets() override;
    PreferenceWidgets(const PreferenceWidgets&) = default;
    PreferenceWidgets& operator=(const PreferenceWidgets&) = default;

    void setEntryName(const QByteArray& name);
    QByteArray entryName() const;
    // The path stays empty: the pages bind to the numbered settings, not to groups.
    void setParamGrpPath(const QByteArray& path);
    QByteArray paramGrpPath() const;

    void onSave();
    void onRestore();
    // A change of the entry this widget stands for restores it.
    void on_modify(Vexil::Subject<const char*>& caller, const char* reason) override;

protected:
    PreferenceWidgets();
    virtual void restorePreferences() = 0;
    virtual void savePreferences() = 0;

    QByteArray m_sPrefName;
    QByteArray m_sPrefGrp;
};

// The binding every preference widget shares: a toolkit widget plus the preference
// identity, with the accessors lifted to the widget so calls on it are unambiguous.
// The pages do the reading and writing, so saving and restoring stay empty.  It holds no
// Q_OBJECT (moc does not take templates); each concrete widget below adds its own.
template <class Base>
class PreferenceBoundWidget : public Base, public PreferenceWidgets
{
public:
    void setEntryName(const QByteArray& name) { PreferenceWidgets::setEntryName(name); }
    QByteArray entryName() const { return PreferenceWidgets::entryName(); }
    void setParamGrpPath(const QByteArray& path) { PreferenceWidgets::setParamGrpPath(path); }
    QByteArray paramGrpPath() const { return PreferenceWidgets::paramGrpPath(); }

protected:
    explicit PreferenceBoundWidget(QWidget* parent) : Base(parent) {}
    void restorePreferences() override {}
    void savePreferences() override {}
};

class PELMORAGUI_EXPORT PrefCheckBox : public PreferenceBoundWidget<QCheckBox>
{
    Q_OBJECT
public:
    explicit PrefCheckBox(QWidget* parent = nullptr);
    ~PrefCheckBox() override;
};

class PELMORAGUI_EXPORT PrefColorButton : public PreferenceBoundWidget<ColoringButton>
{
    Q_OBJECT
public:
    explicit PrefColorButton(QWidget* parent = nullptr);
    ~PrefColorButton() override;
};

class PELMORAGUI_EXPORT PrefComboBox : public PreferenceBoundWidget<QComboBox>
{
    Q_OBJECT
public:
    explicit PrefComboBox(QWidget* parent = nullptr);
    ~PrefComboBox() override;
};

class PELMORAGUI_EXPORT PrefRadioButton : public PreferenceBoundWidget<QRadioButton>
{
    Q_OBJECT
public:
    explicit PrefRadioButton(QWidget* parent = nullptr);
    ~PrefRadioButton() override;
};

class PELMORAGUI_EXPORT PrefDoubleSpinBox : public PreferenceBoundWidget<QDoubleSpinBox>
{
    Q_OBJECT
public:
    explicit PrefDoubleSpinBox(QWidget* parent = nullptr);
    ~PrefDoubleSpinBox() override;
};

class PELMORAGUI_EXPORT PrefFileChooser : public PreferenceBoundWidget<FileChooser>
{
    Q_OBJECT
public:
    explicit PrefFileChooser(QWidget* parent = nullptr);
    ~PrefFileChooser() override;
};

class PELMORAGUI_EXPORT PrefLineEdit : public PreferenceBoundWidget<QLineEdit>
{
    Q_OBJECT
public:
    explicit PrefLineEdit(QWidget* parent = nullptr);
    ~PrefLineEdit() override;
};

class PELMORAGUI_EXPORT PrefSlider : public PreferenceBoundWidget<QSlider>
{
    Q_OBJECT
public:
    explicit PrefSlider(QWidget* parent = nullptr);
    ~PrefSlider() override;
};

class PELMORAGUI_EXPORT PrefSpinBox : public PreferenceBoundWidget<QSpinBox>
{
    Q_OBJECT
public:
    explicit PrefSpinBox(QWidget* parent = nullptr);
    ~PrefSpinBox() override;
};

} // namespace Gui
