#pragma once
// The 3D document view of a project: shows the project's MRML scene through one
// qPelmoraThreeDWidget, switches the scene's interaction mode (place, view transform,
// select), decides which kinds of entity can be picked, and prints its picture.

#include "mainwindow/MDIWindow.h"

#include <mrml/IVtkTypes.h>
#include <pmfwm/EntitySelectionData.h>
#include <vexil/Observer.h>
#include <vexil/PreferenceManager.h>

#include <QStringList>

#include <map>
#include <vector>

QT_BEGIN_NAMESPACE
class QCursor;
class QOpenGLWidget;
class QPrinter;
class QShowEvent;
class QTimer;
class QToolBar;
QT_END_NAMESPACE

class vtkCollection;
class vtkMRMLAbstractViewNode;
class vtkMRMLInteractionNode;
class vtkMRMLScene;

namespace Gui {

class qPelmoraThreeDWidget;
class ToolBarGadget;

class PELMORAGUI_EXPORT qView3DMRML : public MDIWindow, public Vexil::ObserverPattern<const char*>
{
    Q_OBJECT
    VEXIL_TYPESYSTEM_HEADER();
public:
    // `shared`: the OpenGL widget of another 3D view of the project; not kept.
    qView3DMRML(GuiProject* project, QWidget* parent = nullptr, QOpenGLWidget* shared = nullptr,
                Qt::WindowFlags flags = Qt::WindowFlags());
    ~qView3DMRML() override;

    Q_INVOKABLE void dump(const char* filename);
    Q_INVOKABLE void settingUpdated(Vexil::PM_SETTING setting);
    Q_INVOKABLE void stop_animation();

    // Viewer.  A view that has not been on screen yet has none: createThreeDWidget only
    // prepares it, and it is built when the view is first shown or first asked for here.
    // Thousands of projects whose views stay in hidden tabs then cost little.
    qPelmoraThreeDWidget* getViewer() const;
    qPelmoraThreeDWidget* viewWidget() const { return getViewer(); }
    qPelmoraThreeDWidget* viewWidget(int) const { return getViewer(); }
    // Whether the viewer is built; asking this builds nothing.
    bool hasViewer() const { return viewer != nullptr; }
    void setViewer(qPelmoraThreeDWidget* widget) { viewer = widget; }
    void setMRMLScene(vtkMRMLScene* scene);
    vtkMRMLScene* mrmlScene() const;
    vtkCollection* viewLogics() const { return logics; }
    void setViewLogics(vtkCollection* collection);
    void createThreeDWidget();
    qPelmoraThreeDWidget* createViewFromNode(vtkMRMLAbstractViewNode* node);
    void setViewerVisiable(bool visible);
    // The OpenGL widget that a further 3D view of the same project is given; null until
    // the view has a viewer.
    QOpenGLWidget* sharedGLWidget() const;

    // Interaction modes of the scene (or of the given interaction node).
    bool StartPlaceMode(const char* className, bool persistent, vtkMRMLInteractionNode* node = nullptr);
    void EndPlaceMode(vtkMRMLInteractionNode* node = nullptr);
    void StartSelectMode(vtkMRMLInteractionNode* node = nullptr);
    void EndSelectMode(vtkMRMLInteractionNode* node = nullptr);

    // Selection and display.
    void setCanSelect(const std::vector<pmFwm::pmShapeEntityType>& types);
    bool canSelect(pmFwm::pmShapeEntityType type) const;
    bool isSameSelects(const std::vector<pmFwm::pmShapeEntityType>& types) const;
    void resetCanSelect() { selectTypes.clear(); }
    const std::vector<pmFwm::pmShapeEntityType>& selectableTypes() const { return selectTypes; }
    bool getSelectionModesFromCommands(std::vector<IVtk_SelectionMode>& modes, std::vector<bool>& flags) const;
    IVtk_DisplayMode getDisplayModeFromCommand() const;
    void VtkSetSelectionMode(const std::map<IVtk_SelectionMode, bool>& modes);
    void ResetSelection();
    void SetEnablePreSelection(bool enabled);

    // Messages and printing.
    const char* get_name() const { return "qView3DMRML"; }
    bool has_message_handler(const char* name) override;
    bool message_handler(const char* name, const char** reply) override;
    void print() override;
    void print_preview() override;
    void print_pdf_file() override {}
    // The picture that print(QPrinter*) draws: the viewer's current frame.
    QImage printImage() const;

    int viewCount() const { return 1; }
    bool has_clipping_plane() const { return false; }
    bool setCamera(const char*) { return true; }
    void updateBackgroundColors() {}
    void user_defined_event() {}
    void on_renamed() {}
    void update_view() override {}
    void viewAll() override {}
    void toggle_clipping_plane() {}
    void on_modify(Vexil::Subject<const char*>&, const char*) override {}

    void setCurrentViewMode(ViewMode mode) override;
    void setupToolBar(ToolBarGadget* item);
    QList<QToolBar*> toolBars() const;
    const QStringList& toolBarNames() const { return toolBarNameList; }
    bool eventFilter(QObject* watched, QEvent* event) override;
    // The view settings 33 to 38 as last read.
    const std::vector<QString>& viewSettings() const { return settings; }

public Q_SLOTS:
    void print(QPrinter* printer) override;
    void setOverrideCursor(const QCursor&) override {}
    void restoreOverrideCursor() override {}
    void windowStateChanged(Gui::MDIWindow* view) override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void focusInEvent(QFocusEvent*) override {}

private:
    // Builds the viewer that createThreeDWidget prepared, once.
    void buildViewer();
    void readViewSettings();
    // Pre-selection, selection highlighting and their colours from the preferences.
    void applyHighlightPreferences();

    qPelmoraThreeDWidget* viewer = nullptr;
    // createThreeDWidget ran and the viewer waits to be built.
    bool viewerPrepared = false;
    // The selection modes of the last setCanSelect, for a viewer built after it.
    std::map<IVtk_SelectionMode, bool> canSelectModes;
    vtkMRMLScene* scene = nullptr;
    vtkCollection* logics = nullptr;
    QTimer* animationTimer = nullptr;
    QStringList toolBarNameList;
    std::vector<pmFwm::pmShapeEntityType> selectTypes;
    std::vector<QString> settings;
};

} // namespace Gui
