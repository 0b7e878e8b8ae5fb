#pragma once
// A double spin box for values of any magnitude: general notation without "+" or
// leading exponent zeros (1e20, 1.5e-7), typed input in either notation, and steps by
// decades (up multiplies by 10, down divides by 10).

#include <PelmoraGuiExport.h>

#include <QDoubleSpinBox>

QT_BEGIN_NAMESPACE
class QDoubleValidator;
QT_END_NAMESPACE

class PELMORAGUI_EXPORT QScienceSpinBox : public QDoubleSpinBox
{
    Q_OBJECT
public:
    explicit QScienceSpinBox(QWidget* parent = nullptr);
    ~QScienceSpinBox() override;

    QString textFromValue(double value) const override;
    double valueFromText(const QString& text) const override;
    QValidator::State validate(QString& text, int& pos) const override;
    void fixup(QString& text) const override;
    void stepBy(int steps) override;

    // The digits shown (8 at construction); unlike setDecimals it never rounds the value.
    int displayPrecision() const { return dispDecimals; }
    void setDisplayPrecision(int digits) { dispDecimals = digits; }

    // The characters taken from the locale at construction (null when it has none).
    QChar decimalPoint() const { return delimiter; }
    QChar groupSeparator() const { return thousand; }

public Q_SLOTS:
    void stepUp();
    void stepDown();

private:
    struct Interpretation
    {
        QValidator::State state;
        double value;
    };
    Interpretation interpret(QString text, int& pos) const;
    bool isIntermediateValue(const QString& text) const;

    int dispDecimals;
    QChar delimiter;
    QChar thousand;
    QDoubleValidator* v;

    // The last interpretation of this box; typing asks for the same text repeatedly.
    // The key holds everything the answer depends on besides the text itself.
    struct CacheKey
    {
        QString text;
        int pos = 0;
        QString prefix, suffix, special;
        double min = 0.0, max = 0.0;
        int decimals = 0;
        QString locale;
        bool operator==(const CacheKey& o) const
        {
            return text == o.text && pos == o.pos && prefix == o.prefix && suffix == o.suffix
                && special == o.special && min == o.min && max == o.max && decimals == o.decimals
                && locale == o.locale;
        }
    };
    CacheKey cacheKey(const QString& text, int pos) const;
    mutable bool cacheValid = false;
    mutable CacheKey cachedKey;
    mutable QValidator::State cachedState = QValidator::Invalid;
    mutable double cachedValue = 0.0;
    mutable int cachedPos = 0; // the cursor position the interpretation moved to
};

namespace Gui {
using ::QScienceSpinBox;
}
