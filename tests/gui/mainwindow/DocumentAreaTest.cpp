// The tabbed document area on its own: tabs following the sub-windows, activation,
// the drawn close buttons, taking windows out, and the cost of one more tab.
#include <mainwindow/DocumentArea.h>
#include <mainwindow/DocumentTabBar.h>

#include <support/HangGuard.h>
#include <support/StepCount.h>
#include <support/WorkCount.h>
#include <support/CostLimits.h>

#include <QApplication>
#include <QMdiSubWindow>
#include <QPointer>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

namespace {

struct Area
{
    Area()
    {
        area.resize(800, 600);
        area.show();
        (void)QTest::qWaitForWindowExposed(&area, PelmoraTest::HangGuardMs);
    }

    // A sub-window holding a widget titled `title`, added the way the main window does.
    QMdiSubWindow* open(const QString& title)
    {
        auto* sub = new QMdiSubWindow(area.viewport());
        sub->setAttribute(Qt::WA_DeleteOnClose);
        auto* view = new QWidget;
        view->setWindowTitle(title);
        sub->setWidget(view);
        area.addSubWindow(sub);
        view->show();
        return sub;
    }

    QStringList tabTexts() const
    {
        QStringList texts;
        for (int i = 0; i < area.tabBar()->count(); ++i)
            texts << area.tabBar()->tabText(i);
        return texts;
    }

    Gui::DocumentArea area;
};

void settle()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

} // namespace

TEST(DocumentArea, TabsFollowTheSubWindowsAndOnlyTheActiveOneShows)
{
    Area a;
    QList<QMdiSubWindow*> activated;
    QObject::connect(&a.area, &Gui::DocumentArea::subWindowActivated,
                     [&activated](QMdiSubWindow* window) { activated.append(window); });
    QMdiSubWindow* first = a.open(QStringLiteral("Part1 : 1"));
    QMdiSubWindow* second = a.open(QStringLiteral("Part2[*]"));
    second->setWindowModified(true);
    QMdiSubWindow* third = a.open(QStringLiteral("Part3"));
    settle();
    EXPECT_EQ(a.tabTexts(), (QStringList{"Part1 : 1", "Part2*", "Part3"}));
    EXPECT_TRUE(a.area.tabBar()->isVisible());
    EXPECT_EQ(a.area.tabBar()->currentIndex(), 2);
    ASSERT_EQ(activated.count(), 3);
    EXPECT_EQ(activated.last(), third);
    EXPECT_EQ(a.area.activeSubWindow(), third);
    EXPECT_TRUE(third->isVisible());
    EXPECT_FALSE(first->isVisible());
    EXPECT_EQ(third->geometry(), a.area.viewport()->rect());

    // A click on a tab shows its window; titles and the modified mark reach the tabs.
    a.area.tabBar()->setCurrentIndex(0);
    EXPECT_EQ(a.area.activeSubWindow(), first);
    EXPECT_EQ(activated.last(), first);
    EXPECT_TRUE(first->isVisible());
    EXPECT_FALSE(third->isVisible());
    second->widget()->setWindowTitle(QStringLiteral("Renamed[*]"));
    second->setWindowModified(false);
    EXPECT_EQ(a.tabTexts(), (QStringList{"Part1 : 1", "Renamed", "Part3"}));
    EXPECT_EQ(a.area.subWindowList(QMdiArea::ActivationHistoryOrder),
              (QList<QMdiSubWindow*>{first, third, second}));

    // Next and previous walk the tabs and wrap around.
    a.area.activatePreviousSubWindow();
    EXPECT_EQ(a.area.activeSubWindow(), third);
    a.area.activateNextSubWindow();
    EXPECT_EQ(a.area.activeSubWindow(), first);

    // Closing the active window hands over to the one active before it.
    a.area.setActiveSubWindow(second);
    EXPECT_TRUE(second->close());
    settle();
    EXPECT_EQ(a.area.subWindowList(), (QList<QMdiSubWindow*>{first, third}));
    EXPECT_EQ(a.area.activeSubWindow(), first);
    EXPECT_EQ(a.tabTexts(), (QStringList{"Part1 : 1", "Part3"}));
    EXPECT_EQ(a.area.tabBar()->currentIndex(), 0);

    // Taken out, a window is kept but has no parent; the last one leaves no tab bar.
    a.area.removeSubWindow(first->widget());
    std::unique_ptr<QMdiSubWindow> taken(first);
    EXPECT_EQ(first->parentWidget(), nullptr);
    EXPECT_EQ(a.area.activeSubWindow(), third);
    a.area.closeAllSubWindows();
    settle();
    EXPECT_EQ(a.area.subWindowCount(), 0);
    EXPECT_EQ(activated.last(), nullptr);
    EXPECT_FALSE(a.area.tabBar()->isVisible());
}

