#include "qMRMLThreeDViewControllerWidget.h"

#include "qMRMLThreeDView.h"

#include <mrml/vtkMRMLViewLogic.h>
#include <mrml/vtkMRMLViewNode.h>

#include <vtkCollection.h>
#include <vtkSmartPointer.h>
#include <vtkWeakPointer.h>

#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QToolButton>

struct qMRMLThreeDViewControllerWidget::Private
{
    QPointer<qMRMLThreeDView> view;
    vtkWeakPointer<vtkMRMLViewNode> viewNode;
    vtkSmartPointer<vtkMRMLViewLogic> logic = vtkSmartPointer<vtkMRMLViewLogic>::New();
    vtkSmartPointer<vtkCollection> logics;
    QLabel* label = nullptr;
    QToolButton* centerButton = nullptr;
    QColor color;
    bool quadBufferStereo = false;
};

qMRMLThreeDViewControllerWidget::qMRMLThreeDViewControllerWidget(QWidget* parent)
    : qMRMLWidget(parent), d(new Private)
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 0, 2, 0);
    layout->setSpacing(2);
    d->label = new QLabel(this);
    d->label->setObjectName(QStringLiteral("ViewLabel"));
    d->label->setAutoFillBackground(true);
    d->label->setMinimumWidth(20);
    d->centerButton = new QToolButton(this);
    d->centerButton->setObjectName(QStringLiteral("CenterButton"));
    d->centerButton->setText(tr("Center"));
    d->centerButton->setToolTip(tr("Center the 3D view on the scene"));
    d->centerButton->setAutoRaise(true);
    layout->addWidget(d->label);
    layout->addWidget(d->centerButton);
    layout->addStretch(1);
    connect(d->centerButton, &QToolButton::clicked, this, [this] {
        if (d->view)
            d->view->resetFocalPoint();
    });
}

qMRMLThreeDViewControllerWidget::~qMRMLThreeDViewControllerWidget()
{
    if (d->logics)
        d->logics->RemoveItem(d->logic);
}

void qMRMLThreeDViewControllerWidget::setThreeDView(qMRMLThreeDView* view)
{
    d->view = view;
}

qMRMLThreeDView* qMRMLThreeDViewControllerWidget::threeDView() const
{
    return d->view;
}

vtkMRMLViewNode* qMRMLThreeDViewControllerWidget::mrmlViewNode() const
{
    return d->viewNode;
}

void qMRMLThreeDViewControllerWidget::setViewLabel(const QString& label)
{
    d->label->setText(label);
}

QString qMRMLThreeDViewControllerWidget::viewLabel() const
{
    return d->label->text();
}

void qMRMLThreeDViewControllerWidget::setViewColor(const QColor& color)
{
    d->color = color;
    QPalette palette = d->label->palette();
    palette.setColor(QPalette::Window, color);
    d->label->setPalette(palette);
}

QColor qMRMLThreeDViewControllerWidget::viewColor() const
{
    return d->color;
}

void qMRMLThreeDViewControllerWidget::setViewLogics(vtkCollection* logics)
{
    if (d->logics == logics)
        return;
    if (d->logics)
        d->logics->RemoveItem(d->logic);
    d->logics = logics;
    if (logics)
        logics->AddItem(d->logic);
}

vtkMRMLViewLogic* qMRMLThreeDViewControllerWidget::viewLogic() const
{
    return d->logic;
}

void qMRMLThreeDViewControllerWidget::setQuadBufferStereoSupportEnabled(bool enabled)
{
    d->quadBufferStereo = enabled;
}

bool qMRMLThreeDViewControllerWidget::isQuadBufferStereoSupportEnabled() const
{
    return d->quadBufferStereo;
}

void qMRMLThreeDViewControllerWidget::setMRMLScene(vtkMRMLScene* scene)
{
    d->logic->SetMRMLScene(scene);
    qMRMLWidget::setMRMLScene(scene);
}

void qMRMLThreeDViewControllerWidget::setMRMLViewNode(vtkMRMLViewNode* viewNode)
{
    d->viewNode = viewNode;
    d->logic->SetViewNode(viewNode);
}
