#include "ctkVTKScalarsToColorsWidget.h"

#include "ctkVTKScalarsToColorsView.h"

#include <QVBoxLayout>

ctkVTKScalarsToColorsWidget::ctkVTKScalarsToColorsWidget(QWidget* parent)
    : QWidget(parent)
    , plotView(new ctkVTKScalarsToColorsView(this))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(plotView);
}

ctkVTKScalarsToColorsWidget::~ctkVTKScalarsToColorsWidget() = default;

ctkVTKScalarsToColorsView* ctkVTKScalarsToColorsWidget::view() const
{
    return plotView;
}
