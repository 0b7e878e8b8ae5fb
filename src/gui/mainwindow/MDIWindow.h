#pragma once
// A document view: shown as a tab of the main window's document area, as a separate
// top-level window or full screen.  Closing the last view of a project lets the project
// decide (it may ask to save).

#include "PelmoraGuiExport.h"
#include "core/ActiveObjectList.h"
#include "mainwindow/BaseView.h"

#include <QMainWindow>
#include <QMetaType>

#include <boost/signals2/connection.hpp>

QT_BEGIN_NAMESPACE
class QCursor;
class QPrinter;
QT_END_NAMESPACE

namespace Obj { class ProjectObject; }

namespace Gui {

class PELMORAGUI_EXPORT MDIWindow : public QMainWindow, public BaseView
{
    Q_OBJECT
    VEXIL_TYPESYSTEM_HEADER();
public:
    enum ViewMode { Child = 0, TopLevel = 1, FullScreen = 2 };

    MDIWindow(GuiProject* project, QWidget* parent, Qt::WindowFlags flags = Qt::WindowFlags());
    // A passive view, following the current project.
    explicit MDIWindow(QWidget* parent, Qt::WindowFlags flags = Qt::WindowFlags());
    ~MDIWindow() override;

    // Re-targets the active-object list at `project`'s deletions; the view's own
    // project is not changed.
    void setBaseView(GuiProject* project);

    bool message_handler(const char* message, const char** result) override;
    bool has_message_handler(const char* message) override;
    bool canClose() override;
    void remove_viewself() override;
    // Follows the project's label, keeping a " : N" suffix of the title.
    void on_label_changed(GuiProject* project) override;

    virtual void viewAll() {}
    virtual void print();
    virtual void print_pdf_file();
    virtual void print_preview();
    virtual void setCurrentViewMode(ViewMode mode);
    ViewMode currentViewMode() const { return viewMode; }
    // How many views are out of the document area (undocked or full screen) now.
    static int undockedViewCount();

    void setCanActivated(bool on) { canActivate = on; }
    bool canActivated() const { return canActivate; }

    void setActiveObject(Obj::ProjectObject* object, const char* name);
    bool hasActiveObject(const char* name) const;

    QSize minimumSizeHint() const override;

Q_SIGNALS:
    void message(const QString& text, int timeout);

public Q_SLOTS:
    virtual void print(QPrinter* printer);
    virtual void setOverrideCursor(const QCursor&) {}
    virtual void restoreOverrideCursor() {}
    // The main window reports state changes of its views here.
    virtual void windowStateChanged(Gui::MDIWindow* view);

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void setViewMode(ViewMode mode);
    static inline int undockedViews = 0;
    bool canActivate = true;
    ViewMode viewMode = Child;
    Qt::WindowStates savedState = Qt::WindowNoState;
    ActiveObjectList activeObjects;
    boost::signals2::connection deleteConnection;
};

} // namespace Gui

Q_DECLARE_METATYPE(Gui::MDIWindow*)
