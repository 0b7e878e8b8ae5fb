#pragma once
// The preferences dialog: a column of page icons and the chosen page.  Pages store
// every change at once; there is no apply step, only a reset of all settings, and however
// the dialog is left (OK, Cancel, Escape, closing) what was changed stays.

#include <PelmoraGuiExport.h>

#include <QDialog>
#include <QString>

#include <memory>

class QAbstractButton;
class QListWidgetItem;
namespace Vexil { class PreferenceManager; }

namespace Ui { class PreferencesDialog; }

namespace Gui {
namespace Dialog {

class PELMORAGUI_EXPORT PreferencesDialogImp : public QDialog
{
    Q_OBJECT
public:
    explicit PreferencesDialogImp(QWidget* parent = nullptr);
    ~PreferencesDialogImp() override;

    // Call once, before showing: fills unset folders, then loads the pages.
    void setPreferenceManager(Vexil::PreferenceManager* prefs);

public Q_SLOTS:
    void changePage(QListWidgetItem* current, QListWidgetItem* previous);
    void on_buttonBox_clicked(QAbstractButton* button);

protected:
    void showEvent(QShowEvent* event) override;

private:
    QSize sizeShowingEveryPage();
    void resetSettings();
    void reloadPages();
    void reportFailedSave(const QString& fileName);

    std::unique_ptr<::Ui::PreferencesDialog> ui;
    Vexil::PreferenceManager* prefMgr = nullptr;
    bool sized = false;
    // A failed save reported before the dialog was shown, to tell once it is.
    QString unsavedFile;
};

} // namespace Dialog
} // namespace Gui
