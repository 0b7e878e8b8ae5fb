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
};

} // namespace Gui
