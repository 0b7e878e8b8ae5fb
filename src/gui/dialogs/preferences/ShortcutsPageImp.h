#pragma once
// The "Shortcuts" preferences page: key sequences of commands, kept in the shortcuts
// settings file that the preferences store names, and restored from the defaults
// resource on request.

#include <PelmoraGuiExport.h>

#include <QModelIndex>
#include <QWidget>

#include <memory>

class QStandardItemModel;
namespace Vexil { class PreferenceManager; }

namespace Ui { class ShortcutsPage; }

namespace Gui {
namespace Dialog {

class PELMORAGUI_EXPORT ShortcutsPageImp : public QWidget
{
    Q_OBJECT
public:
    explicit ShortcutsPageImp(QWidget* parent = nullptr);
    ~ShortcutsPageImp() override;

    void setPreferenceManager(Vexil::PreferenceManager* prefs) { prefMgr = prefs; }
    // Rows: column 0 the action text, column 1 its key sequence (native text).
    QStandardItemModel* model() const { return tableModel; }
    // Where the default key sequences are read from (":resources/kb.ini" unless
    // replaced, e.g. by a test or a product build that ships its own).
    static QString defaultsFile();
    static void setDefaultsFile(const QString& fileName);

public Q_SLOTS:
    void tableItemClicked(const QModelIndex& index);
    void keyCapLineEditTextChanged();
    void restoreShortcutsButtonClicked();
    void clearButtonClicked();

private:
    QStandardItemModel* tableModel;
    QPersistentModelIndex currentIndex;
    std::unique_ptr<::Ui::ShortcutsPage> ui;
    Vexil::PreferenceManager* prefMgr = nullptr;
};

} // namespace Dialog
} // namespace Gui
