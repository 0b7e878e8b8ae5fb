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

class PELMORAGUI_EXPORT PrefCheckBox : public QCheckBox, public PreferenceWidgets
{
    Q_OBJECT
public:
    explicit PrefCheckBox(QWidget* parent = nullptr);
    ~PrefCheckBox() override;
    void setParamGrpPath(const QByteArray& path) { PreferenceWidgets::setParamGrpPath(path); }

protected:
    void restorePreferences() override {}
    void savePreferences() override {}
};

class PELMORAGUI_EXPORT PrefColorButton : public ColoringButton, public PreferenceWidgets
{
    Q_OBJECT
public:
    explicit PrefColorButton(QWidget* parent = nullptr);
    ~PrefColorButton() override;
    void setParamGrpPath(const QByteArray& path) { PreferenceWidgets::setParamGrpPath(path); }
    void setEntryName(const QByteArray& name) { PreferenceWidgets::setEntryName(name); }
    QByteArray paramGrpPath() const { return PreferenceWidgets::paramGrpPath(); }

protected:
    void restorePreferences() override {}
    void savePreferences() override {}
};

class PELMORAGUI_EXPORT PrefComboBox : public QComboBox, public PreferenceWidgets
{
    Q_OBJECT
public:
    explicit PrefComboBox(QWidget* parent = nullptr);
    ~PrefComboBox() override;
    void setParamGrpPath(const QByteArray& path) { PreferenceWidgets::setParamGrpPath(path); }

protected:
    void restorePreferences() override {}
    void savePreferences() override {}
};

class PELMORAGUI_EXPORT PrefRadioButton : public QRadioButton, public PreferenceWidgets
{
    Q_OBJECT
public:
    explicit PrefRadioButton(QWidget* parent = nullptr);
    ~PrefRadioButton() override;
    void setParamGrpPath(const QByteArray& path) { PreferenceWidgets::setParamGrpPath(path); }

protected:
    void restorePreferences() override {}
    void savePreferences() override {}
};

class PELMORAGUI_EXPORT PrefDoubleSpinBox : public QDoubleSpinBox, public PreferenceWidgets
{
    Q_OBJECT
public:
    explicit PrefDoubleSpinBox(QWidget* parent = nullptr);
    ~PrefDoubleSpinBox() override;
    void setParamGrpPath(const QByteArray& path) { PreferenceWidgets::setParamGrpPath(path); }

protected:
    void restorePreferences() override {}
    void savePreferences() override {}
};

class PELMORAGUI_EXPORT PrefFileChooser : public FileChooser, public PreferenceWidgets
{
    Q_OBJECT
public:
    explicit PrefFileChooser(QWidget* parent = nullptr);
    ~PrefFileChooser() override;
    void setParamGrpPath(const QByteArray& path) { PreferenceWidgets::setParamGrpPath(path); }
    QByteArray entryName() const { return PreferenceWidgets::entryName(); }
    void setEntryName(const QByteArray& name) { PreferenceWidgets::setEntryName(name); }
    QByteArray paramGrpPath() const { return PreferenceWidgets::paramGrpPath(); }

protected:
    void restorePreferences() override {}
    void savePreferences() override {}
};

class PELMORAGUI_EXPORT PrefLineEdit : public QLineEdit, public PreferenceWidgets
{
    Q_OBJECT
public:
    explicit PrefLineEdit(QWidget* parent = nullptr);
    ~PrefLineEdit() override;
    void setParamGrpPath(const QByteArray& path) { PreferenceWidgets::setParamGrpPath(path); }

protected:
    void restorePreferences() override {}
    void savePreferences() override {}
};

class PELMORAGUI_EXPORT PrefSlider : public QSlider, public PreferenceWidgets
{
    Q_OBJECT
public:
    explicit PrefSlider(QWidget* parent = nullptr);
    ~PrefSlider() override;
    void setParamGrpPath(const QByteArray& path) { PreferenceWidgets::setParamGrpPath(path); }
    QByteArray entryName() const { return PreferenceWidgets::entryName(); }
    void setEntryName(const QByteArray& name) { PreferenceWidgets::setEntryName(name); }
    QByteArray paramGrpPath() const { return PreferenceWidgets::paramGrpPath(); }

protected:
    void restorePreferences() override {}
    void savePreferences() override {}
};

class PELMORAGUI_EXPORT PrefSpinBox : public QSpinBox, public PreferenceWidgets
{
    Q_OBJECT
public:
    explicit PrefSpinBox(QWidget* parent = nullptr);
    ~PrefSpinBox() override;
    void setParamGrpPath(const QByteArray& path) { PreferenceWidgets::setParamGrpPath(path); }

protected:
    void restorePreferences() override {}
    void savePreferences() override {}
};

} // namespace Gui