TEST(DocumentArea, TheCloseButtonOfATabAsksToCloseItWithoutSwitching)
{
    Area a;
    a.open(QStringLiteral("One"));
    a.open(QStringLiteral("Two"));
    a.open(QStringLiteral("Three"));
    settle();
    auto* tabs = static_cast<Gui::DocumentTabBar*>(a.area.tabBar());
    QSignalSpy closeRequests(tabs, &QTabBar::tabCloseRequested);
    const QRect button = tabs->closeButtonRect(0);
    ASSERT_TRUE(button.isValid());
    EXPECT_TRUE(tabs->tabRect(0).contains(button));

    QTest::mouseClick(tabs, Qt::LeftButton, Qt::NoModifier, button.center());
    ASSERT_EQ(closeRequests.count(), 1);
    EXPECT_EQ(closeRequests.first().at(0).toInt(), 0);
    EXPECT_EQ(tabs->currentIndex(), 2);

    // Pressed on the button but released elsewhere: nothing.
    QTest::mousePress(tabs, Qt::LeftButton, Qt::NoModifier, button.center());
    QTest::mouseRelease(tabs, Qt::LeftButton, Qt::NoModifier, tabs->tabRect(1).center());
    EXPECT_EQ(closeRequests.count(), 1);

    // The rest of a tab still switches to it.
    QTest::mouseClick(tabs, Qt::LeftButton, Qt::NoModifier, tabs->tabRect(1).topLeft() + QPoint(4, 4));
    EXPECT_EQ(closeRequests.count(), 1);
    EXPECT_EQ(tabs->currentIndex(), 1);
}

TEST(DocumentArea, OneMoreTabCostsTheSameBesideManyOthers)
{
    PELMORA_SKIP_COST_LIMITS_WHEN_INSTRUMENTED();
    Area a;
    const auto addMany = [&a](int n) {
        for (int i = 0; i < n; ++i)
            a.open(QStringLiteral("Document %1").arg(i));
        settle();
    };
    // A cost that grows with the number of tabs makes the same hundred tabs far more work
    // beside many others (the old area took over ten times as long here): counted in
    // window entries stepped over, which see a pass over every tab that allocates
    // nothing, and in allocations.
    // The bar itself asks for every tab's size each time it lays its tabs out, a pass
    // over all tabs per tab added that is Qt's own; the bar's measured sizes are read
    // about once for each size asked, and any other pass over them shows beside that.
    std::uint64_t entries[2] = {0, 0};
    const auto work = [&addMany, &entries](int n, int which) {
        PelmoraTest::WorkMeter meter;
        PelmoraTest::StepMeter stepped(&Gui::DocumentArea::windowEntriesVisited);
        PelmoraTest::StepMeter sizesRead(&Gui::DocumentTabBar::sizesRead);
        PelmoraTest::StepMeter sizesAsked(&Gui::DocumentTabBar::sizeHintsGiven);
        addMany(n);
        entries[which] = stepped.elapsed();
        EXPECT_LE(sizesRead.elapsed(), sizesAsked.elapsed() + 4u * unsigned(n))
            << "measured tab sizes read beside " << sizesAsked.elapsed() << " sizes asked for";
        return meter.elapsed();
    };
    addMany(100);   // what the first tabs cost once is no part of it
    const PelmoraTest::Work early = work(100, 0);
    addMany(1500);
    const PelmoraTest::Work late = work(100, 1);
    std::printf("window entries of 100 more tabs: %llu beside 100, %llu beside 1,700\n",
                static_cast<unsigned long long>(entries[0]), static_cast<unsigned long long>(entries[1]));
    EXPECT_TRUE(PelmoraTest::stepsGrowAtMost(entries[0], entries[1], 2)) << "window entries, beside 100 and 1,700 tabs";
    if (PelmoraTest::workCounted()) {
        EXPECT_LE(late.allocations, 2 * early.allocations)
            << "first " << PelmoraTest::describe(early) << ", beside 1,700 others " << PelmoraTest::describe(late);
    }
    EXPECT_EQ(a.area.subWindowCount(), 1800);
    EXPECT_EQ(a.area.tabBar()->count(), 1800);
}

TEST(DocumentArea, AsksForTwoThirdsOfTheScreenSoAFirstStartOpensAUsefulWindow)
{
    Gui::DocumentArea area;
    const QScreen* screen = QGuiApplication::primaryScreen();
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(area.sizeHint(), QSize(screen->size().width() * 2 / 3, screen->size().height() * 2 / 3));
}
