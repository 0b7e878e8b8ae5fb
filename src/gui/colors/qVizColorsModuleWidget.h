#pragma once
// The colours panel: choose a colour table of a scene, see its entries, change its
// number of colours and scalar range, and show a scalar bar for it in the active 3D view.

#include "PelmoraGuiExport.h"

#include <QWidget>

#include <memory>

class vtkMRMLColorNode;
class vtkMRMLNode;
class vtkMRMLScene;
class vtkScalarBarWidget2;
class vtkScalarsToColors;
class vtkVizScalarBarActor;

class qVizColorsModuleWidgetPrivate;

class PELMORAGUI_EXPORT qVizColorsModuleWidget : public QWidget
{
    Q_OBJECT
public:
    explicit qVizColorsModuleWidget(QWidget* parent = nullptr);
    ~qVizColorsModuleWidget() override;

    // Makes a colour node current; false (and nothing changes) for other nodes.
    virtual bool setEditedNode(vtkMRMLNode* node, QString role = QString(), QString context = QString());
    Q_INVOKABLE virtual vtkScalarBarWidget2* scalarBar();
    vtkVizScalarBarActor* scalarBarActor() const;
    vtkMRMLScene* mrmlScene() const;

public Q_SLOTS:
    void setMRMLScene(vtkMRMLScene* scene);
    void setCurrentColorNode(vtkMRMLNode* node);
    void updateNumberOfColors();
    void setLookupTableRange(double min, double max);
    void copyCurrentColorNode();
    void setUseColorNameAsLabel(bool on);
    void setCenterLabel(bool on);

Q_SIGNALS:
    void mrmlSceneChanged(vtkMRMLScene* scene);

protected Q_SLOTS:
    void onMRMLColorNodeChanged(vtkMRMLNode* node);
    // The bar follows a table that the chosen node gets in place of the shown one.
    void onShownColorNodeModified();

protected:
    virtual void setup();

private:
    void selectDefaultColorNode();
    void showNodeTableOnBar(vtkMRMLColorNode* colorNode, vtkScalarsToColors* table);
    void redrawBar();
    std::unique_ptr<qVizColorsModuleWidgetPrivate> d;
};
