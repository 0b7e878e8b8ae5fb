#include "qMRMLRangeWidget.h"

#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <algorithm>
#include <functional>

namespace {

// A spin box that lets a whole number through while it is typed even when the box
// cannot take it (outside the limits, too many decimals), so that the key is not lost
// without a word: when the edit ends the box keeps its value and says why.
class RangeSpinBox : public QDoubleSpinBox
{
public:
    using QDoubleSpinBox::QDoubleSpinBox;

    std::function<void(const QString&)> onRefused;

    QValidator::State validate(QString& text, int& pos) const override
    {
        const QValidator::State state = QDoubleSpinBox::validate(text, pos);
        if (state != QValidator::Invalid)
            return state;
        bool ok = false;
        number(text, &ok);
        return ok ? QValidator::Intermediate : state;
    }

    void fixup(QString& text) const override
    {
        bool ok = false;
        const double value = number(text, &ok);
        if (ok && onRefused)
            onRefused(reasonFor(text.trimmed(), value));
        QDoubleSpinBox::fixup(text);
    }

private:
    double number(const QString& text, bool* ok) const
    {
        QString bare = text.trimmed();
        if (!prefix().isEmpty() && bare.startsWith(prefix()))
            bare.remove(0, prefix().size());
        if (!suffix().isEmpty() && bare.endsWith(suffix()))
            bare.chop(suffix().size());
        return locale().toDouble(bare.trimmed(), ok);
    }

    QString reasonFor(const QString& typed, double value) const
    {
        const QString kept = textFromValue(this->value());
        if (!(value >= minimum() && value <= maximum()))
            return qMRMLRangeWidget::tr("%1 is outside the range %2 to %3; the value stays %4.")
                .arg(typed, textFromValue(minimum()), textFromValue(maximum()), kept);
        return qMRMLRangeWidget::tr("%1 has more than %2 decimals; the value stays %3.")
            .arg(typed)
            .arg(decimals())
            .arg(kept);
    }
};

} // namespace

qMRMLRangeWidget::qMRMLRangeWidget(QWidget* parent)
    : QWidget(parent)
    , lowBox(new RangeSpinBox(this))
    , highBox(new RangeSpinBox(this))
    , message(new QLabel(this))
{
    lowBox->setObjectName(QStringLiteral("MinimumSpinBox"));
    highBox->setObjectName(QStringLiteral("MaximumSpinBox"));
    message->setObjectName(QStringLiteral("RefusalLabel"));
    message->setWordWrap(true);
    message->hide();
    for (QDoubleSpinBox* box : {lowBox, highBox}) {
        box->setDecimals(4);
        // Rewriting the box after every key put the cursor behind the reformatted value:
        // "0.5" became 0, the rest of the keys lost.
        box->setKeyboardTracking(false);
        static_cast<RangeSpinBox*>(box)->onRefused = [this](const QString& reason) { refuse(reason); };
    }
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* boxes = new QHBoxLayout();
    boxes->addWidget(lowBox);
    boxes->addWidget(highBox);
    layout->addLayout(boxes);
    layout->addWidget(message);
    connect(lowBox, QOverload<double>::of(&QDoubleSpinBox::valueChanged), this, [this](double v) {
        refuse(QString());
        setValues(v, high);
    });
    connect(highBox, QOverload<double>::of(&QDoubleSpinBox::valueChanged), this, [this](double v) {
        refuse(QString());
        setValues(low, v);
    });
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
    refuse(QString());
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

QString qMRMLRangeWidget::refusal() const
{
    return message->text();
}

void qMRMLRangeWidget::refuse(const QString& reason)
{
    if (reason == message->text())
        return;
    message->setText(reason);
    message->setVisible(!reason.isEmpty());
}
