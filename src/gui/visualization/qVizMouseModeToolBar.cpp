#include "qVizMouseModeToolBar.h"

#include "core/GuiProject.h"
#include "core/qPelmoraApplication.h"
#include "visualization/qPelmoraThreeDWidget.h"
#include "visualization/qView3DMRML.h"

#include <ctk/ctkVTKObjectEventsObserver.h>
#include <mrml/vtkMRMLInteractionNode.h>
#include <mrml/vtkMRMLScene.h>
#include <mrml/vtkMRMLSelectionNode.h>
#include <mrml/vtkMRMLViewNode.h>
#include <mrml/vtkVizApplicationLogic.h>
#include <qmrml/qMRMLThreeDView.h>

#include <vtkCommand.h>
#include <vtkSmartPointer.h>
#include <vtkWeakPointer.h>

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QPixmap>
#include <QToolButton>
#include <QtDebug>

struct qVizMouseModeToolBar::Private
{
    ctkVTKObjectEventsObserver* observer = nullptr;
    vtkSmartPointer<vtkMRMLScene> scene;
    vtkSmartPointer<vtkVizApplicationLogic> logic;
    vtkWeakPointer<vtkMRMLInteractionNode> interaction;
    QToolButton* button = nullptr;
    QMenu* menu = nullptr;
    QAction* persistent = nullptr;
    QActionGroup* placeGroup = nullptr;
    QString defaultPlaceClassName = QStringLiteral("vtkMRMLMarkupsFiducialNode");

    vtkMRMLSelectionNode* selectionNode() const { return logic ? logic->GetSelectionNode() : nullptr; }
};

qVizMouseModeToolBar::qVizMouseModeToolBar(QWidget* parent)
    : QToolBar(parent), d(new Private)
{
    init();
}

qVizMouseModeToolBar::qVizMouseModeToolBar(const QString& title, QWidget* parent)
    : QToolBar(title, parent), d(new Private)
{
    init();
}

qVizMouseModeToolBar::~qVizMouseModeToolBar() = default;

void qVizMouseModeToolBar::init()
{
    d->observer = new ctkVTKObjectEventsObserver(this);
    d->placeGroup = new QActionGroup(this);
    d->placeGroup->setExclusive(true);

    d->persistent = new QAction(tr("Persistent"), this);
    d->persistent->setCheckable(true);
    d->persistent->setChecked(false);
    d->persistent->setToolTip(tr("Switch between single place and persistent place modes."));
    connect(d->persistent, &QAction::triggered, this, &qVizMouseModeToolBar::setPersistence);

    d->menu = new QMenu(tr("Create and Place"), this);
    d->menu->setObjectName(QStringLiteral("CreateAndPlaceMenu"));
    d->menu->addAction(d->persistent);
    d->menu->addSeparator();
    d->menu->addSeparator();

    d->button = new QToolButton(this);
    d->button->setObjectName(QStringLiteral("CreateAndPlaceToolButton"));
    d->button->setToolButtonStyle(Qt::ToolButtonIconOnly);
    d->button->setToolTip(tr("Create and Place"));
    d->button->setText(tr("Place"));
    d->button->setMenu(d->menu);
    d->button->setPopupMode(QToolButton::MenuButtonPopup);
    addWidget(d->button);
    connect(this, &QToolBar::toolButtonStyleChanged, d->button, &QToolButton::setToolButtonStyle);
    setEnabled(false);
}

vtkMRMLInteractionNode* qVizMouseModeToolBar::interactionNode() const
{
    return d->interaction;
}

QString qVizMouseModeToolBar::defaultPlaceClassName() const
{
    return d->defaultPlaceClassName;
}

void qVizMouseModeToolBar::setDefaultPlaceClassName(const QString& className)
{
    d->defaultPlaceClassName = className;
}

QString qVizMouseModeToolBar::activeActionText() const
{
    return d->button->defaultAction() ? d->button->defaultAction()->text() : QString();
}

QAction* qVizMouseModeToolBar::actionFromPlaceNodeClassName(QString className, QMenu* menu) const
{
    if (!menu)
        return nullptr;
    for (QAction* action : menu->actions())
        if (action->objectName() == className)
            return action;
    return nullptr;
}

void qVizMouseModeToolBar::setApplicationLogic(vtkVizApplicationLogic* logic)
{
    d->logic = logic;
}

