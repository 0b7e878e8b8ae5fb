#pragma once
// The "3D Graphics" preferences page: view decorations, anti-aliasing, camera type,
// highlighting, pick radius and background.  Every change is stored at once.

#include <PelmoraGuiExport.h>

#include <QWidget>

#include <memory>

namespace Vexil { class PreferenceManager; }

namespace Ui { class ThreeDGraphicsPage; }

namespace Gui {
namespace Dialog {

class PELMORAGUI_EXPORT ThreeDGraphicsPageImp : public QWidget
{
    Q_OBJECT
public:
    explicit ThreeDGraphicsPageImp(QWidget* parent = nullptr);
    ~ThreeDGraphicsPageImp() override;

    void setPreferenceManager(Vexil::PreferenceManager* prefs) { prefMgr = prefs; }

public Q_SLOTS:
    void updateValues();
    void showCoordSysChange(int state);
    void showLogoChange(int state);
    void showRulerChange(int state);
    void onCoordSysSizeChanged(int value);
    void onLogoColorChanged();
    void onRulerColorChanged();
    void onAliasingChanged(int index);
    void radioCameraToggled(bool on);
    void onPreselectionChanged(int state);
    void onPreselectionColorChanged();
    void onSelectionChanged(int state);
    void onSelectionColorChanged();
    void onPickRaduisChanged(double value);
    void onBCColorTypeChanged(bool on);
    void onBCColorSimpleChanged();
    void onBCColorFromChanged();
    void onBCColorToChanged();
    void onMidColorChanged(int state);
    void onBCColorMidChanged();

private:
    std::unique_ptr<::Ui::ThreeDGraphicsPage> ui;
    Vexil::PreferenceManager* prefMgr = nullptr;
};

} // namespace Dialog
} // namespace Gui
