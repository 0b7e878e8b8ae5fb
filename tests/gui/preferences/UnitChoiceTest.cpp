// The unit choice of a window and the preferences dialog, as a table: every way the dialog
// is left (OK, Cancel, Escape, closing it) x whether the user picked another unit system in
// it, or clicked the one shown checked x whether another instance stored a choice meanwhile x whether a second dialog, left
// untouched, is open beside it and cancelled after.  A pick (a click on the button shown
// checked too, where that is a choice stored by another instance) is stored and followed at once
// and stays however the dialog is left; nothing else changes the window's units, its
// status bar, its projects' amounts or the stored choice.

#include <commands/SimModule.h>
#include <core/qPelmoraApplication.h>
#include <dialogs/preferences/PreferencesDialogImp.h>
#include <mainwindow/MainWindow.h>

#include <support/HangGuard.h>
#include <support/TestEnvironment.h>

#include <obj/Application.h>
#include <obj/LoadObject.h>
#include <obj/Project.h>
#include <obj/PropertyQuantity.h>
#include <pmunit/Units.h>
#include <vexil/PreferenceManager.h>

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <string>

using Gui::Dialog::PreferencesDialogImp;

namespace {

enum class Leave { Ok, Cancel, Escape, Close };

const char* name(Leave how)
{
    switch (how) {
    case Leave::Ok: return "OK";
    case Leave::Cancel: return "Cancel";
    case Leave::Escape: return "Escape";
    case Leave::Close: return "close";
    }
    return "";
}

class UnitChoice : public ::testing::Test
{
protected:
    void TearDown() override { pmUnit::UnitsManager::instance()->setSystemUnits("MKS"); }
    PelmoraTest::ScopedLogic logic;
};

} // namespace

TEST_F(UnitChoice, OnlyAPickChangesTheUnitsAndNoWayOutTakesItBack)
{
    Vexil::PreferenceManager* prefs = logic.app().getPrefMgr();
    ASSERT_TRUE(prefs);
    auto app = std::make_unique<Gui::qPelmoraApplication>(false);
    auto window = std::make_unique<Gui::MainWindow>();
    auto* label = window->statusBar()->findChild<QLabel*>(QStringLiteral("UnitLabel"));
    ASSERT_TRUE(label);
    const QString file = prefs->fileName();

    for (const Leave how : {Leave::Ok, Leave::Cancel, Leave::Escape, Leave::Close}) {
        for (const int click : {0, 1, 2}) {
            const bool picked = click != 0;
            for (int variant = 0; variant < 4; ++variant) {
                const bool otherStored = variant & 1;
                const bool second = variant & 2;
                const std::string cell = std::string(name(how))
                    + (click == 1 ? ", CMGS picked" : click == 2 ? ", the button shown checked clicked" : "")
                    + (otherStored ? ", another instance stored BFT" : "")
                    + (second ? ", a second dialog cancelled" : "");
                // The window follows millimetres, with an amount in a project.
                prefs->set(Vexil::PM_UNIT_SYSTEM, QStringLiteral("MMKS"), true);
                ASSERT_EQ("MMKS", pmUnit::UnitsManager::instance()->systemUnits()) << cell;
                Obj::Project* project = logic.app().create_project("P");
                auto* load = static_cast<Obj::LoadObject*>(project->add_object("Obj::LoadObject", "L"));
                ASSERT_TRUE(load->Thickness->set_value_text("12.5"));
                const QString labelBefore = label->text();
                if (otherStored) {
                    Vexil::PreferenceManager other(file);
                    other.set(Vexil::PM_UNIT_SYSTEM, QStringLiteral("BFT"), false);
                    // This window stores a setting of its own, which takes in what the other stored.
                    prefs->set(Vexil::PM_RECENT_FILES, prefs->getInt(Vexil::PM_RECENT_FILES), false);
                    ASSERT_EQ("BFT", prefs->getString(Vexil::PM_UNIT_SYSTEM)) << cell;
                }

                PreferencesDialogImp* beside = nullptr;
                if (second) {
                    beside = new PreferencesDialogImp(window.get());
                    beside->setPreferenceManager(prefs);
                    beside->show();
                }
                auto* dlg = new PreferencesDialogImp(window.get());
                dlg->setPreferenceManager(prefs);
                dlg->show();
                ASSERT_TRUE(QTest::qWaitForWindowExposed(dlg, PelmoraTest::HangGuardMs)) << cell;
                // Opening shows the stored choice and changes nothing yet.
                EXPECT_EQ("MMKS", pmUnit::UnitsManager::instance()->systemUnits()) << cell;
                EXPECT_EQ(labelBefore, label->text()) << cell;
                EXPECT_EQ(otherStored, dlg->findChild<QRadioButton*>(QStringLiteral("radioUnitsBFT"))->isChecked()) << cell;
                // The system a click picks: CMGS, or the one shown checked.
                const QString pick = click == 1 ? "CMGS" : otherStored ? "BFT" : "MMKS";
                if (picked) {
                    dlg->findChild<QRadioButton*>("radioUnits" + pick)->click();
                    EXPECT_EQ(pick, pmUnit::UnitsManager::instance()->systemUnits()) << cell << ": a pick shows at once";
                }
                auto* buttons = dlg->findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
                ASSERT_TRUE(buttons);
                switch (how) {
                case Leave::Ok: buttons->button(QDialogButtonBox::Ok)->click(); break;
                case Leave::Cancel: buttons->button(QDialogButtonBox::Cancel)->click(); break;
                case Leave::Escape: QTest::keyClick(dlg, Qt::Key_Escape); break;
                case Leave::Close: dlg->close(); break;
                }
                EXPECT_FALSE(dlg->isVisible()) << cell;
                delete dlg;
                if (beside) {
                    beside->findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"))->button(QDialogButtonBox::Cancel)->click();
                    EXPECT_FALSE(beside->isVisible()) << cell;
                    delete beside;
                }

                EXPECT_EQ(picked ? pick : "MMKS", pmUnit::UnitsManager::instance()->systemUnits()) << cell;
                const pmUnit::UnitType length = pmUnit::UnitsManager::instance()->getDefaultUnitType(pmUnit::Length);
                EXPECT_EQ(length, load->Thickness->getUnitType()) << cell;
                EXPECT_EQ("12.5 mm", Obj::valueTextWithUnits(*load->Thickness)) << cell;
                EXPECT_EQ(pmUnit::UnitsManager::instance()->getUnitStatusLabel(), label->text()) << cell;
                if (!picked || pick == "MMKS") {
                    EXPECT_EQ(labelBefore, label->text()) << cell;
                }
                // The pick stays stored; without one, the stored choice is the one there was.
                EXPECT_EQ(picked ? pick : otherStored ? "BFT" : "MMKS", prefs->getString(Vexil::PM_UNIT_SYSTEM))
                    << cell;
                logic.app().close_project(project->get_name());
            }
        }
    }
    window.reset();
    Gui::SimModuleController::destruct();
}
