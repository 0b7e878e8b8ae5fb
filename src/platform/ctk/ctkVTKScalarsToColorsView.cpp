#include "ctkVTKScalarsToColorsView.h"

#include <vtkColorTransferFunction.h>
#include <vtkSmartPointer.h>

#include <QPainter>

#include <vector>

struct ctkVTKScalarsToColorsView::Private
{
    double bounds[4] = {0, 1, 0, 1};
    struct Plot
    {
        vtkSmartPointer<vtkColorTransferFunction> function;
        bool editable = true;
    };
    std::vector<Plot> plots;
};

ctkVTKScalarsToColorsView::ctkVTKScalarsToColorsView(QWidget* parent)
    : QWidget(parent)
    , d(std::make_unique<Private>())
{
    setMinimumHeight(40);
}

ctkVTKScalarsToColorsView::~ctkVTKScalarsToColorsView() = default;

void ctkVTKScalarsToColorsView::setValidBounds(const double bounds[4])
{
    for (int i = 0; i < 4; ++i)
        d->bounds[i] = bounds[i];
    update();
}

void ctkVTKScalarsToColorsView::validBounds(double bounds[4]) const
{
    for (int i = 0; i < 4; ++i)
        bounds[i] = d->bounds[i];
}

void ctkVTKScalarsToColorsView::addColorTransferFunction(vtkColorTransferFunction* function, bool editable)
{
    d->plots.push_back({function, editable});
    update();
}

void ctkVTKScalarsToColorsView::setColorTransferFunctionToPlots(vtkColorTransferFunction* function)
{
    for (auto& plot : d->plots)
        plot.function = function;
    update();
}

int ctkVTKScalarsToColorsView::plotCount() const
{
    return static_cast<int>(d->plots.size());
}

vtkColorTransferFunction* ctkVTKScalarsToColorsView::colorTransferFunction(int plot) const
{
    return plot >= 0 && plot < plotCount() ? d->plots[static_cast<size_t>(plot)].function.GetPointer() : nullptr;
}

void ctkVTKScalarsToColorsView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().base());
    for (const auto& plot : d->plots) {
        vtkColorTransferFunction* f = plot.function;
        if (!f || f->GetSize() == 0)
            continue;
        const double* range = f->GetRange();
        const int w = qMax(1, width());
        for (int x = 0; x < w; ++x) {
            double rgb[3];
            f->GetColor(range[0] + (range[1] - range[0]) * x / qMax(1, w - 1), rgb);
            painter.setPen(QColor::fromRgbF(rgb[0], rgb[1], rgb[2]));
            painter.drawLine(x, 0, x, height());
        }
    }
}
