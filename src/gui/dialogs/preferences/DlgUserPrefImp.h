#pragma once
// The older preferences shell: page groups in a list, one tab widget per group in a
// stack.  Apply asks every page to check its settings and saves the user parameters;
// Restore Defaults clears them.  A class-wide registry records which page classes
// belong to which group.

#include <PelmoraGuiExport.h>

#include <QDialog>

#include <list>
#include <memory>
#include <string>
#include <utility>

class QAbstractButton;
class QListWidgetItem;

namespace Gui {
namespace Dialog {

namespace Ui { class DlgUserPref; }

class PELMORAGUI_EXPORT DlgUserPrefImp : public QDialog
{
    Q_OBJECT
public:
    using PageGroup = std::pair<std::string, std::list<std::string>>;

    explicit DlgUserPrefImp(QWidget* parent = nullptr, Qt::WindowFlags flags = Qt::WindowFlags());
    ~DlgUserPrefImp() override;

    static void addPage(const std::string& className, const std::string& group);
    static void removePage(const std::string& className, const std::string& group);
    static const std::list<PageGroup>& pages() { return pageRegistry; }

    void activateGroupPage(const QString& group, int index);
    void accept() override;

public Q_SLOTS:
    void changeGroup(QListWidgetItem* current, QListWidgetItem* previous);
    void on_buttonBox_clicked(QAbstractButton* button);
    void resizeWindow(int width, int height);

protected:
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void setupPages();
    void applyChanges();
    void restoreDefaults();

    static std::list<PageGroup> pageRegistry;
    std::unique_ptr<Ui::DlgUserPref> ui;
    bool invalidParameter = false;
    bool canEmbedScrollArea = true;
};

} // namespace Dialog
} // namespace Gui
