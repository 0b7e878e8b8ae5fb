#pragma once
// The "General" preferences page: folders, archive compression, language, display
// counts, beta options and the four unit choices.  Every change is stored at once.

#include <PelmoraGuiExport.h>

#include <QWidget>

#include <memory>

namespace Vexil { class PreferenceManager; }

namespace Ui { class GeneralPage; }

namespace Gui {
namespace Dialog {

class PELMORAGUI_EXPORT GeneralPageImp : public QWidget
{
    Q_OBJECT
public:
    explicit GeneralPageImp(QWidget* parent = nullptr);
    ~GeneralPageImp() override;

    void setPreferenceManager(Vexil::PreferenceManager* prefs) { prefMgr = prefs; }

public Q_SLOTS:
    void updateValues();
    void onFileFolderChanged(const QString& text);
    void onTempFolderChanged(const QString& text);
    void onCompressLevelChanged(int value);
    void onLanguageChanged(int index);
    void onPelmoraLogoChanged(int value);
    void onNumDigitsChanged(int value);
    void onNumUsedFilesChanged(int value);
    void onBetaOptionChanged(int state);
    void onFileFolderButtonClicked();
    void onTempFolderButtonClicked();
    void onUnitsChanged();
    void onUnitAngularVelocityChanged();
    void onUnitAngleChanged();
    void onUnitTempChanged();
    void onUnitSystemsView();

private:
    std::unique_ptr<::Ui::GeneralPage> ui;
    Vexil::PreferenceManager* prefMgr = nullptr;
};

} // namespace Dialog
} // namespace Gui
