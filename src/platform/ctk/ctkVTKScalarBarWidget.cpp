#include "ctkVTKScalarBarWidget.h"

#include "ctkVTKObjectEventsObserver.h"

#include <vtkCommand.h>
#include <vtkRenderWindowInteractor.h>
#include <vtkScalarBarActor.h>
#include <vtkScalarBarWidget.h>
#include <vtkSmartPointer.h>

#include <QCheckBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QSpinBox>

struct ctkVTKScalarBarWidget::Private
{
    vtkSmartPointer<vtkScalarBarWidget> widget;
    ctkVTKObjectEventsObserver observer;
    QCheckBox* display = nullptr;
    QLineEdit* title = nullptr;
    QSpinBox* labels = nullptr;
    QLineEdit* format = nullptr;
};

ctkVTKScalarBarWidget::ctkVTKScalarBarWidget(QWidget* parent)
    : QWidget(parent)
    , d(std::make_unique<Private>())
{
    auto* layout = new QFormLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    d->display = new QCheckBox(this);
    d->display->setObjectName(QStringLiteral("DisplayScalarBarCheckBox"));
    d->title = new QLineEdit(this);
    d->title->setObjectName(QStringLiteral("TitleTextLineEdit"));
    d->labels = new QSpinBox(this);
    d->labels->setObjectName(QStringLiteral("NumberOfLabelsSpinBox"));
    d->labels->setRange(0, 64);
    d->format = new QLineEdit(this);
    d->format->setObjectName(QStringLiteral("LabelsFormatLineEdit"));
    layout->addRow(tr("Display scalar bar:"), d->display);
    layout->addRow(tr("Title:"), d->title);
    layout->addRow(tr("Number of labels:"), d->labels);
    layout->addRow(tr("Label format:"), d->format);
    connect(d->display, &QCheckBox::toggled, this, &ctkVTKScalarBarWidget::setDisplay);
    connect(d->title, &QLineEdit::textEdited, this, &ctkVTKScalarBarWidget::setTitle);
    connect(d->labels, QOverload<int>::of(&QSpinBox::valueChanged), this, &ctkVTKScalarBarWidget::setNumberOfLabels);
    connect(d->format, &QLineEdit::editingFinished, this, [this] { setLabelsFormat(d->format->text()); });
    setEnabled(false);
}

ctkVTKScalarBarWidget::~ctkVTKScalarBarWidget() = default;

vtkScalarBarWidget* ctkVTKScalarBarWidget::scalarBarWidget() const
{
    return d->widget;
}

void ctkVTKScalarBarWidget::setScalarBarWidget(vtkScalarBarWidget* widget)
{
    if (d->widget.GetPointer() == widget)
        return;
    d->observer.removeAllConnections();
    d->widget = widget;
    if (widget) {
        d->observer.addConnection(widget, vtkCommand::EnableEvent, this, SLOT(updateFromScalarBarWidget()));
        d->observer.addConnection(widget, vtkCommand::DisableEvent, this, SLOT(updateFromScalarBarWidget()));
        if (widget->GetScalarBarActor())
            d->observer.addConnection(widget->GetScalarBarActor(), vtkCommand::ModifiedEvent, this,
                                      SLOT(updateFromScalarBarWidget()));
    }
    setEnabled(widget != nullptr);
    updateFromScalarBarWidget();
}

bool ctkVTKScalarBarWidget::display() const
{
    return d->widget && d->widget->GetEnabled();
}

QString ctkVTKScalarBarWidget::title() const
{
    vtkScalarBarActor* actor = d->widget ? d->widget->GetScalarBarActor() : nullptr;
    return actor && actor->GetTitle() ? QString::fromUtf8(actor->GetTitle()) : QString();
}

int ctkVTKScalarBarWidget::numberOfLabels() const
{
    vtkScalarBarActor* actor = d->widget ? d->widget->GetScalarBarActor() : nullptr;
    return actor ? actor->GetNumberOfLabels() : 0;
}

QString ctkVTKScalarBarWidget::labelsFormat() const
{
    vtkScalarBarActor* actor = d->widget ? d->widget->GetScalarBarActor() : nullptr;
    return actor && actor->GetLabelFormat() ? QString::fromUtf8(actor->GetLabelFormat()) : QString();
}

void ctkVTKScalarBarWidget::setDisplay(bool visible)
{
    if (!d->widget)
        return;
    if (d->widget->GetInteractor())
        d->widget->SetEnabled(visible ? 1 : 0);
    updateFromScalarBarWidget();
    Q_EMIT modified();
}

void ctkVTKScalarBarWidget::setTitle(const QString& title)
{
    vtkScalarBarActor* actor = d->widget ? d->widget->GetScalarBarActor() : nullptr;
    if (!actor)
        return;
    actor->SetTitle(title.toUtf8().constData());
    Q_EMIT modified();
}

void ctkVTKScalarBarWidget::setNumberOfLabels(int count)
{
    vtkScalarBarActor* actor = d->widget ? d->widget->GetScalarBarActor() : nullptr;
    if (!actor)
        return;
    actor->SetNumberOfLabels(count);
    Q_EMIT modified();
}

void ctkVTKScalarBarWidget::setLabelsFormat(const QString& format)
{
    vtkScalarBarActor* actor = d->widget ? d->widget->GetScalarBarActor() : nullptr;
    if (!actor)
        return;
    actor->SetLabelFormat(format.toUtf8().constData());
    Q_EMIT modified();
}

void ctkVTKScalarBarWidget::updateFromScalarBarWidget()
{
    const QSignalBlocker b1(d->display);
    const QSignalBlocker b2(d->title);
    const QSignalBlocker b3(d->labels);
    const QSignalBlocker b4(d->format);
    d->display->setChecked(display());
    if (!d->title->hasFocus())
        d->title->setText(title());
    d->labels->setValue(numberOfLabels());
    if (!d->format->hasFocus())
        d->format->setText(labelsFormat());
}
