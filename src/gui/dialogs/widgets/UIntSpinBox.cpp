#include "UIntSpinBox.h"

#include <climits>

using namespace Gui;

namespace {
// The signed image of an unsigned value and back; order-preserving.
int toSigned(uint u) { return int(qint64(u) + qint64(INT_MIN)); }
uint toUnsigned(int s) { return uint(qint64(s) - qint64(INT_MIN)); }
} // namespace

UnsignedValidator::UnsignedValidator(QObject* parent)
    : QValidator(parent), b(0), t(UINT_MAX)
{
}

UnsignedValidator::UnsignedValidator(uint bottom, uint top, QObject* parent)
    : QValidator(parent), b(bottom), t(top)
{
}

UnsignedValidator::~UnsignedValidator() = default;

QValidator::State UnsignedValidator::validate(QString& input, int&) const
{
    if (input.trimmed().isEmpty())
        return Intermediate;
    bool ok = false;
    const uint n = input.toUInt(&ok, 10);
    if (!ok)
        return Invalid;
    if (n < b)
        return Intermediate; // more digits may still reach the range
    if (n > t)
        return Invalid;
    return Acceptable;
}

void UnsignedValidator::setBottom(uint bottom) { set_range(bottom, t); }
void UnsignedValidator::setTop(uint top) { set_range(b, top); }

void UnsignedValidator::set_range(uint bottom, uint top)
{
    b = bottom;
    t = top;
}

struct UIntSpinBox::Private
{
    UnsignedValidator* validator = nullptr;
};

UIntSpinBox::UIntSpinBox(QWidget* parent)
    : QSpinBox(parent), d(new Private)
{
    d->validator = new UnsignedValidator(this);
    connect(this, QOverload<int>::of(&QSpinBox::valueChanged), this, &UIntSpinBox::valueChange);
    QSpinBox::setRange(toSigned(0), toSigned(99));
    updateValidator();
    QSpinBox::setValue(toSigned(0));
    updateValidator();
}

UIntSpinBox::~UIntSpinBox()
{
    delete d->validator;
    delete d;
}

void UIntSpinBox::set_range(uint minVal, uint maxVal)
{
    QSpinBox::setRange(toSigned(minVal), toSigned(maxVal));
    updateValidator();
}

uint UIntSpinBox::maximum() const { return toUnsigned(QSpinBox::maximum()); }
uint UIntSpinBox::minimum() const { return toUnsigned(QSpinBox::minimum()); }
uint UIntSpinBox::value() const { return toUnsigned(QSpinBox::value()); }

void UIntSpinBox::setMaximum(uint value) { set_range(qMin(minimum(), value), value); }
void UIntSpinBox::setMinimum(uint value) { set_range(value, qMax(maximum(), value)); }

void UIntSpinBox::setValue(uint value)
{
    QSpinBox::setValue(toSigned(value));
}

void UIntSpinBox::valueChange(int value)
{
    Q_EMIT valueChanged(toUnsigned(value));
}

void UIntSpinBox::updateValidator()
{
    d->validator->set_range(minimum(), maximum());
}

QValidator::State UIntSpinBox::validate(QString& input, int& pos) const
{
    return d->validator->validate(input, pos);
}

QString UIntSpinBox::textFromValue(int value) const
{
    return QString::number(toUnsigned(value));
}

int UIntSpinBox::valueFromText(const QString& text) const
{
    bool ok = false;
    uint n = text.toUInt(&ok, 10);
    if (!ok && (!prefix().isEmpty() || !suffix().isEmpty()))
        n = cleanText().toUInt(&ok, 10);
    return toSigned(ok ? n : 0);
}
