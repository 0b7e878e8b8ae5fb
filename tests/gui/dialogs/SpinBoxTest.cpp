#include <dialogs/widgets/QScienceSpinBox.h>
#include <dialogs/widgets/UIntSpinBox.h>

#include <QLineEdit>
#include <QLocale>
#include <QSignalSpy>

#include <climits>

#include <gtest/gtest.h>

namespace {

// Sets the default locale for one test; spin boxes built without a parent take it.
class LocaleScope
{
public:
    explicit LocaleScope(const QLocale& l) : saved(QLocale()) { QLocale::setDefault(l); }
    ~LocaleScope() { QLocale::setDefault(saved); }

private:
    QLocale saved;
};

QValidator::State check(const QScienceSpinBox& box, QString text)
{
    int pos = text.size();
    return box.validate(text, pos);
}

struct Expected
{
    const char* text;
    QValidator::State state;
};

void expectStates(const QScienceSpinBox& box, std::initializer_list<Expected> cases)
{
    for (const Expected& c : cases)
        EXPECT_EQ(check(box, QString::fromUtf8(c.text)), c.state) << c.text;
}

const QLocale german(QLocale::German, QLocale::Germany);
constexpr auto Acceptable = QValidator::Acceptable;
constexpr auto Intermediate = QValidator::Intermediate;
constexpr auto Invalid = QValidator::Invalid;

} // namespace

TEST(ScienceSpinBox, ShowsGeneralNotationWithoutPlusOrLeadingExponentZeros)
{
    LocaleScope scope(QLocale::c());
    QScienceSpinBox box;
    const std::pair<double, const char*> cases[] = {
        {1e20, "1e20"}, {1e-5, "1e-5"}, {1.5e-7, "1.5e-7"}, {123456.5, "123456.5"}, {0.5, "0.5"},
        {1e15, "1e15"}, {1e14, "100000000000000"}, {-2.5e100, "-2.5e100"}, {7.88860905221012e-31, ""}};
    for (const auto& [value, text] : cases)
        EXPECT_EQ(box.textFromValue(value), QString::fromUtf8(text)) << value;
}

TEST(ScienceSpinBox, EnglishLocaleDropsGroupingAndParsesBothNotations)
{
    LocaleScope scope(QLocale(QLocale::English, QLocale::UnitedStates));
    QScienceSpinBox box;
    EXPECT_EQ(box.decimalPoint(), QLatin1Char('.'));
    EXPECT_EQ(box.groupSeparator(), QLatin1Char(','));
    EXPECT_EQ(box.textFromValue(1234567.0), QStringLiteral("1234567"));

    EXPECT_DOUBLE_EQ(box.valueFromText(QStringLiteral("2.5e3")), 2500.0);
    EXPECT_DOUBLE_EQ(box.valueFromText(QStringLiteral("0.001")), 0.001);
    expectStates(box, {{"1.5e-7", Acceptable}, {"", Intermediate}, {"-", Intermediate}, {"+", Intermediate},
                       {"-.", Intermediate}, {",", Invalid}, {"1,,5", Invalid}, {"abc", Invalid}});
    EXPECT_EQ(check(box, QStringLiteral("1.") + QString(1001, QLatin1Char('5'))), Invalid);

    QString grouped = QStringLiteral("1,234");
    box.fixup(grouped);
    EXPECT_EQ(grouped, QStringLiteral("1234"));
}

TEST(ScienceSpinBox, DecimalCommaLocale)
{
    LocaleScope scope(german);
    QScienceSpinBox box;
    EXPECT_EQ(box.decimalPoint(), QLatin1Char(','));
    EXPECT_EQ(box.groupSeparator(), QLatin1Char('.'));
    EXPECT_EQ(box.textFromValue(0.5), QStringLiteral("0,5"));
    EXPECT_EQ(box.textFromValue(1234.5), QStringLiteral("1234,5"));
    EXPECT_EQ(box.textFromValue(2.5e-9), QStringLiteral("2,5e-9"));
    EXPECT_DOUBLE_EQ(box.valueFromText(QStringLiteral("1,5e3")), 1500.0);
    expectStates(box, {{"0,25", Acceptable}, {",", Intermediate}, {".", Invalid}, {"1,2.5", Invalid}});
}

TEST(ScienceSpinBox, StepsByDecadesInEitherLocale)
{
    for (const QLocale& locale : {QLocale::c(), german}) {
        LocaleScope scope(locale);
        QScienceSpinBox box;
        QSignalSpy changed(&box, QOverload<double>::of(&QDoubleSpinBox::valueChanged));
        box.setValue(0.5);
        box.stepBy(1);
        EXPECT_DOUBLE_EQ(box.value(), 5.0);
        box.stepBy(7); // a page step is one decade as well
        EXPECT_DOUBLE_EQ(box.value(), 50.0);
        box.setValue(1.0);
        box.stepBy(-3);
        EXPECT_DOUBLE_EQ(box.value(), 0.1);
        box.stepDown();
        EXPECT_DOUBLE_EQ(box.value(), 0.01);
        EXPECT_EQ(box.cleanText(), locale == german ? QStringLiteral("0,01") : QStringLiteral("0.01"));
        box.stepUp();
        EXPECT_DOUBLE_EQ(box.value(), 0.1);
        EXPECT_EQ(changed.count(), 7);
        box.setValue(0.0);
        box.stepBy(1);
        EXPECT_EQ(box.value(), 0.0);
    }
}

