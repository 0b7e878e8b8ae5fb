#pragma once
// The toolbar that chooses what the mouse does in the views of an MRML scene: transform
// the view, or create and place nodes of a class from the selection node's list, once or
// persistently. It mirrors the scene's selection and interaction nodes and writes the
// user's choices back to them.

#include "PelmoraGuiExport.h"

#include <QCursor>
#include <QString>
#include <QToolBar>

#include <memory>

QT_BEGIN_NAMESPACE
class QMenu;
QT_END_NAMESPACE

class vtkMRMLInteractionNode;
class vtkMRMLScene;
class vtkVizApplicationLogic;

class PELMORAGUI_EXPORT qVizMouseModeToolBar : public QToolBar
{
    Q_OBJECT
    Q_PROPERTY(QString defaultPlaceClassName READ defaultPlaceClassName WRITE setDefaultPlaceClassName)
public:
    explicit qVizMouseModeToolBar(QWidget* parent = nullptr);
    qVizMouseModeToolBar(const QString& title, QWidget* parent = nullptr);
    ~qVizMouseModeToolBar() override;

    Q_INVOKABLE vtkMRMLInteractionNode* interactionNode() const;
    QString defaultPlaceClassName() const;
    void setDefaultPlaceClassName(const QString& className);
    // Places nodes of the class (or toggles placing off when already placing it).
    void setPlaceMode(const QString& className);
    // The text of the tool button's default action; empty when there is none.
    QString activeActionText() const;

public Q_SLOTS:
    void setApplicationLogic(vtkVizApplicationLogic* logic);
    void setMRMLScene(vtkMRMLScene* scene);
    void switchToViewTransformMode();
    void changeCursorTo(QCursor cursor);
    void switchPlaceMode();
    void setPersistence(bool persistent);
    void setInteractionNode(vtkMRMLInteractionNode* node);

protected:
    QAction* actionFromPlaceNodeClassName(QString className, QMenu* menu) const;

private Q_SLOTS:
    void onMRMLSceneStartBatchProcess();
    void onMRMLSceneEndBatchProcess();
    void updateWidgetFromSelectionNode();
    void updateWidgetFromInteractionNode();
    void onActivePlaceNodeClassNameChangedEvent();
    void onPlaceNodeClassNameListModifiedEvent();

private:
    void init();
    void showPlacing(const QString& className);
    struct Private;
    std::unique_ptr<Private> d;
};
