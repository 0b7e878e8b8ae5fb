#include "QuantitySpinBox.h"

#include "PropertyItem.h"

#include <vexil/Exception.h>

#include <QFocusEvent>
#include <QLineEdit>
#include <QToolTip>

#include <algorithm>
#include <cfloat>

namespace Gui {

class QuantitySpinBoxPrivate
{
public:
    QLocale locale;
    bool validInput = true;
    QString validStr;
    pmUnit::Quantity quantity;
    pmUnit::UnitType unit = pmUnit::NoUnit;
    pmUnit::pmQuantity quantityKind = pmUnit::Dimensionless;
    double lastValue = 0.0;
    QString unitStr;
    double maximum = DBL_MAX;
    double minimum = -DBL_MAX;
    double singleStep = 1.0;
};

QuantitySpinBox::QuantitySpinBox(QWidget* parent)
    : QAbstractSpinBox(parent)
    , d(new QuantitySpinBoxPrivate)
{
    d->locale = locale();
    setContextMenuPolicy(Qt::DefaultContextMenu);
    connect(lineEdit(), SIGNAL(textChanged(QString)), this, SLOT(userInput(QString)));
}

QuantitySpinBox::~QuantitySpinBox() = default;

pmUnit::Quantity QuantitySpinBox::value() const { return d->quantity; }
double QuantitySpinBox::rawValue() const { return d->quantity.getValue(); }
pmUnit::UnitType QuantitySpinBox::unit() const { return d->unit; }
pmUnit::pmQuantity QuantitySpinBox::quantity() const { return d->quantityKind; }
QString QuantitySpinBox::unitText() const { return d->unitStr; }
void QuantitySpinBox::setUnitText(const QString& text) { d->unitStr = text; }
double QuantitySpinBox::minimum() const { return d->minimum; }
void QuantitySpinBox::setMinimum(double value) { d->minimum = value; }
double QuantitySpinBox::maximum() const { return d->maximum; }
void QuantitySpinBox::setMaximum(double value) { d->maximum = value; }
double QuantitySpinBox::singleStep() const { return d->singleStep; }
bool QuantitySpinBox::hasValidInput() const { return d->validInput; }

void QuantitySpinBox::setRange(double minimum, double maximum)
{
    d->minimum = minimum;
    d->maximum = maximum;
}

void QuantitySpinBox::setSingleStep(double step)
{
    if (step >= 0.0)
        d->singleStep = step;
}

void QuantitySpinBox::setUnit(pmUnit::UnitType unit)
{
    d->unit = unit;
    d->unitStr = pmUnit::UnitsManager::getUnitSymbol(unit);
    d->quantity.setUnitType(unit);
    updateText(d->quantity);
}

void QuantitySpinBox::setQuantity(pmUnit::pmQuantity kind)
{
    d->quantityKind = kind;
    d->quantity.setQuantityKind(kind);
}

void QuantitySpinBox::setValue(const pmUnit::Quantity& value)
{
    pmUnit::Quantity q = value;
    if (q.getValue() > d->maximum)
        q.setValue(d->maximum);
    if (d->minimum > q.getValue())
        q.setValue(d->minimum);
    d->quantity = q;
    d->unit = q.getUnitType();
    d->quantityKind = q.getQuantityKind();
    d->unitStr = q.getUnitString();
    // What is shown is what is stored: the clamped value.
    updateText(q);
}

void QuantitySpinBox::setValue(double value)
{
    setValue(pmUnit::Quantity(value, d->quantityKind, d->unit));
}

QString QuantitySpinBox::numberText(double value) const
{
    // In the locale the text is read back in, whole: 15 significant digits, no groups.
    QLocale shown = d->locale;
    shown.setNumberOptions(QLocale::OmitGroupSeparator);
    return shown.toString(value, 'g', 15);
}

QString QuantitySpinBox::textFromValue(const pmUnit::Quantity& value) const
{
    const QString unit = value.getUnitString();
    const QString number = numberText(value.getValue());
    return unit.isEmpty() ? number : number + QLatin1Char(' ') + unit;
}

pmUnit::Quantity QuantitySpinBox::valueFromText(const QString& text) const
{
    QString copy = text;
    int pos = lineEdit()->cursorPosition();
    pmUnit::Quantity result;
    if (interpret(copy, pos, result) != QValidator::Acceptable) {
        fixup(copy);
        interpret(copy, pos, result);
    }
    return result;
}

QValidator::State QuantitySpinBox::interpret(QString& input, int& pos, pmUnit::Quantity& result) const
{
    QString copy = input;
    const QChar dp = d->locale.decimalPoint();
    const QChar gs = d->locale.groupSeparator();
    const int len = copy.size();
    const bool plus = d->maximum >= 0.0;
    const bool minus = d->minimum <= 0.0;
    QValidator::State state = QValidator::Invalid;
    double value = 0.0;

    auto finish = [&]() {
        if (state != QValidator::Acceptable)
            value = d->maximum > 0.0 ? d->minimum : d->maximum;
        result = pmUnit::Quantity(value, d->quantityKind, d->unit);
        input = copy;
        return state;
    };

    if (len == 0) {
        state = d->maximum != d->minimum ? QValidator::Intermediate : QValidator::Invalid;
        return finish();
    }
    if (len == 1) {
        if (copy[0] == dp) {
            copy.insert(0, QLatin1Char('0'));
            ++pos;
            state = QValidator::Intermediate;
            return finish();
        }
        if (copy[0] == QLatin1Char('+')) {
            state = QValidator::Invalid;
            return finish();
        }
        if (copy[0] == QLatin1Char('-')) {
            state = minus ? QValidator::Intermediate : QValidator::Invalid;
            return finish();
        }
    }
    if (len == 2 && copy[1] == dp) {
        if (plus && copy[0] == QLatin1Char('+')) {
            state = QValidator::Intermediate;
            return finish();
        }
        if (minus && copy[0] == QLatin1Char('-')) {
            copy.insert(1, QLatin1Char('0'));
            ++pos;
            state = QValidator::Intermediate;
            return finish();
        }
    }
    if (copy.startsWith(gs))
        return finish();
    if (len >= 2) {
        bool open = false;
        for (QChar c : qAsConst(copy)) {
            if (c == dp) {
                if (open)
                    return finish();
                open = true;
            } else if (!c.isDigit() && c != gs) {
                open = false;
            }
        }
    }
    if (d->locale.negativeSign() != QLatin1Char('-'))
        copy.replace(d->locale.negativeSign(), QLatin1Char('-'));
    if (d->locale.positiveSign() != QLatin1Char('+'))
        copy.replace(d->locale.positiveSign(), QLatin1Char('+'));

    try {
        const pmUnit::Quantity parsed = pmUnit::Quantity::parse(copy, d->locale);
        pmUnit::Quantity converted;
        // A unit of another kind is not wrong yet: the user may still be typing.
        if (!parsed.convertTo(d->unit, converted)) {
            state = QValidator::Intermediate;
            return finish();
        }
        value = converted.getValue();
    }
    catch (const Vexil::ExceptionHandler&) {
        state = QValidator::Intermediate;
        return finish();
    }
    if (d->minimum <= value && value <= d->maximum) {
        state = copy.endsWith(dp) ? QValidator::Intermediate : QValidator::Acceptable;
    } else if (d->minimum == d->maximum) {
        state = QValidator::Invalid;
    } else if ((value >= 0.0 && value > d->maximum) || (value < 0.0 && value < d->minimum)) {
        state = QValidator::Invalid;
    } else {
        state = QValidator::Intermediate;
    }
    return finish();
}

QValidator::State QuantitySpinBox::validate(QString& input, int& pos) const
{
    pmUnit::Quantity result;
    return interpret(input, pos, result);
}

void QuantitySpinBox::fixup(QString& input) const
{
    input.remove(locale().groupSeparator());
}

void QuantitySpinBox::userInput(const QString& text)
{
    QString copy = text;
    int pos = 0;
    pmUnit::Quantity result;
    QValidator::State state = interpret(copy, pos, result);
    if (state == QValidator::Acceptable) {
        d->validInput = true;
        d->validStr = text;
    } else if (state == QValidator::Intermediate) {
        copy = copy.trimmed() + QLatin1Char(' ') + d->unitStr;
        state = interpret(copy, pos, result);
        if (state != QValidator::Acceptable) {
            d->validInput = false;
            return;
        }
        d->validInput = true;
        d->validStr = copy;
    } else {
        d->validInput = false;
        return;
    }
    d->lastValue = result.getValue();
    d->quantity = result;
    Q_EMIT valueChanged(result);
    Q_EMIT valueChanged(result.getValue());
}

void QuantitySpinBox::updateText(const pmUnit::Quantity& value)
{
    if (PropertyOperator::isNoValue(value.getValue())) {
        lineEdit()->clear();
        d->quantity = value;
        return;
    }
    lineEdit()->setText(numberText(value.getValue()));
    // The text may round the last digits: the value stays the one given.
    d->quantity = value;
    d->lastValue = value.getValue();
}

void QuantitySpinBox::stepBy(int steps)
{
    double v = steps * d->singleStep + d->lastValue;
    if (v > d->maximum)
        v = d->maximum;
    else
        v = std::max(d->minimum, v);
    QString text = numberText(v);
    if (!d->unitStr.isEmpty())
        text += QLatin1Char(' ') + d->unitStr;
    lineEdit()->setText(text);
    update();
    selectNumber();
}

QAbstractSpinBox::StepEnabled QuantitySpinBox::stepEnabled() const
{
    if (isReadOnly())
        return StepNone;
    if (wrapping())
        return StepUpEnabled | StepDownEnabled;
    StepEnabled ret = StepNone;
    const double v = d->quantity.getValue();
    if (d->maximum > v)
        ret |= StepUpEnabled;
    if (v > d->minimum)
        ret |= StepDownEnabled;
    return ret;
}

void QuantitySpinBox::selectNumber()
{
    const QString text = lineEdit()->text();
    const QChar dp = locale().decimalPoint();
    const QChar gs = locale().groupSeparator();
    const QChar neg = locale().negativeSign();
    int i = 0;
    while (i < text.size() && (text[i].isDigit() || text[i] == dp || text[i] == gs || text[i] == neg))
        ++i;
    lineEdit()->setSelection(0, i);
}

void QuantitySpinBox::focusOutEvent(QFocusEvent* event)
{
    QString text = lineEdit()->text();
    int pos = 0;
    if (validate(text, pos) != QValidator::Acceptable)
        lineEdit()->setText(d->validStr);
    QToolTip::hideText();
    QAbstractSpinBox::focusOutEvent(event);
}

void QuantitySpinBox::showEvent(QShowEvent* event)
{
    QAbstractSpinBox::showEvent(event);
    updateText(d->quantity);
    selectAll();
}

} // namespace Gui