void qVizMouseModeToolBar::setMRMLScene(vtkMRMLScene* scene)
{
    if (d->scene == scene)
        return;
    d->observer->addConnection(d->scene, scene, vtkMRMLScene::StartBatchProcessEvent, this,
                               SLOT(onMRMLSceneStartBatchProcess()));
    d->observer->addConnection(d->scene, scene, vtkMRMLScene::EndBatchProcessEvent, this,
                               SLOT(onMRMLSceneEndBatchProcess()));
    d->scene = scene;
    setInteractionNode(d->logic && scene ? d->logic->GetInteractionNode() : nullptr);
    if (vtkMRMLSelectionNode* selection = d->selectionNode()) {
        d->observer->addConnection(selection, vtkMRMLSelectionNode::ActivePlaceNodeClassNameChangedEvent,
                                   this, SLOT(updateWidgetFromSelectionNode()));
        d->observer->addConnection(selection, vtkMRMLSelectionNode::PlaceNodeClassNameListModifiedEvent,
                                   this, SLOT(onPlaceNodeClassNameListModifiedEvent()));
    }
    setEnabled(scene != nullptr);
    updateWidgetFromSelectionNode();
    updateWidgetFromInteractionNode();
}

void qVizMouseModeToolBar::setInteractionNode(vtkMRMLInteractionNode* node)
{
    if (d->interaction == node)
        return;
    d->observer->addConnection(d->interaction, node, vtkCommand::ModifiedEvent, this,
                               SLOT(updateWidgetFromInteractionNode()));
    d->interaction = node;
}

void qVizMouseModeToolBar::onMRMLSceneStartBatchProcess()
{
    setEnabled(false);
}

void qVizMouseModeToolBar::onMRMLSceneEndBatchProcess()
{
    setEnabled(true);
    setInteractionNode(d->logic ? d->logic->GetInteractionNode() : nullptr);
    updateWidgetFromSelectionNode();
    updateWidgetFromInteractionNode();
}

void qVizMouseModeToolBar::onActivePlaceNodeClassNameChangedEvent()
{
    updateWidgetFromSelectionNode();
}

void qVizMouseModeToolBar::onPlaceNodeClassNameListModifiedEvent()
{
    updateWidgetFromSelectionNode();
}

void qVizMouseModeToolBar::updateWidgetFromSelectionNode()
{
    vtkMRMLSelectionNode* selection = d->selectionNode();
    if (!selection) {
        qDebug() << "Mouse Mode ToolBar: no selection node";
        return;
    }
    for (QAction* action : d->menu->actions()) {
        const QString text = action->text();
        if (text.isEmpty() || text == QLatin1String("&Rotate") || action == d->persistent)
            continue;
        if (selection->PlaceNodeClassNameInList(action->data().toString().toUtf8().constData()) < 0) {
            d->placeGroup->removeAction(action);
            d->menu->removeAction(action);
            if (d->button->defaultAction() == action)
                d->button->setDefaultAction(nullptr);
            action->deleteLater();
        }
    }
    QString active = QString::fromUtf8(selection->GetActivePlaceNodeClassName());
    if (active.isEmpty())
        active = d->defaultPlaceClassName;
    for (int i = 0; i < selection->GetNumberOfPlaceNodeClassNamesInList(); ++i) {
        const QString className = QString::fromStdString(selection->GetPlaceNodeClassNameByIndex(i));
        const QString resource = QString::fromStdString(selection->GetPlaceNodeResourceByIndex(i));
        const QString iconName = QString::fromStdString(selection->GetPlaceNodeIconNameByIndex(i));
        QAction* action = actionFromPlaceNodeClassName(className, d->menu);
        if (!action) {
            action = new QAction(d->menu);
            action->setObjectName(className);
            const QIcon icon(resource);
            if (icon.isNull())
                qCritical() << "qVizMouseModeToolBarPrivate::updateWidgetFromSelectionNode - "
                               "New action icon for class name "
                            << className << "is null. "
                                            "Resource:"
                            << resource;
            action->setIcon(icon);
            action->setText(iconName);
            action->setIconText(iconName);
            action->setToolTip(QStringLiteral("Use mouse to Create-and-Place ") + iconName);
            action->setData(className);
            action->setCheckable(true);
            connect(action, &QAction::triggered, this, &qVizMouseModeToolBar::switchPlaceMode);
            d->menu->insertAction(d->menu->actions().last(), action);
            d->placeGroup->addAction(action);
        }
        if (className == active && d->button->defaultAction() != action) {
            d->button->setDefaultAction(action);
            updateWidgetFromInteractionNode();
        }
    }
}

