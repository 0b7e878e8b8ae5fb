#include "QuantitySpinBox.h"

#include "PendingEdits.h"

#include "PropertyItem.h"

#include <vexil/Exception.h>

#include <QCoreApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QStatusTipEvent>
#include <QToolTip>

#include <algorithm>
#include <cfloat>
#include <cmath>

namespace Gui {

namespace {

const char refusedStyle[] = "QLineEdit { background: rgb(255, 0, 0); }";

QString number(double v)
{
    return QString::number(v, 'g', 15);
}

} // namespace

class QuantitySpinBoxPrivate
{
public:
    QLocale locale;
    bool validInput = true;
    QString validStr;
    pmUnit::Quantity quantity;
    pmUnit::UnitType unit = pmUnit::NoUnit;
    pmUnit::UnitType keptUnit = pmUnit::NoUnit;
    pmUnit::pmQuantity quantityKind = pmUnit::Dimensionless;
    double lastValue = 0.0;
    QString unitStr;
    double maximum = DBL_MAX;
    double minimum = -DBL_MAX;
    // The limits as given, each in its unit; NoUnit: the range in the box's unit.
    double givenMinimum = 0.0, givenMaximum = 0.0;
    pmUnit::UnitType givenMinimumUnit = pmUnit::NoUnit, givenMaximumUnit = pmUnit::NoUnit;
    double singleStep = 1.0;
    // Why the text is refused; empty while it is taken.
    QString problem;
    // The text is being set by the widget, not typed.
    bool ownText = false;
    // A typed value not announced yet (without keyboard tracking), and its text.
    bool typed = false;
    QString typedStr;
    // The refusal was told in the status bar: a value taken later takes it back.
    bool announced = false;
};

namespace {

// A step starts from the value the text stands for while it is read whole (typed or not),
// and from the last value given or taken while it is refused: never from the part of a
// refused text that could be read on the way ("5" of "5 MM").
double stepBase(const QuantitySpinBoxPrivate& d)
{
    return d.validInput ? d.quantity.getValue() : d.lastValue;
}

// Why a typed amount that does not fit in a number of `unit` is refused.
QString unfitReason(pmUnit::Quantity::Fit fit, const QString& typed, pmUnit::UnitType unit)
{
    const QString symbol = pmUnit::UnitsManager::getUnitSymbol(unit);
    return fit == pmUnit::Quantity::BeyondLargest
        ? QuantitySpinBox::tr("\"%1\" is beyond the largest number in %2").arg(typed, symbol)
        : QuantitySpinBox::tr("\"%1\" is below the smallest normal number in %2").arg(typed, symbol);
}

} // namespace

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
void QuantitySpinBox::setMinimum(double value) { d->minimum = value; d->givenMinimumUnit = pmUnit::NoUnit; }
double QuantitySpinBox::maximum() const { return d->maximum; }
void QuantitySpinBox::setMaximum(double value) { d->maximum = value; d->givenMaximumUnit = pmUnit::NoUnit; }
double QuantitySpinBox::singleStep() const { return d->singleStep; }
bool QuantitySpinBox::hasValidInput() const { return d->validInput; }
QString QuantitySpinBox::inputProblem() const { return d->problem; }

void QuantitySpinBox::setRange(double minimum, double maximum)
{
    d->minimum = minimum;
    d->maximum = maximum;
    d->givenMinimumUnit = d->givenMaximumUnit = pmUnit::NoUnit;
}

void QuantitySpinBox::setGivenLimits(double minimum, pmUnit::UnitType minimumUnit, double maximum,
                                     pmUnit::UnitType maximumUnit)
{
    d->givenMinimum = minimum;
    d->givenMinimumUnit = minimumUnit;
    d->givenMaximum = maximum;
    d->givenMaximumUnit = maximumUnit;
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

void QuantitySpinBox::setKeptUnit(pmUnit::UnitType unit)
{
    d->keptUnit = unit;
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

QValidator::State QuantitySpinBox::interpret(QString& input, int& pos, pmUnit::Quantity& result, QString* why) const
{
    QString copy = input;
    const QChar dp = d->locale.decimalPoint();
    const QChar gs = d->locale.groupSeparator();
    const int len = copy.size();
    const bool plus = d->maximum >= 0.0;
    const bool minus = d->minimum <= 0.0;
    // No text is Invalid: a key typed always reaches the field, and a text that cannot be
    // taken (beyond the limits, unreadable, half typed) is refused at Enter with its reason.
    QValidator::State state = QValidator::Intermediate;
    double value = 0.0;
    QString problem = tr("Not a number");
    // A number typed in another unit than the box's: kept as typed for the logic.
    pmUnit::Quantity typed;
    bool typedInOtherUnit = false;

    auto finish = [&]() {
        if (why)
            *why = state == QValidator::Acceptable ? QString() : problem;
        if (state != QValidator::Acceptable)
            value = d->maximum > 0.0 ? d->minimum : d->maximum;
        result = pmUnit::Quantity(value, d->quantityKind, d->unit);
        if (state == QValidator::Acceptable && typedInOtherUnit)
            result.setGiven(typed.getValue(), typed.getUnitType());
        input = copy;
        return state;
    };

    if (len == 0) {
        problem = tr("No number given");
        return finish();
    }
    if (len == 1) {
        if (copy[0] == dp) {
            copy.insert(0, QLatin1Char('0'));
            ++pos;
            state = QValidator::Intermediate;
            return finish();
        }
        if (copy[0] == QLatin1Char('+'))
            return finish();
        if (copy[0] == QLatin1Char('-')) {
            if (!minus)
                problem = tr("The value cannot be negative: the minimum is %1").arg(number(d->minimum));
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
    if (copy.startsWith(gs)) {
        problem = tr("A number cannot begin with the group separator \"%1\"").arg(gs);
        return finish();
    }
    if (len >= 2) {
        bool open = false;
        for (QChar c : qAsConst(copy)) {
            if (c == dp) {
                if (open) {
                    problem = tr("\"%1\" has more than one decimal sign").arg(copy.trimmed());
                    return finish();
                }
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
        const pmUnit::Quantity parsed = pmUnit::Quantity::parse(copy, d->locale, d->quantityKind);
        pmUnit::Quantity converted;
        // A unit of another kind is not wrong yet: the user may still be typing.
        if (!parsed.convertTo(d->unit, converted)) {
            const QString kind = pmUnit::UnitsManager::getQuantityName(d->quantityKind);
            const QString typedKind = pmUnit::UnitsManager::getQuantityName(parsed.getQuantityKind());
            problem = d->unit == pmUnit::NoUnit || kind.isEmpty()
                ? tr("This value takes no unit")
                : tr("\"%1\" is a unit of %2, not of %3").arg(parsed.getUnitString(), typedKind, kind);
            state = QValidator::Intermediate;
            return finish();
        }
        value = converted.getValue();
        const bool otherUnit = parsed.getUnitType() != pmUnit::NoUnit && parsed.getUnitType() != d->unit;
        const pmUnit::Quantity::Fit fit =
            otherUnit ? pmUnit::Quantity::fit(parsed.getValue(), value) : pmUnit::Quantity::Fits;
        if (fit != pmUnit::Quantity::Fits) {
            problem = unfitReason(fit, copy.trimmed(), d->unit);
            state = QValidator::Intermediate;
            return finish();
        }
        typed = parsed;
        typedInOtherUnit = otherUnit;
        // Where the value is kept in another unit, the amount must fit there too.
        const pmUnit::UnitType from = otherUnit ? parsed.getUnitType() : d->unit;
        const double amount = otherUnit ? parsed.getValue() : value;
        pmUnit::Quantity kept;
        if (d->keptUnit != pmUnit::NoUnit && d->keptUnit != from
            && pmUnit::Quantity(amount, d->quantityKind, from).convertTo(d->keptUnit, kept)) {
            const pmUnit::Quantity::Fit keptFit = pmUnit::Quantity::fit(amount, kept.getValue());
            if (keptFit != pmUnit::Quantity::Fits) {
                problem = unfitReason(keptFit, copy.trimmed(), d->keptUnit);
                state = QValidator::Intermediate;
                return finish();
            }
        }
    }
    catch (const Vexil::ExceptionHandler& e) {
        problem = QString::fromStdString(e.get_message());
        // A value that takes no unit hints at none ("5 MM" is not "mm"?).
        if (problem.startsWith(QLatin1String("Unknown unit "))
            && (d->unit == pmUnit::NoUnit || pmUnit::UnitsManager::getQuantityName(d->quantityKind).isEmpty()))
            problem = tr("This value takes no unit");
        state = QValidator::Intermediate;
        return finish();
    }
    // An amount in another unit is compared as typed, not as its rounded conversion: one
    // just past a limit could round onto it.
    const double amount = typedInOtherUnit ? typed.getValue() : value;
    const pmUnit::UnitType amountUnit = typedInOtherUnit ? typed.getUnitType() : d->unit;
    const bool above = d->givenMaximumUnit != pmUnit::NoUnit
        ? pmUnit::Quantity::compare(amount, amountUnit, d->givenMaximum, d->givenMaximumUnit) > 0
        : pmUnit::Quantity::compare(amount, amountUnit, d->maximum, d->unit) > 0;
    const bool below = d->givenMinimumUnit != pmUnit::NoUnit
        ? pmUnit::Quantity::compare(amount, amountUnit, d->givenMinimum, d->givenMinimumUnit) < 0
        : pmUnit::Quantity::compare(amount, amountUnit, d->minimum, d->unit) < 0;
    // Where the digits shown cannot tell the amount from the limit, the amount as typed.
    auto shown = [&](double limit) { return number(value) == number(limit) ? copy.trimmed() : number(value); };
    if (above)
        problem = tr("%1 is above the maximum %2").arg(shown(d->maximum), number(d->maximum));
    else if (below)
        problem = tr("%1 is below the minimum %2").arg(shown(d->minimum), number(d->minimum));
    if (!above && !below) {
        problem = tr("The number ends with the decimal sign");
        state = copy.endsWith(dp) ? QValidator::Intermediate : QValidator::Acceptable;
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
    // Only separators that group digits: anywhere else one may be meant as the decimal
    // sign, and dropping it would read another number.
    try {
        pmUnit::Quantity::parse(input, d->locale, d->quantityKind);
    }
    catch (const Vexil::ExceptionHandler&) {
        return;
    }
    input.remove(locale().groupSeparator());
}

void QuantitySpinBox::userInput(const QString& text)
{
    QString copy = text;
    int pos = 0;
    pmUnit::Quantity result;
    QString why;
    QValidator::State state = interpret(copy, pos, result, &why);
    QString taken = text;
    if (state == QValidator::Intermediate) {
        // A bare number is taken in the box's unit.
        copy = copy.trimmed() + QLatin1Char(' ') + d->unitStr;
        state = interpret(copy, pos, result);
        taken = copy;
    }
    if (state != QValidator::Acceptable) {
        d->validInput = false;
        // The widget's own texts (an empty one for a missing value) are not the user's fault.
        if (!d->ownText)
            markProblem(why);
        d->typed = !d->ownText;
        return;
    }
    d->validInput = true;
    markProblem(QString());
    d->quantity = result;
    if (!keyboardTracking() && !d->ownText) {
        d->typed = true;
        d->typedStr = taken;
        return;
    }
    d->lastValue = result.getValue();
    d->typed = false;
    d->validStr = taken;
    if (!d->ownText)
        withdrawProblem();
    Q_EMIT valueChanged(result);
    Q_EMIT valueChanged(result.getValue());
}

void QuantitySpinBox::setOwnText(const QString& text)
{
    const bool was = d->ownText;
    d->ownText = true;
    lineEdit()->setText(text);
    d->ownText = was;
}

bool QuantitySpinBox::finishTyping()
{
    if (!d->typed)
        return true;
    if (!d->validInput) {
        announceProblem();
        return false;
    }
    d->typed = false;
    d->validStr = d->typedStr;
    d->lastValue = d->quantity.getValue();
    withdrawProblem();
    Q_EMIT valueChanged(d->quantity);
    Q_EMIT valueChanged(d->quantity.getValue());
    return true;
}

bool QuantitySpinBox::holdsDraft() const
{
    if (!d->typed)
        return false;
    return !d->validInput || d->typedStr != d->validStr;
}

bool QuantitySpinBox::keepsTyping(Qt::FocusReason reason)
{
    return reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason
        || reason == Qt::MenuBarFocusReason || DraftKeeper::active();
}

void QuantitySpinBox::withdrawRefusal()
{
    withdrawProblem();
}

void QuantitySpinBox::markProblem(const QString& why)
{
    if (why == d->problem)
        return;
    d->problem = why;
    lineEdit()->setStyleSheet(why.isEmpty() ? QString() : QString::fromLatin1(refusedStyle));
    setToolTip(why);
    if (why.isEmpty())
        QToolTip::hideText();
}

void QuantitySpinBox::announceProblem()
{
    if (d->problem.isEmpty())
        return;
    const QString text = tr("Not taken: %1").arg(d->problem);
    if (isVisible())
        QToolTip::showText(mapToGlobal(QPoint(0, height())), text, this);
    // The main window shows it in its status bar.
    QStatusTipEvent tip(text);
    QCoreApplication::sendEvent(this, &tip);
    d->announced = true;
}

void QuantitySpinBox::withdrawProblem()
{
    if (!d->announced)
        return;
    d->announced = false;
    // A reason left standing would speak of a value that is now taken.
    QStatusTipEvent tip{QString()};
    QCoreApplication::sendEvent(this, &tip);
}

void QuantitySpinBox::updateText(const pmUnit::Quantity& value)
{
    if (PropertyOperator::isNoValue(value.getValue())) {
        setOwnText(QString());
        d->quantity = value;
        markProblem(QString());
        return;
    }
    // With its unit, as the row shows it: the text the editor opens with reads back as is.
    setOwnText(textFromValue(value));
    // The text may round the last digits: the value stays the one given.
    d->quantity = value;
    d->lastValue = value.getValue();
}

void QuantitySpinBox::stepBy(int steps)
{
    double v = steps * d->singleStep + stepBase(*d);
    if (v > d->maximum)
        v = d->maximum;
    else
        v = std::max(d->minimum, v);
    QString text = numberText(v);
    if (!d->unitStr.isEmpty())
        text += QLatin1Char(' ') + d->unitStr;
    // A step is announced at once, as in Qt's spin boxes.
    setOwnText(text);
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
    const double v = stepBase(*d);
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

void QuantitySpinBox::keyPressEvent(QKeyEvent* event)
{
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && !finishTyping()) {
        // The refused text stays for the user to mend.
        event->accept();
        return;
    }
    QAbstractSpinBox::keyPressEvent(event);
}

void QuantitySpinBox::focusOutEvent(QFocusEvent* event)
{
    // The window lost the keyboard for a while (a question asked, another window, a file
    // handed over by a second start, a menu opened): the typing goes on when it comes
    // back, with what was typed.  Only the user ends it.
    if (keepsTyping(event->reason())) {
        QAbstractSpinBox::focusOutEvent(event);
        return;
    }
    const bool taken = finishTyping();
    QString text = lineEdit()->text();
    int pos = 0;
    if (!taken || validate(text, pos) != QValidator::Acceptable) {
        // Back to the last value taken, without announcing it again.
        const bool was = blockSignals(true);
        setOwnText(d->validStr);
        blockSignals(was);
        d->typed = false;
        markProblem(QString());
    }
    if (taken)
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
