#include "QScienceSpinBox.h"

#include <QDoubleValidator>
#include <QLineEdit>
#include <QLocale>

#include <cfloat>
#include <cmath>
#include <cstdint>

namespace {

// Typed texts may carry up to this many characters after the decimal point.
constexpr int kFractionChars = 1000;

// True when the decimal digits of `num` appear, least significant first, as a
// subsequence of the digits of some value between `minimum` and `maximum`.
bool digitTest(qint64 num, qint64 minimum, qint64 maximum, qint64* match = nullptr)
{
    if (minimum <= num && num <= maximum) {
        if (match)
            *match = num;
        return true;
    }
    int digits[20];
    int numDigits = 0;
    quint64 tmp = num < 0 ? quint64(0) - quint64(num) : quint64(num);
    if (tmp == 0)
        digits[numDigits++] = 0;
    while (tmp > 0) {
        digits[numDigits++] = int(tmp % 10);
        tmp /= 10;
    }
    if (maximum < minimum)
        return false;

    int failures = 0;
    for (qint64 candidate = maximum;; --candidate) {
        quint64 c = candidate < 0 ? quint64(0) - quint64(candidate) : quint64(candidate);
        int j = 0;
        do {
            if (int(c % 10) == digits[j])
                ++j;
            c /= 10;
        } while (c > 0 && j < numDigits);
        if (j == numDigits) {
            if (match)
                *match = candidate;
            return true;
        }
        // Bounded search: very wide ranges are given the benefit of the doubt.
        if (failures >= 500000) {
            if (match)
                *match = num;
            return true;
        }
        ++failures;
        if (candidate == minimum)
            break;
    }
    return false;
}

} // namespace

QScienceSpinBox::QScienceSpinBox(QWidget* parent)
    : QDoubleSpinBox(parent)
{
    const QLocale loc = parent ? parent->locale() : QLocale();
    const QString probe = loc.toString(4567.1, 'g', 6);
    if (probe.size() == 6) {
        delimiter = probe.at(4);
        thousand = QChar(0);
    } else if (probe.size() == 7) {
        thousand = probe.at(1);
        delimiter = probe.at(5);
    }

    dispDecimals = 8;
    setDecimals(kFractionChars);
    setRange(-DBL_MAX, DBL_MAX);

    v = new QDoubleValidator(this);
    v->setDecimals(kFractionChars);
    v->setNotation(QDoubleValidator::ScientificNotation);
    lineEdit()->setValidator(v);
}

QScienceSpinBox::~QScienceSpinBox() = default;

QString QScienceSpinBox::textFromValue(double value) const
{
    // The value just above 2^-100 stands for "no value".
    static const double blank = std::nextafter(std::ldexp(1.0, -100), 1.0);
    if (value == blank)
        return QString();

    QString str = locale().toString(value, 'g', 15);
    if (std::fabs(value) >= 1000.0) {
        if (!thousand.isNull())
            str.remove(thousand);
        str.remove(QLatin1Char('+'));
        str.replace(QLatin1String("e0"), QLatin1String("e"));
    } else if (std::fabs(value) < 0.001) {
        str.replace(QLatin1String("e-0"), QLatin1String("e-"));
    }
    return str;
}

void QScienceSpinBox::stepBy(int steps)
{
    QDoubleSpinBox::setValue(steps >= 0 ? value() * 10.0 : value() / 10.0);
}

void QScienceSpinBox::stepUp()
{
    setValue(value() * 10.0);
}

void QScienceSpinBox::stepDown()
{
    setValue(value() / 10.0);
}

void QScienceSpinBox::fixup(QString& text) const
{
    if (!thousand.isNull())
        text.remove(thousand);
}

QValidator::State QScienceSpinBox::validate(QString& text, int& pos) const
{
    return interpret(text, pos).state;
}

double QScienceSpinBox::valueFromText(const QString& text) const
{
    int pos = lineEdit()->cursorPosition();
    return interpret(text, pos).value;
}

