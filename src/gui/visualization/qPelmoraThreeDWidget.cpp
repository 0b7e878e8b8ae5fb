#include "qPelmoraThreeDWidget.h"

#include <mrml/vtkMRML3DViewDisplayableManager.h>
#include <mrml/vtkMRMLDisplayableManagerGroup.h>
#include <mrml/vtkMRMLRulerDisplayableManager.h>
#include <mrml/vtkMRMLScene.h>
#include <qmrml/qMRMLThreeDView.h>
#include <qmrml/qMRMLThreeDViewControllerWidget.h>

#include <vtkCollection.h>

#include <QPointer>
#include <QVBoxLayout>

#include <set>

using namespace Gui;

struct qPelmoraThreeDWidget::Private
{
    qMRMLThreeDView* view = nullptr;
    qMRMLThreeDViewControllerWidget* controller = nullptr;
    GuiProject* project = nullptr;
    std::set<ViewFeeder*> feeders;

    template <class Manager>
    Manager* firstManager() const
    {
        vtkMRMLDisplayableManagerGroup* group = view->displayableManagerGroup();
        for (int i = 0; i < group->GetDisplayableManagerCount(); ++i)
            if (auto* m = Manager::SafeDownCast(group->GetNthDisplayableManager(i)))
                return m;
        return nullptr;
    }
};

qPelmoraThreeDWidget::qPelmoraThreeDWidget(QWidget* parent, QOpenGLWidget*)
    : qMRMLWidget(parent), d(new Private)
{
    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(0);
    layout->setContentsMargins(0, 0, 0, 0);
    d->controller = new qMRMLThreeDViewControllerWidget(this);
    d->view = new qMRMLThreeDView(this);
    d->view->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Expanding);
    layout->addWidget(d->controller);
    layout->addWidget(d->view);
    d->controller->setThreeDView(d->view);
    connect(this, &qMRMLWidget::mrmlSceneChanged, d->view, &qMRMLThreeDView::setMRMLScene);
    connect(this, &qMRMLWidget::mrmlSceneChanged, d->controller,
            &qMRMLThreeDViewControllerWidget::setMRMLScene);
}

qPelmoraThreeDWidget::~qPelmoraThreeDWidget() = default;

qMRMLThreeDViewControllerWidget* qPelmoraThreeDWidget::threeDController() const
{
    return d->controller;
}

vtkMRMLViewNode* qPelmoraThreeDWidget::mrmlViewNode() const
{
    return d->view->mrmlViewNode();
}

vtkMRMLViewLogic* qPelmoraThreeDWidget::viewLogic() const
{
    return d->controller->viewLogic();
}

qMRMLThreeDView* qPelmoraThreeDWidget::threeDView() const
{
    return d->view;
}

void qPelmoraThreeDWidget::addDisplayableManager(const QString& displayableManager)
{
    d->view->addDisplayableManager(displayableManager);
}

void qPelmoraThreeDWidget::getDisplayableManagers(vtkCollection* displayableManagers)
{
    d->view->getDisplayableManagers(displayableManagers);
}

void qPelmoraThreeDWidget::setQuadBufferStereoSupportEnabled(bool enabled)
{
    d->controller->setQuadBufferStereoSupportEnabled(enabled);
}

void qPelmoraThreeDWidget::setViewLogics(vtkCollection* logics)
{
    d->controller->setViewLogics(logics);
}

void qPelmoraThreeDWidget::setViewLabel(const QString& label)
{
    d->controller->setViewLabel(label);
}

QString qPelmoraThreeDWidget::viewLabel() const
{
    return d->controller->viewLabel();
}

void qPelmoraThreeDWidget::setViewColor(const QColor& color)
{
    d->controller->setViewColor(color);
}

QColor qPelmoraThreeDWidget::viewColor() const
{
    return d->controller->viewColor();
}

void qPelmoraThreeDWidget::SetEnablePreSelection(bool enabled)
{
    d->view->SetEnablePreSelection(enabled);
}

void qPelmoraThreeDWidget::setMRMLViewNode(vtkMRMLViewNode* viewNode)
{
    d->view->setMRMLViewNode(viewNode);
    d->controller->setMRMLViewNode(viewNode);
}

void qPelmoraThreeDWidget::VtkSetDisplayMode(int, IVtk_DisplayMode mode)
{
    if (auto* manager = d->firstManager<vtkMRML3DViewDisplayableManager>())
        manager->VtkSetDisplayMode(mode);
}

void qPelmoraThreeDWidget::VtkSetSelectionModes(const std::vector<IVtk_SelectionMode>& modes,
                                                const std::vector<bool>& on)
{
    if (auto* manager = d->firstManager<vtkMRML3DViewDisplayableManager>())
        manager->VtkSetSelectionModes(std::vector<int>(modes.begin(), modes.end()), on);
}

void qPelmoraThreeDWidget::setEntitySelData(pmFwm::EntitySelectionData* data)
{
    if (auto* manager = d->firstManager<vtkMRML3DViewDisplayableManager>())
        manager->setEntitySelData(data);
}

void qPelmoraThreeDWidget::VtkSetRulerInMetric(bool metric)
{
    if (auto* manager = d->firstManager<vtkMRMLRulerDisplayableManager>())
        manager->SetUnitInMetric(metric);
}

void qPelmoraThreeDWidget::set_project(GuiProject* project)
{
    d->project = project;
}

GuiProject* qPelmoraThreeDWidget::get_project() const
{
    return d->project;
}

bool qPelmoraThreeDWidget::has_viewfeeder(ViewFeeder* feeder) const
{
    return d->feeders.count(feeder) != 0;
}
