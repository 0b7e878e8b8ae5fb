#pragma once
// The single top-level window of the application: the tabbed document area, the
// registered dock panels, the status bar fed by the console, and the timer that keeps
// the enabled state of every placed command up to date.

#include "PelmoraGuiExport.h"

#include <vexil/PreferenceManager.h>

#include <QByteArray>
#include <QList>
#include <QMainWindow>
#include <QMdiArea>
#include <QPixmap>

#include <memory>

class QMdiSubWindow;
class QMimeData;
class vtkMRMLScene;
namespace pmFwm { class EntitySelectionData; }

namespace Gui {

class DocumentArea;
class MDIWindow;

class PELMORAGUI_EXPORT MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr, Qt::WindowFlags flags = Qt::Window);
    ~MainWindow() override;

    // The one main window; null before its construction and after its destruction.
    static MainWindow* get_main_window_inst();

    // The active document view, or null.
    MDIWindow* activeWindow() const;
    void setActiveWindow(MDIWindow* view);
    void addWindow(MDIWindow* view);
    void removeWindow(MDIWindow* view);
    bool hasWindow(MDIWindow* view) const;
    // A view's title or modified state changed.
    void tabChanged(MDIWindow* view);
    QList<QWidget*> get_windows(QMdiArea::WindowOrder order = QMdiArea::CreationOrder) const;
    // The tabbed document area, the central widget.
    DocumentArea* mdiArea() const;

    // Handed by each 3D view to its displayable manager.
    pmFwm::EntitySelectionData* getEntitySelData() const;
    // Non-null: the viewers toolbar follows the current project's scene.
    void setMrmlScene(vtkMRMLScene* scene);
    QMenu* make_popup_menu();

    void begin_splash_window();
    void end_splash_window();
    QPixmap get_splash_pixmap() const;
    void loadAppQtSettings();
    void saveAppQtSettings();

    // Console text posted by the status-bar observer (event type 1000).
    void user_defined_event(QEvent* event);
    // Opens a help reference that names a scheme in the desktop's handler.
    void showDocumentation(const QString& reference);
    // A dialog that closed leaves no window active where no window manager hands the
    // activation back: this window takes it, and with it the keyboard where it was.
    void takeBackActivation();

    // Copy and paste of project objects.  The mime data of the tree selection, owned by
    // the caller (null when nothing is selected); whether mime data can be pasted; the
    // paste into the current project (a new one when there is none).
    QMimeData* createMimeDataFromSelection() const;
    bool canInsertFromMimeData(const QMimeData* mime) const;
    void insertFromMimeData(const QMimeData* mime);

    // True from a close until it is refused (its question is open meanwhile), and for
    // good once it went through: files handed over then are not taken.
    bool is_closing() const;

Q_SIGNALS:
    void timeEvent();
    void windowStateChanged(Gui::MDIWindow* view);
    void workbenchActivated(const QString& name);
    void mainWindowClosed();

public Q_SLOTS:
    // Kind 1: the message label for 5000 ms; kind 2: the small status label.
    void set_statusbar_text(int kind, const QString& text);
    void arrange_subwindows();
    void tile();
    void cascade();
    void close_current_window();
    void close_selected_window();
    void close_all_windows();
    void set_next_window_current();
    void set_last_window_current();
    void activate_simmodule(const QString& name);
    void get_action_info();
    void switch_to_toplevel_mode();
    void swtich_to_docked_mode();
    void display_message(const QString& text, int timeout);
    void display_message(const QString& text);
    void slotProcessOutput(const QString& project, const QString& text);
    void on_set_current_sub_window(QWidget* window);
    void activate_sub_window(QMdiSubWindow* window);
    void tabCloseRequested(int index);
    void before_display_window_menu();
    void before_display_toolbar_menu();
    void before_display_dockwindow_menu();
    // The activation check: at most every 300 ms, never within 251 ms of the last one,
    // never while the window is hidden.
    void update_all_actions();
    void showMainWindow();
    void delayedStartup();
    void processMessages(const QList<QByteArray>& messages);
    void settingUpdated(Vexil::PM_SETTING id);

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void customEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void writeWindowSettings();
    struct Private;
    std::unique_ptr<Private> d;
    bool firstCheckDone = false;
    static MainWindow* instance;
};

} // namespace Gui
