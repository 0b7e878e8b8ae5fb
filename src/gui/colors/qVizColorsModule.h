#pragma once
// The colours module: creates the colour logic, registers it as the application's
// colour logic, offers the named-colour picker in colour dialogs, and makes the colours
// panel on request.

#include "PelmoraGuiExport.h"

#include <QIcon>
#include <QObject>
#include <QStringList>

#include <memory>

class qMRMLColorPickerWidget;
class qVizColorsModuleWidget;
class vtkMRMLAbstractLogic;
class vtkMRMLScene;
class vtkVizApplicationLogic;

class qVizColorsModulePrivate;

class PELMORAGUI_EXPORT qVizColorsModule : public QObject
{
    Q_OBJECT
public:
    explicit qVizColorsModule(QObject* parent = nullptr);
    ~qVizColorsModule() override;

    virtual QStringList categories() const;
    virtual QIcon icon() const;
    virtual bool isHidden() const;
    virtual QStringList associatedNodeTypes() const;

    // Stores the application logic, makes the logic and sets the module up.
    void initialize(vtkVizApplicationLogic* appLogic);
    void setAppLogic(vtkVizApplicationLogic* appLogic);
    vtkVizApplicationLogic* appLogic() const;

    // The logic, made on first call.
    Q_INVOKABLE vtkMRMLAbstractLogic* logic();
    Q_INVOKABLE vtkMRMLScene* mrmlScene() const;
    // The module's own panel, made on first call.
    qVizColorsModuleWidget* widgetRepresentation();
    qMRMLColorPickerWidget* colorPicker() const;

    QString name() const;
    void setName(const QString& name);
    QString path() const;
    void setPath(const QString& path);
    bool isBuiltIn() const;
    void setBuiltIn(bool on);
    bool isInstalled() const;
    void setInstalled(bool on);

public Q_SLOTS:
    virtual void setMRMLScene(vtkMRMLScene* scene);

protected:
    virtual void setup();
    virtual qVizColorsModuleWidget* createWidgetRepresentation();
    virtual vtkMRMLAbstractLogic* createLogic();
    qVizColorsModuleWidget* createNewWidgetRepresentation();

private:
    std::unique_ptr<qVizColorsModulePrivate> d;
};
