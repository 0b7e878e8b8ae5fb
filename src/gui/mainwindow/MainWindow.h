#pragma once
// The single top-level window of the application.

#include "PelmoraGuiExport.h"

#include <QByteArray>
#include <QList>
#include <QMainWindow>
#include <QPixmap>

#include <memory>

class vtkMRMLScene;

namespace Gui {

class MDIWindow;

class PELMORAGUI_EXPORT MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr, Qt::WindowFlags flags = Qt::Window);
    ~MainWindow() override;

    // The one main window; null before its construction and after its destruction.
    static MainWindow* get_main_window_inst();

    void begin_splash_window();
    void end_splash_window();
    QPixmap get_splash_pixmap() const;
    void loadAppQtSettings();
    void saveAppQtSettings();
    // Told by the application object after a module became active.
    void activate_simmodule(const QString& name);
    // The active document view, or null.
    MDIWindow* activeWindow() const;
    // Non-null: the viewers toolbar follows the current project's scene.
    void setMrmlScene(vtkMRMLScene* scene);

public Q_SLOTS:
    void delayedStartup();
    void processMessages(const QList<QByteArray>& messages);
    void display_message(const QString& text, int timeout);
    void set_statusbar_text(int kind, const QString& text);

Q_SIGNALS:
    void workbenchActivated(const QString& name);
    void mainWindowClosed();

private:
    struct Private;
    std::unique_ptr<Private> d;
    static MainWindow* instance;
};

} // namespace Gui
