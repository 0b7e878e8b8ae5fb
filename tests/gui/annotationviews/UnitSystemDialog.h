#pragma once
// Choosing a unit system the way a user does, for the tests of this program that change it.

#include <commands/Command.h>
#include <support/HangGuard.h>
#include <core/qPelmoraApplication.h>
#include <dialogs/preferences/PreferencesDialogImp.h>

#include <support/GuiSession.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

namespace PelmoraTest {

// The preferences dialog of the File menu: the General page's "Units" tab, the unit
// system's `button`, then OK, each clicked as a user does.
inline void chooseUnitSystem(Gui::qPelmoraApplication& app, const char* button)
{
    app.get_command_manager().run_command_by_name("Std_DlgUserPref2");
    Gui::Dialog::PreferencesDialogImp* dialog = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* d = qobject_cast<Gui::Dialog::PreferencesDialogImp*>(w))
            if (d->isVisible())
                dialog = d;
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog, PelmoraTest::HangGuardMs));
    auto* radio = dialog->findChild<QRadioButton*>(QString::fromLatin1(button));
    ASSERT_NE(radio, nullptr);
    auto* unitsTab = dialog->findChild<QWidget*>(QStringLiteral("tabUnits"));
    QTabWidget* tabs = nullptr;
    for (QWidget* w = unitsTab; w && !tabs; w = w->parentWidget())
        tabs = qobject_cast<QTabWidget*>(w);
    ASSERT_TRUE(tabs && unitsTab);
    ASSERT_TRUE(tabs->isVisible()) << "the General page is shown first";
    QTest::mouseClick(tabs->tabBar(), Qt::LeftButton, Qt::NoModifier,
                      tabs->tabBar()->tabRect(tabs->indexOf(unitsTab)).center());
    ASSERT_TRUE(QTest::qWaitFor([radio] { return radio->isVisible(); }, PelmoraTest::HangGuardMs));
    // On its round mark: the button's far side may lie beyond its text.
    QTest::mouseClick(radio, Qt::LeftButton, Qt::NoModifier, QPoint(radio->height() / 2, radio->height() / 2));
    ASSERT_TRUE(radio->isChecked());
    QPushButton* ok = dialog->findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"))->button(QDialogButtonBox::Ok);
    ASSERT_NE(ok, nullptr);
    QTest::mouseClick(ok, Qt::LeftButton);
    flushDeletes();
}

} // namespace PelmoraTest
