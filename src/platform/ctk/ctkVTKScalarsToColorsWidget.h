#pragma once
// A scalars-to-colours view with room for its editing controls.

#include <QWidget>

class ctkVTKScalarsToColorsView;

class ctkVTKScalarsToColorsWidget : public QWidget
{
    Q_OBJECT
public:
    explicit ctkVTKScalarsToColorsWidget(QWidget* parent = nullptr);
    ~ctkVTKScalarsToColorsWidget() override;

    ctkVTKScalarsToColorsView* view() const;

private:
    ctkVTKScalarsToColorsView* plotView;
};
