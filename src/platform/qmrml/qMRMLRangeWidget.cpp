#include "qMRMLRangeWidget.h"

#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QSignalBlocker>

#include <algorithm>

qMRMLRangeWidget::qMRMLRangeWidget(QWidget* parent)
    : QWidget(parent)
    , lowBox(new QDoubleSpinBox(this))
    , highBox(new QDoubleSpinBox(this))
{
    lowBox->setObjectName(QStringLiteral("MinimumSpinBox"));
    highBox->setObjectName(QStringLiteral("MaximumSpinBox"));
    for (QDoubleSpinBox* box : {lowBox, highBox})
        box->setDecimals(4);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(lowBox);
    layout->addWidget(highBox);
    connect(lowBox, QOverload<double>::of(&QDoubleSpinBox::valueChanged), this,
            [this](double v) { setValues(v, high); });
    connect(highBox, QOverload<double>::of(&QDoubleSpinBox::valueChanged), this,
            [this](double v) { setValues(low, v); });
    showValues();
}

qMRMLRangeWidget::~qMRMLRangeWidget() = default;

void qMRMLRangeWidget::setMinimum(double value)
{
    setRange(value, std::max(value, rangeMax));
}

void qMRMLRangeWidget::setMaximum(double value)
{
    setRange(std::min(value, rangeMin), value);
}

void qMRMLRangeWidget::setRange(double minimum, double maximum)
{
    rangeMin = std::min(minimum, maximum);
    rangeMax = std::max(minimum, maximum);
    setValues(low, high);
    showValues();
}

void qMRMLRangeWidget::setMinimumValue(double value)
{
    setValues(value, std::max(value, high));
}

void qMRMLRangeWidget::setMaximumValue(double value)
{
    setValues(std::min(value, low), value);
}

void qMRMLRangeWidget::setValues(double minimumValue, double maximumValue)
{
    double a = std::clamp(std::min(minimumValue, maximumValue), rangeMin, rangeMax);
    double b = std::clamp(std::max(minimumValue, maximumValue), rangeMin, rangeMax);
    if (a == low && b == high)
        return;
    low = a;
    high = b;
    showValues();
    Q_EMIT valuesChanged(low, high);
}

void qMRMLRangeWidget::setMRMLScene(vtkMRMLScene* s)
{
    scene = s;
}

void qMRMLRangeWidget::showValues()
{
    const QSignalBlocker b1(lowBox);
    const QSignalBlocker b2(highBox);
    lowBox->setRange(rangeMin, rangeMax);
    highBox->setRange(rangeMin, rangeMax);
    lowBox->setValue(low);
    highBox->setValue(high);
}
