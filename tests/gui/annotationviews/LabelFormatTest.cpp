#include <annotations/AnnotationLabelFormat.h>

#include <gtest/gtest.h>

#include <cmath>
#include <string>

using namespace Gui::AnnotationLabel;

TEST(AnnotationLabelFormat, OnlyFormatsOfOneNumberReachPrintf)
{
    for (const char* good : {"%.0f mm", "%-#6.3g mm", "M :%.1f", "100%% of %e", "%+08.2F", "%A"}) {
        std::string text;
        EXPECT_TRUE(formatNumber(good, 12.5, text)) << good;
    }
    std::string text;
    formatNumber("%.1f mm", 12.345, text);
    EXPECT_EQ(text, "12.3 mm");
    formatNumber("50%% :%.0f", 7.0, text);
    EXPECT_EQ(text, "50% :7");

    // Each of these would read an argument that is not there, of the wrong kind, or write.
    for (const char* bad : {"%s", "%d mm", "%f %f", "no number", "%n%f", "%*f", "%.*f", "%lf", "%Lf", "%f%",
                            "%99999f", "%.9999f", ""}) {
        EXPECT_FALSE(isNumberFormat(bad)) << bad;
        EXPECT_FALSE(formatNumber(bad, 2.5, text)) << bad;
        EXPECT_EQ(text, "2.5") << "a refused format shows the plain number";
    }
    EXPECT_FALSE(isNumberFormat(nullptr));
}

TEST(AnnotationLabelFormat, NamesStandForThemselvesAndFontSizesStayInRange)
{
    std::string text;
    ASSERT_TRUE(formatNumber((escapePercent("50%s %n") + " :%.0f").c_str(), 3.0, text));
    EXPECT_EQ(text, "50%s %n :3");

    EXPECT_EQ(fontSizeFromTextScale(4.5), 14) << "the default scale gives a readable size";
    EXPECT_LT(fontSizeFromTextScale(4.0), fontSizeFromTextScale(8.0));
    EXPECT_EQ(fontSizeFromTextScale(1e300), 200);
    EXPECT_EQ(fontSizeFromTextScale(-3), 12);
    EXPECT_EQ(fontSizeFromTextScale(std::nan("")), 12);
    EXPECT_EQ(fontSizeFromTextScale(0.01), 1);
}