TEST(ScienceSpinBox, EachBoxAnswersForItsOwnRangeAndPrefix)
{
    LocaleScope scope(QLocale::c());
    QScienceSpinBox wide;
    QScienceSpinBox narrow;
    narrow.setRange(0.0, 10.0);
    EXPECT_EQ(check(wide, QStringLiteral("50")), Acceptable);
    EXPECT_EQ(check(narrow, QStringLiteral("50")), Invalid);
    EXPECT_EQ(check(wide, QStringLiteral("50")), Acceptable);
    EXPECT_DOUBLE_EQ(wide.valueFromText(QStringLiteral("50")), 50.0);

    QScienceSpinBox prefixed;
    prefixed.setPrefix(QStringLiteral("x="));
    EXPECT_EQ(check(prefixed, QStringLiteral("x=3")), Acceptable);
    EXPECT_DOUBLE_EQ(prefixed.valueFromText(QStringLiteral("x=3")), 3.0);
    EXPECT_EQ(check(wide, QStringLiteral("x=3")), Invalid);

    // A range change is not answered from an earlier interpretation.
    wide.setRange(0.0, 10.0);
    EXPECT_EQ(check(wide, QStringLiteral("50")), Invalid);
    // Outside a narrow range, a text that may still grow into it is Intermediate.
    QScienceSpinBox high;
    high.setRange(100.0, 105.0);
    EXPECT_EQ(check(high, QStringLiteral("1")), Intermediate);
    EXPECT_EQ(check(high, QStringLiteral("9")), Invalid);
    EXPECT_DOUBLE_EQ(high.valueFromText(QStringLiteral("1")), 100.0);
}

TEST(ScienceSpinBox, AnAnswerDoesNotOutliveAChangeOfPrefixOrSuffix)
{
    LocaleScope scope(QLocale::c());
    QScienceSpinBox box;
    box.setPrefix(QStringLiteral("x="));
    EXPECT_EQ(check(box, QStringLiteral("x=3")), Acceptable);
    box.setPrefix(QString());
    EXPECT_EQ(check(box, QStringLiteral("x=3")), Invalid);

    box.setSuffix(QStringLiteral(" mm"));
    EXPECT_EQ(check(box, QStringLiteral("4 mm")), Acceptable);
    EXPECT_DOUBLE_EQ(box.valueFromText(QStringLiteral("4 mm")), 4.0);
    box.setSuffix(QStringLiteral(" m"));
    EXPECT_EQ(check(box, QStringLiteral("4 mm")), Invalid);
}

TEST(UIntSpinBox, CoversTheFullUnsignedRange)
{
    Gui::UIntSpinBox box;
    QSignalSpy changed(&box, &Gui::UIntSpinBox::valueChanged);
    box.set_range(0, UINT_MAX);
    box.setValue(UINT_MAX);
    EXPECT_EQ(box.value(), 4294967295u);
    EXPECT_EQ(box.text(), QStringLiteral("4294967295"));
    box.setValue(2147483647u);
    changed.clear();
    box.stepBy(1);
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed.at(0).at(0).toUInt(), 2147483648u);
    EXPECT_EQ(box.value(), 2147483648u);

    box.findChild<QLineEdit*>()->setText(QStringLiteral("3000000000"));
    box.interpretText();
    EXPECT_EQ(box.value(), 3000000000u);
}

TEST(UIntSpinBox, MinimumAndMaximumKeepTheRangeOrdered)
{
    Gui::UIntSpinBox box;
    box.setMinimum(200);
    EXPECT_EQ(box.minimum(), 200u);
    EXPECT_EQ(box.maximum(), 200u);
    box.set_range(10, 99);
    box.setMaximum(5);
    EXPECT_EQ(box.minimum(), 5u);
    EXPECT_EQ(box.maximum(), 5u);
}

TEST(UIntSpinBox, ValidatorChecksTheRange)
{
    Gui::UnsignedValidator v(10, 100);
    const Expected cases[] = {{"5", Intermediate}, {"50", Acceptable}, {"500", Invalid}, {"-1", Invalid},
                              {"abc", Invalid}, {"  ", Intermediate}, {"", Intermediate}, {"4294967296", Invalid}};
    for (const Expected& c : cases) {
        QString text = QString::fromUtf8(c.text);
        int pos = 0;
        EXPECT_EQ(v.validate(text, pos), c.state) << c.text;
    }

    Gui::UnsignedValidator full;
    QString top = QStringLiteral("4294967295");
    int pos = 0;
    EXPECT_EQ(full.validate(top, pos), Acceptable);
    full.setTop(7);
    EXPECT_EQ(full.validate(top, pos), Invalid);
}
