#pragma once
// Shows colour transfer functions as colour gradients over the valid bounds of the view.

#include <QWidget>

#include <memory>

class vtkColorTransferFunction;

class ctkVTKScalarsToColorsView : public QWidget
{
    Q_OBJECT
public:
    explicit ctkVTKScalarsToColorsView(QWidget* parent = nullptr);
    ~ctkVTKScalarsToColorsView() override;

    // {x min, x max, y min, y max}: the values the plots may take.
    void setValidBounds(const double bounds[4]);
    void validBounds(double bounds[4]) const;

    // Adds a plot of the function (which may be null, an empty plot to fill later).
    void addColorTransferFunction(vtkColorTransferFunction* function, bool editable = true);
    // Every plot of a colour transfer function now shows `function`.
    void setColorTransferFunctionToPlots(vtkColorTransferFunction* function);
    int plotCount() const;
    vtkColorTransferFunction* colorTransferFunction(int plot) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    struct Private;
    std::unique_ptr<Private> d;
};