QScienceSpinBox::Interpretation QScienceSpinBox::interpret(QString text, int& pos) const
{
    const double min = minimum();
    const double max = maximum();
    const CacheKey key = cacheKey(text, pos);
    if (cacheValid && key == cachedKey) {
        pos = cachedPos;
        return {cachedState, cachedValue};
    }

    QString copy = text;
    if (copy != specialValueText()) {
        if (!prefix().isEmpty() && copy.startsWith(prefix()))
            copy.remove(0, prefix().size());
        if (!suffix().isEmpty() && copy.endsWith(suffix()))
            copy.chop(suffix().size());
        const int before = copy.size();
        copy = copy.trimmed();
        pos -= before - copy.size();
    }
    const bool plus = max >= 0;
    const bool minus = min <= 0;

    QValidator::State state = QValidator::Acceptable;
    double num = min;
    const int len = copy.size();

    auto finish = [&]() -> Interpretation {
        if (state != QValidator::Acceptable)
            num = max > 0 ? min : max;
        cachedKey = key;
        cachedState = state;
        cachedValue = num;
        cachedPos = pos;
        cacheValid = true;
        return {state, num};
    };

    if (len == 0) {
        state = max != min ? QValidator::Intermediate : QValidator::Invalid;
        return finish();
    }
    if (len == 1) {
        const QChar c = copy.at(0);
        if (c == delimiter || (c == QLatin1Char('+') && plus) || (c == QLatin1Char('-') && minus)) {
            state = QValidator::Intermediate;
            return finish();
        }
    } else if (len == 2) {
        const QChar c = copy.at(0);
        if (copy.at(1) == delimiter && ((c == QLatin1Char('+') && plus) || (c == QLatin1Char('-') && minus))) {
            state = QValidator::Intermediate;
            return finish();
        }
    }

    if (copy.at(0) == thousand) {
        state = QValidator::Invalid;
        return finish();
    }
    if (len > 1) {
        const int dec = delimiter.isNull() ? -1 : copy.indexOf(delimiter);
        if (dec != -1) {
            if (dec + 1 < copy.size() && copy.at(dec + 1) == delimiter && pos == dec + 2)
                copy.remove(dec + 1, 1);
            if (copy.size() - dec > kFractionChars + 1) {
                state = QValidator::Invalid;
                return finish();
            }
            for (int i = dec + 1; i < copy.size(); ++i) {
                if (copy.at(i).isSpace() || copy.at(i) == thousand) {
                    state = QValidator::Invalid;
                    return finish();
                }
            }
        } else {
            const QChar last = copy.at(len - 1);
            const QChar secondLast = copy.at(len - 2);
            if ((last == thousand || last.isSpace()) && (secondLast == thousand || secondLast.isSpace())) {
                state = QValidator::Invalid;
                return finish();
            }
            if (last.isSpace() && (!thousand.isSpace() || secondLast.isSpace())) {
                state = QValidator::Invalid;
                return finish();
            }
        }
    }

    bool ok = false;
    bool notAcceptable = false;
    num = locale().toDouble(copy, &ok);
    if (!ok) {
        if (thousand.isPrint()) {
            if (max < 1000 && min > -1000 && copy.contains(thousand)) {
                state = QValidator::Invalid;
                return finish();
            }
            if (copy.contains(QString(2, thousand))) {
                state = QValidator::Invalid;
                return finish();
            }
            const int removed = copy.count(thousand);
            copy.remove(thousand);
            pos = qMax(0, pos - removed);
            num = locale().toDouble(copy, &ok);
            if (!ok) {
                state = QValidator::Invalid;
                return finish();
            }
            notAcceptable = true;
        } else {
            state = QValidator::Invalid;
            return finish();
        }
    }

    if (min <= num && num <= max) {
        state = notAcceptable ? QValidator::Intermediate : QValidator::Acceptable;
    } else if (max == min || (num >= 0 && num > max) || (num < 0 && num < min)) {
        state = QValidator::Invalid;
    } else {
        state = isIntermediateValue(copy) ? QValidator::Intermediate : QValidator::Invalid;
    }
    return finish();
}

QScienceSpinBox::CacheKey QScienceSpinBox::cacheKey(const QString& text, int pos) const
{
    CacheKey key;
    key.text = text;
    key.pos = pos;
    key.prefix = prefix();
    key.suffix = suffix();
    key.special = specialValueText();
    key.min = minimum();
    key.max = maximum();
    key.decimals = decimals();
    key.locale = locale().name();
    return key;
}

bool QScienceSpinBox::isIntermediateValue(const QString& str) const
{
    const double min = minimum();
    const double max = maximum();
    const qint64 dec = qint64(std::pow(10.0, dispDecimals));

    const QString minstr = QString::number(min, 'f', decimals());
    const QString maxstr = QString::number(max, 'f', decimals());
    const int minDot = minstr.indexOf(QLatin1Char('.'));
    const int maxDot = maxstr.indexOf(QLatin1Char('.'));
    const qint64 minleft = minstr.left(minDot).toLongLong();
    const qint64 maxleft = maxstr.left(maxDot).toLongLong();
    qint64 minright = minDot < 0 ? 0 : minstr.mid(minDot + 1).toLongLong();
    qint64 maxright = maxDot < 0 ? 0 : maxstr.mid(maxDot + 1).toLongLong();
    const bool negative = max < 0;

    const int dotindex = delimiter.isNull() ? -1 : str.indexOf(delimiter);
    qint64 left = 0;
    qint64 right = 0;
    bool doleft = true;
    bool doright = true;
    if (dotindex == -1) {
        left = str.toLongLong();
        doright = false;
    } else if (dotindex == 0 || (dotindex == 1 && str.at(0) == QLatin1Char('+'))) {
        if (negative)
            return false;
        doleft = false;
        right = str.mid(dotindex + 1).toLongLong();
    } else if (dotindex == 1 && str.at(0) == QLatin1Char('-')) {
        if (!negative)
            return false;
        doleft = false;
        right = str.mid(dotindex + 1).toLongLong();
    } else {
        left = str.left(dotindex).toLongLong();
        if (dotindex == str.size() - 1)
            doright = false;
        else
            right = str.mid(dotindex + 1).toLongLong();
    }

    if ((left >= 0 && maxleft < 0 && !str.startsWith(QLatin1Char('-'))) || (left < 0 && minleft >= 0))
        return false;

    qint64 match = minleft;
    if (doleft && !digitTest(left, minleft, maxleft, &match))
        return false;

    if (doright) {
        const qint64 absLeft = left < 0 ? -left : left;
        if (!doleft) {
            if (minleft == maxleft)
                return digitTest(absLeft, negative ? maxright : minright, negative ? minright : maxright);
            if (maxleft - minleft == 1)
                return digitTest(absLeft, minright, negative ? 0 : dec)
                    || digitTest(absLeft, negative ? dec : 0, maxright);
            return digitTest(absLeft, 0, dec);
        }
        if (match != minleft)
            minright = negative ? dec : 0;
        if (match != maxleft)
            maxright = negative ? 0 : dec;
        return digitTest(right, negative ? maxright : minright, negative ? minright : maxright);
    }
    return true;
}