void qVizMouseModeToolBar::updateWidgetFromInteractionNode()
{
    vtkMRMLInteractionNode* interaction = d->interaction;
    if (!interaction) {
        qDebug() << "Mouse Mode ToolBar: no interaction node";
        return;
    }
    d->persistent->setChecked(interaction->GetPlaceModePersistence() != 0);
    switch (interaction->GetCurrentInteractionMode()) {
    case vtkMRMLInteractionNode::Place: {
        vtkMRMLSelectionNode* selection = d->selectionNode();
        showPlacing(selection ? QString::fromUtf8(selection->GetActivePlaceNodeClassName()) : QString());
        break;
    }
    case vtkMRMLInteractionNode::ViewTransform:
        changeCursorTo(QCursor(Qt::ArrowCursor));
        switchToViewTransformMode();
        break;
    default:
        qWarning() << "qVizMouseModeToolBarPrivate::updateWidgetFromMRML - unhandled MouseMode:"
                   << interaction->GetCurrentInteractionMode();
        break;
    }
}

void qVizMouseModeToolBar::showPlacing(const QString& className)
{
    QAction* action = actionFromPlaceNodeClassName(className, d->menu);
    if (action)
        action->setChecked(true);
    if (vtkMRMLSelectionNode* selection = d->selectionNode()) {
        const QString resource = QString::fromStdString(
            selection->GetPlaceNodeResourceByClassName(className.toUtf8().constData()));
        changeCursorTo(QCursor(QPixmap(resource), -1, 0));
    } else if (action) {
        const QList<QSize> sizes = action->icon().availableSizes();
        const QSize size = sizes.isEmpty() ? QSize(32, 32) : sizes.first();
        changeCursorTo(QCursor(action->icon().pixmap(size), -1, -1));
    }
}

void qVizMouseModeToolBar::switchPlaceMode()
{
    QAction* action = d->menu->activeAction();
    if (!action)
        action = d->placeGroup->checkedAction();
    setPlaceMode(action ? action->data().toString() : QString());
}

void qVizMouseModeToolBar::setPlaceMode(const QString& className)
{
    if (!d->logic) {
        qWarning() << "Mouse Mode Tool Bar not set up with application logic";
        return;
    }
    if (className.isEmpty()) {
        qCritical() << "qVizMouseModeToolBar::switchPlaceMode: could not get active place node menu item!";
        return;
    }
    vtkMRMLSelectionNode* selection = d->selectionNode();
    if (!selection) {
        qCritical() << "qVizMouseModeToolBar::switchPlaceMode: unable to get selection node";
        return;
    }
    const QString previous = QString::fromUtf8(selection->GetActivePlaceNodeClassName());
    selection->SetActivePlaceNodeClassName(className.toUtf8().constData());
    vtkMRMLInteractionNode* interaction = d->interaction;
    if (!interaction) {
        qCritical() << "qVizMouseModeToolBar::switchPlaceMode: unable to get interaction node";
        return;
    }
    if (interaction->GetCurrentInteractionMode() == vtkMRMLInteractionNode::Place && previous == className) {
        switchToViewTransformMode();
        return;
    }
    if (d->persistent->isChecked())
        interaction->SwitchToPersistentPlaceMode();
    else
        interaction->SwitchToSinglePlaceMode();
}

void qVizMouseModeToolBar::switchToViewTransformMode()
{
    if (!d->logic) {
        qWarning() << "Mouse Mode Tool Bar not set up with application logic";
        return;
    }
    vtkMRMLInteractionNode* interaction = d->interaction;
    if (!interaction)
        return;
    interaction->SwitchToViewTransformMode();
    d->button->setChecked(false);
    for (QAction* action : d->menu->actions())
        if (!action->text().isEmpty() && action->text() != tr("Persistent"))
            action->setChecked(false);
}

void qVizMouseModeToolBar::setPersistence(bool persistent)
{
    if (!d->interaction) {
        qWarning() << "qVizMouseModeToolBar::setPersistence"
                      ": no interaction node found to toggle.";
        return;
    }
    d->interaction->SetPlaceModePersistence(persistent ? 1 : 0);
}

void qVizMouseModeToolBar::changeCursorTo(QCursor cursor)
{
    Gui::qPelmoraApplication* app = Gui::qPelmoraApplication::application();
    if (!app) {
        qWarning() << "changeCursorTo: can't get a qVizApplication";
        return;
    }
    Gui::GuiProject* project = app->get_current_project();
    auto* view = project ? qobject_cast<Gui::qView3DMRML*>(project->getActiveView()) : nullptr;
    if (!view || !view->getViewer())
        return;
    qMRMLThreeDView* threeD = view->getViewer()->threeDView();
    vtkMRMLViewNode* node = threeD->mrmlViewNode();
    if (node && node->GetVisibility() && threeD->mrmlScene() == d->scene.Get())
        threeD->setCursor(cursor);
}
