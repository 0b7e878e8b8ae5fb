#pragma once
// The viewer of a 3D document view: the MRML 3D view under its controller bar, with the
// operations that pass display mode, selection modes, entity-selection data and the
// ruler's unit system to the view's displayable managers.

#include "PelmoraGuiExport.h"

#include <mrml/IVtkTypes.h>
#include <qmrml/qMRMLWidget.h>

#include <QColor>
#include <QString>

#include <memory>
#include <vector>

class QOpenGLWidget;
class qMRMLThreeDView;
class qMRMLThreeDViewControllerWidget;
class vtkCollection;
class vtkMRMLViewLogic;
class vtkMRMLViewNode;

namespace pmFwm {
class EntitySelectionData;
}

namespace Gui {

class GuiProject;
class ViewFeeder;

class PELMORAGUI_EXPORT qPelmoraThreeDWidget : public qMRMLWidget
{
    Q_OBJECT
    Q_PROPERTY(QString viewLabel READ viewLabel WRITE setViewLabel)
    Q_PROPERTY(QColor viewColor READ viewColor WRITE setViewColor)
public:
    // `shareWidget` is not used: each viewer has its own OpenGL context.
    explicit qPelmoraThreeDWidget(QWidget* parent = nullptr, QOpenGLWidget* shareWidget = nullptr);
    ~qPelmoraThreeDWidget() override;

    Q_INVOKABLE qMRMLThreeDViewControllerWidget* threeDController() const;
    Q_INVOKABLE vtkMRMLViewNode* mrmlViewNode() const;
    Q_INVOKABLE vtkMRMLViewLogic* viewLogic() const;
    Q_INVOKABLE qMRMLThreeDView* threeDView() const;
    Q_INVOKABLE void addDisplayableManager(const QString& displayableManager);
    Q_INVOKABLE void getDisplayableManagers(vtkCollection* displayableManagers);
    Q_INVOKABLE void setQuadBufferStereoSupportEnabled(bool enabled);
    Q_INVOKABLE void setViewLogics(vtkCollection* logics);

    void setViewLabel(const QString& label);
    QString viewLabel() const;
    void setViewColor(const QColor& color);
    QColor viewColor() const;

    void SetEnablePreSelection(bool enabled);

    // These reach the first 3D-view manager of the view only, at its next render.
    void VtkSetDisplayMode(int viewIndex, IVtk_DisplayMode mode);
    void VtkSetSelectionModes(const std::vector<IVtk_SelectionMode>& modes, const std::vector<bool>& on);
    void setEntitySelData(pmFwm::EntitySelectionData* data);
    // The first ruler manager only.
    void VtkSetRulerInMetric(bool metric);

    void set_project(GuiProject* project);
    GuiProject* get_project() const;
    bool has_viewfeeder(ViewFeeder* feeder) const;

public Q_SLOTS:
    void setMRMLViewNode(vtkMRMLViewNode* viewNode);

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace Gui
