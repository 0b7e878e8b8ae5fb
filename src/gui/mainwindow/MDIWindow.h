#pragma once
// A document view shown as a tab of the main window's document area.

#include "PelmoraGuiExport.h"
#include "mainwindow/BaseView.h"

#include <QMainWindow>

namespace Gui {

class PELMORAGUI_EXPORT MDIWindow : public QMainWindow, public BaseView
{
    Q_OBJECT
    VEXIL_TYPESYSTEM_HEADER();
public:
    MDIWindow(GuiProject* project, QWidget* parent, Qt::WindowFlags flags = Qt::WindowFlags());
    ~MDIWindow() override;

    // Messages a view may answer ("ViewExtents", "Save" ...).
    virtual bool message_handler(const char* message, const char** result);
    virtual bool has_message_handler(const char* message);

    // Whether the view may become the active one of the main window.
    virtual bool canActivated() { return true; }
    // 0: a tab of the main window's document area.
    virtual void setCurrentViewMode(int mode);

Q_SIGNALS:
    void message(const QString& text, int timeout);

public Q_SLOTS:
    // The main window reports state changes of its views here.
    virtual void windowStateChanged(Gui::MDIWindow* view);
};

} // namespace Gui
