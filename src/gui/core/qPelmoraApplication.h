#pragma once
// The one GUI application object: start-up and shutdown of the whole user interface,
// the simulation modules, and the routing of requests to the application logic.

#include "PelmoraGuiExport.h"

#include <QPixmap>
#include <QString>
#include <QStringList>

#include <memory>

class QCloseEvent;
class QMessageLogContext;
class vtkMRMLScene;
class vtkSlicerApplicationLogic;

namespace Gui {

class CommandController;
class GuiProject;
class MDIWindow;

class PELMORAGUI_EXPORT qPelmoraApplication
{
public:
    // `connectLogic`: follow the application logic and build the commands.
    explicit qPelmoraApplication(bool connectLogic);
    ~qPelmoraApplication();
    qPelmoraApplication(const qPelmoraApplication&) = delete;
    qPelmoraApplication& operator=(const qPelmoraApplication&) = delete;

    static qPelmoraApplication* application() { return _pInstance; }

    // Entry points for the host.
    static void initialize_application();
    static void execute_application();
    static void initTypes();
    static void initOpenInventor();
    static void destruct();
    static void setEnvironmentVariable(const QString& name, const QString& value);
    // True once initialize_application has registered the types.
    static bool types_initialized();

    // Simulation modules.
    bool activate_simmodule(const char* name);
    QStringList get_simmodules() const;
    QPixmap simmodule_icon(const QString& name) const;
    // Maps a module name to the class that implements it.
    static const char* simmodule_class(const char* name);

    // Start-up flag: while set, failures of module activation only reach the console.
    bool is_starting() const;
    void set_starting(bool on);

    CommandController& get_command_manager();

    // Projects and views.
    GuiProject* get_current_project() const;
    vtkMRMLScene* mrmlScene() const;
    vtkSlicerApplicationLogic* applicationLogic() const;
    void set_current_view(MDIWindow* view);
    // Asks about unsaved projects; accepts or ignores the event.
    void intend_to_close(QCloseEvent* event);

    // Opens a file with the module that handles it.
    void open(const char* fileName, const char* module);

private:
    struct Private;
    std::unique_ptr<Private> d;
    static qPelmoraApplication* _pInstance;
};

} // namespace Gui
