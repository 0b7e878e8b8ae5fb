#pragma once
// The preferences dialog: a column of page icons and the chosen page.  Pages store
// every change at once; there is no apply step, only a reset of all settings.

#include <PelmoraGuiExport.h>

#include <QDialog>

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

    // OK: a unit choice the dialog shows and the window does not follow yet (one stored
    // by another window) is made.
    void accept() override;
    // Cancel, Escape, closing: the window's units go back to what they were when the
    // dialog was opened, and the stored unit choices too.
    void reject() override;

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
    // The window's unit choices and the stored ones when the dialog was opened.
    QStringList windowUnitsAtOpen;
    QStringList storedUnitsAtOpen;
    bool finished = false;
};

} // namespace Dialog
} // namespace Gui
