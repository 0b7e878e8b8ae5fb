// The minimum-maximum dialog: refused entries are marked red and keep it open; a valid
// pair reaches the caller.

#include <dialogs/dlgMinMaxImp.h>

#include <QDialogButtonBox>
#include <QLocale>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

namespace {

struct MinMax
{
    double lo = 1;
    double hi = 2;
    dlgMinMaxImp dialog{&lo, &hi};
    QLineEdit* min() { return dialog.findChild<QLineEdit*>(QStringLiteral("lineEditMin")); }
    QLineEdit* max() { return dialog.findChild<QLineEdit*>(QStringLiteral("lineEditMax")); }
    void press(QDialogButtonBox::StandardButton which)
    {
        dialog.findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"))->button(which)->click();
    }
    static bool red(QLineEdit* edit) { return edit->styleSheet().contains(QStringLiteral("rgb(255, 0, 0)")); }
};

} // namespace

TEST(MinMaxDialog, RefusesEqualOrMissingValuesAndHandsOverAValidPair)
{
    MinMax m;
    EXPECT_EQ(m.min()->text(), QStringLiteral("1"));
    m.dialog.show();
    m.min()->setText(QStringLiteral("5"));
    m.max()->setText(QStringLiteral("5"));
    m.press(QDialogButtonBox::Ok);
    EXPECT_TRUE(m.dialog.isVisible());
    EXPECT_TRUE(MinMax::red(m.min()));
    EXPECT_TRUE(MinMax::red(m.max()));
    EXPECT_EQ(m.lo, 1);

    m.min()->setText(QStringLiteral("4.9"));
    m.press(QDialogButtonBox::Ok);
    EXPECT_FALSE(m.dialog.isVisible());
    EXPECT_EQ(m.dialog.result(), QDialog::Accepted);
    EXPECT_EQ(m.lo, 4.9);
    EXPECT_EQ(m.hi, 5);
}

TEST(MinMaxDialog, EmptyEntriesAreMarkedAndCancelChangesNothing)
{
    MinMax m;
    m.dialog.show();
    m.min()->clear();
    m.press(QDialogButtonBox::Ok);
    EXPECT_TRUE(m.dialog.isVisible());
    EXPECT_TRUE(MinMax::red(m.min()));
    EXPECT_FALSE(MinMax::red(m.max()));
    m.min()->setText(QStringLiteral("-3"));
    m.press(QDialogButtonBox::Cancel);
    EXPECT_EQ(m.dialog.result(), QDialog::Rejected);
    EXPECT_EQ(m.lo, 1);
}

TEST(MinMaxDialog, ANonNumberIsRefusedWithItsReasonNotTakenAsZero)
{
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    MinMax m;
    m.dialog.show();
    m.min()->setText(QStringLiteral("abc"));
    m.max()->setText(QStringLiteral("5"));
    m.press(QDialogButtonBox::Ok);
    EXPECT_TRUE(m.dialog.isVisible());
    EXPECT_TRUE(MinMax::red(m.min()));
    EXPECT_FALSE(MinMax::red(m.max()));
    EXPECT_EQ(m.min()->toolTip(), QStringLiteral("\"abc\" is not a number"));
    EXPECT_EQ(m.lo, 1);

    // Half a number is no number either; a number in the C locale is taken.
    m.min()->setText(QStringLiteral("2*3"));
    m.max()->setText(QStringLiteral("12,5"));
    m.press(QDialogButtonBox::Ok);
    EXPECT_TRUE(m.dialog.isVisible());
    EXPECT_TRUE(MinMax::red(m.max()));
    EXPECT_EQ(m.hi, 2);
    m.min()->setText(QStringLiteral("-1e3"));
    m.max()->setText(QStringLiteral("12.5"));
    m.press(QDialogButtonBox::Ok);
    EXPECT_EQ(m.dialog.result(), QDialog::Accepted);
    EXPECT_EQ(m.lo, -1000);
    EXPECT_EQ(m.hi, 12.5);
    QLocale::setDefault(previous);
}
