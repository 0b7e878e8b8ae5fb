#pragma once
// A pair of values (minimum and maximum) chosen within a range, with a spin box for each.
// A number typed into a box is taken when the edit ends (Enter, Tab, leaving the box),
// not digit by digit; one the box cannot take is refused with the reason shown below
// the boxes.

#include <QWidget>

class QDoubleSpinBox;
class QLabel;
class vtkMRMLScene;

class qMRMLRangeWidget : public QWidget
{
    Q_OBJECT
public:
    explicit qMRMLRangeWidget(QWidget* parent = nullptr);
    ~qMRMLRangeWidget() override;

    double minimum() const { return rangeMin; }
    double maximum() const { return rangeMax; }
    double minimumValue() const { return low; }
    double maximumValue() const { return high; }
    // Why the last typed number was refused; empty once a value was taken since.
    QString refusal() const;
    vtkMRMLScene* mrmlScene() const { return scene; }

public Q_SLOTS:
    void setMinimum(double value);
    void setMaximum(double value);
    void setRange(double minimum, double maximum);
    void setMinimumValue(double value);
    void setMaximumValue(double value);
    // Values outside the range are clamped to it; low stays at or below high.
    void setValues(double minimumValue, double maximumValue);
    void setMRMLScene(vtkMRMLScene* scene);

Q_SIGNALS:
    void valuesChanged(double minimumValue, double maximumValue);

private:
    void showValues();
    void refuse(const QString& reason);
    double rangeMin = 0;
    double rangeMax = 99;
    double low = 0;
    double high = 99;
    QDoubleSpinBox* lowBox;
    QDoubleSpinBox* highBox;
    QLabel* message;
    vtkMRMLScene* scene = nullptr; // not owned
};
