// Each preferences page shows what is stored and stores every change at once with the
// notify flag its listeners need.

#include <dialogs/preferences/AnalysisPageImp.h>
#include <dialogs/preferences/GeneralPageImp.h>
#include <dialogs/preferences/OutputPageImp.h>
#include <dialogs/preferences/ThreeDGraphicsPageImp.h>
#include <dialogs/widgets/ColoringButton.h>
#include <dialogs/widgets/FileDialog.h>
#include <visualization/qView3DMRML.h>

#include <support/HangGuard.h>
#include <support/ModalCloser.h>
#include <support/TestEnvironment.h>

#include <ctk/ctkVTKAbstractView.h>
#include <obj/Application.h>
#include <pmunit/UnitSystemsImp.h>
#include <pmunit/Units.h>
#include <vexil/PreferenceManager.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <QApplication>

#include <gtest/gtest.h>

#include <set>

namespace {

class Pages : public ::testing::Test
{
protected:
    void SetUp() override
    {
        prefs = logic.app().getPrefMgr();
        ASSERT_NE(prefs, nullptr);
    }
    void TearDown() override { Gui::FileDialog::setBackend(Gui::FileDialog::Backend()); }

    // Ids announced since the spy was made.
    static std::multiset<int> announced(const QSignalSpy& spy)
    {
        std::multiset<int> ids;
        for (const QList<QVariant>& call : spy)
            ids.insert(int(call.at(0).value<Vexil::PM_SETTING>()));
        return ids;
    }
    template <class T>
    static T* child(QWidget& page, const char* name)
    {
        T* w = page.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }

    PelmoraTest::ScopedLogic logic;
    Vexil::PreferenceManager* prefs = nullptr;
};

} // namespace

TEST_F(Pages, GeneralPageShowsTheStoredValuesAndAnnouncesOnlyUnitChanges)
{
    prefs->set(Vexil::PM_DEFAULT_FOLDER, QStringLiteral("/data/projects"), false);
    prefs->set(Vexil::PM_COMPRESSION_LEVEL, 7, false);
    prefs->set(Vexil::PM_LANGUAGE, QStringLiteral("pt_BR"), false);
    prefs->set(Vexil::PM_UNIT_SYSTEM, QStringLiteral("BIN"), false);
    prefs->set(Vexil::PM_TEMPERATURE_UNIT, QStringLiteral("Fahrenheit"), false);

    Gui::Dialog::GeneralPageImp page;
    page.setPreferenceManager(prefs);
    PelmoraTest::ModalCloser closer(QMessageBox::Ok);
    page.updateValues();
    EXPECT_EQ(closer.count(), 0);   // loading never asks for a restart
    EXPECT_EQ(child<QLineEdit>(page, "leFileFolder")->text(), QStringLiteral("/data/projects"));
    EXPECT_EQ(child<QSpinBox>(page, "spinCompressLevel")->value(), 7);
    auto* language = child<QComboBox>(page, "languageCombo");
    EXPECT_EQ(language->currentText(), QStringLiteral("Portuguese - Brazil(Portuguese - Brazil)"));
    EXPECT_FALSE(language->isEnabled());
    EXPECT_EQ(language->count(), 21);
    EXPECT_TRUE(child<QRadioButton>(page, "radioUnitsBIN")->isChecked());
    // A value with no button leaves the group as it was.
    EXPECT_TRUE(child<QRadioButton>(page, "radioTempUnitC")->isChecked());

    QSignalSpy spy(prefs, &Vexil::PreferenceManager::optionChanged);
    child<QSpinBox>(page, "spinNumDigits")->setValue(9);
    EXPECT_EQ(prefs->getInt(Vexil::PM_SIGNIFICANT_DIGITS), 9);
    child<QLineEdit>(page, "leTempFolder")->setText(QStringLiteral("/scratch"));
    EXPECT_EQ(prefs->getString(Vexil::PM_TEMP_FOLDER), QStringLiteral("/scratch"));
    EXPECT_TRUE(spy.isEmpty());

    child<QRadioButton>(page, "radioUnitsMMKS")->setChecked(true);
    EXPECT_EQ(prefs->getString(Vexil::PM_UNIT_SYSTEM), QStringLiteral("MMKS"));
    child<QRadioButton>(page, "radioAngleUnitRadians")->setChecked(true);
    EXPECT_EQ(prefs->getString(Vexil::PM_ANGLE_UNIT), QStringLiteral("Radians"));
    // One change of choice toggles two buttons; the second toggle writes the same text.
    EXPECT_EQ(announced(spy), (std::multiset<int>{8, 8, 10, 10}));
}

TEST_F(Pages, GeneralFolderButtonStoresTheChosenFolderAndCancelKeepsIt)
{
    Gui::Dialog::GeneralPageImp page;
    page.setPreferenceManager(prefs);
    page.updateValues();
    QString answer = QStringLiteral("/chosen/folder");
    QString askedCaption;
    Gui::FileDialog::Backend backend;
    backend.existingDirectory = [&](QWidget*, const QString& caption, const QString&, QFileDialog::Options) {
        askedCaption = caption;
        return answer;
    };
    Gui::FileDialog::setBackend(backend);
    child<QPushButton>(page, "pbTempFolder")->click();
    EXPECT_EQ(askedCaption, QStringLiteral("Select Temporary Folder"));
    EXPECT_EQ(prefs->getString(Vexil::PM_TEMP_FOLDER), answer);
    EXPECT_EQ(child<QLineEdit>(page, "leTempFolder")->text(), answer);

    answer.clear();
    child<QPushButton>(page, "pbTempFolder")->click();
    EXPECT_EQ(prefs->getString(Vexil::PM_TEMP_FOLDER), QStringLiteral("/chosen/folder"));
}

TEST_F(Pages, UnitSystemsViewListsEverySystemWithItsUnits)
{
    pmUnit::UnitsManager::instance()->setSystemUnits("MMKS");
    Gui::Dialog::GeneralPageImp page;
    page.setPreferenceManager(prefs);
    page.updateValues();
    QStringList systems;
    QString current;
    QStringList currentUnits;
    QTimer::singleShot(50, [&]() {
        auto* dialog = qobject_cast<pmUnit::UnitSystemsImp*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        QTreeWidget* tree = dialog->tree();
        for (int i = 0; i < tree->topLevelItemCount(); ++i)
            systems << tree->topLevelItem(i)->text(0);
        current = tree->currentItem()->text(0);
        for (int i = 0; i < tree->currentItem()->childCount(); ++i)
            currentUnits << tree->currentItem()->child(i)->text(0) + " " + tree->currentItem()->child(i)->text(1);
        dialog->reject();
    });
    child<QPushButton>(page, "btnUnitSystemsView")->click();
    pmUnit::UnitsManager::instance()->setSystemUnits("MKS");
    ASSERT_EQ(8, systems.size());
    EXPECT_EQ("U.S. Customary (in, lbm, lbf, s, V, A)", systems.last());
    EXPECT_EQ("Metric (mm, kg, N, s, mV, mA)", current);
    EXPECT_EQ(currentUnits, QStringList({"Length mm", "Mass kg", "Force N", "Pressure MPa", "Time s"}));
}

TEST_F(Pages, OutputPageStoresSwitchesAndFullColoursWithNotification)
{
    prefs->set(Vexil::PM_COLOR_WARNING, 0x00123456u, false);
    prefs->set(Vexil::PM_DISPLAY_WARNINGS, true, false);
    Gui::Dialog::OutputPageImp page;
    page.setPreferenceManager(prefs);
    QSignalSpy spy(prefs, &Vexil::PreferenceManager::optionChanged);
    page.updateValues();
    // A colour with alpha 0 shows as stored, and loading colours writes nothing.
    EXPECT_EQ(child<Gui::ColoringButton>(page, "colorWarning")->color().rgba(), 0x00123456u);
    EXPECT_EQ(announced(spy).count(17), 0u);
    spy.clear();

    child<QCheckBox>(page, "checkWarning")->setChecked(false);
    EXPECT_FALSE(prefs->isOn(Vexil::PM_DISPLAY_WARNINGS));
    auto* error = child<Gui::ColoringButton>(page, "colorError");
    error->setColor(QColor(10, 20, 30, 40));
    Q_EMIT error->changed();
    EXPECT_EQ(prefs->getUInt(Vexil::PM_COLOR_ERROR), 0x280a141eu);
    EXPECT_EQ(announced(spy), (std::multiset<int>{13, 18}));
}

TEST_F(Pages, ThreeDGraphicsPageLoadsClampsAndWritesBackWithItsFlags)
{
    prefs->set(Vexil::PM_AXES_SIZE, 500, false);
    prefs->set(Vexil::PM_LOGO_COLOR, 0x10203040u, false);
    prefs->set(Vexil::PM_PRESELECTION_COLOR, 0x10203040u, false);
    prefs->set(Vexil::PM_CAMERA_TYPE, 2, false);
    prefs->set(Vexil::PM_ANTI_ALIASING, 7, false);
    Gui::Dialog::ThreeDGraphicsPageImp page;
    page.setPreferenceManager(prefs);
    QSignalSpy spy(prefs, &Vexil::PreferenceManager::optionChanged);
    PelmoraTest::ModalCloser closer(QMessageBox::Ok);
    page.updateValues();

    EXPECT_EQ(child<QSpinBox>(page, "spinCoordSysSize")->value(), 200);
    EXPECT_EQ(prefs->getInt(Vexil::PM_AXES_SIZE), 200);
    EXPECT_EQ(announced(spy).count(21), 1u);
    EXPECT_EQ(child<Gui::ColoringButton>(page, "colorLogo")->color().rgba(), 0xff203040u);
    EXPECT_EQ(child<Gui::ColoringButton>(page, "colorPreselection")->color().rgba(), 0x10203040u);
    EXPECT_TRUE(child<QRadioButton>(page, "radioOrthographic")->isChecked());
    EXPECT_EQ(prefs->getInt(Vexil::PM_CAMERA_TYPE), 2);
    EXPECT_EQ(child<QComboBox>(page, "comboAliasing")->currentIndex(), -1);
    EXPECT_EQ(prefs->getInt(Vexil::PM_ANTI_ALIASING), 7);
    EXPECT_EQ(closer.count(), 0);

    spy.clear();
    child<QRadioButton>(page, "radioPerspective")->setChecked(true);
    EXPECT_EQ(prefs->getInt(Vexil::PM_CAMERA_TYPE), 0);
    child<QRadioButton>(page, "radioButtonSimple")->setChecked(true);
    EXPECT_EQ(prefs->getInt(Vexil::PM_BACKGROUND_MODE), 0);
    child<QDoubleSpinBox>(page, "spinPickRadius")->setValue(2.5);
    EXPECT_DOUBLE_EQ(prefs->getDouble(Vexil::PM_PICK_RADIUS), 2.5);
    // Each of the two toggles writes the same choice.
    EXPECT_EQ(announced(spy), (std::multiset<int>{33, 33}));
}

TEST_F(Pages, AntiAliasingChangeOnAShownPageTellsTheUserThenStores)
{
    Gui::Dialog::ThreeDGraphicsPageImp page;
    page.setPreferenceManager(prefs);
    page.updateValues();
    auto* combo = child<QComboBox>(page, "comboAliasing");
    combo->setCurrentIndex(4);   // hidden: ignored
    EXPECT_EQ(prefs->getInt(Vexil::PM_ANTI_ALIASING), int(Vexil::AA_MSAA2X));

    page.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&page, PelmoraTest::HangGuardMs));
    QSignalSpy spy(prefs, &Vexil::PreferenceManager::optionChanged);
    PelmoraTest::ModalCloser closer(QMessageBox::Ok);
    combo->setCurrentIndex(3);
    ASSERT_EQ(closer.count(), 1);
    EXPECT_EQ(closer.titles().front(), QStringLiteral("Anti-aliasing"));
    EXPECT_TRUE(closer.texts().front().startsWith(QStringLiteral("Open a new viewer or restart ")));
    EXPECT_EQ(prefs->getInt(Vexil::PM_ANTI_ALIASING), 3);
    EXPECT_EQ(announced(spy), (std::multiset<int>{26}));
    combo->setCurrentIndex(3);   // no change, no message
    EXPECT_EQ(closer.count(), 1);
}

TEST_F(Pages, AnalysisPageLoadsWithoutWritingAnythingBack)
{
    prefs->set(Vexil::PM_CONTACT_TYPE, 9, false);     // no such entry
    prefs->set(Vexil::PM_MAX_MODES, 150, false);      // beyond the spin box
    prefs->set(Vexil::PM_MAX_RANGE, 100000000, false);
    prefs->set(Vexil::PM_REPORT_GENERATOR_FOLDER, QStringLiteral("/reports"), false);
    const QByteArray before = [this] {
        QFile f(prefs->fileName());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();

    Gui::Dialog::AnalysisPageImp page;
    page.setPreferenceManager(prefs);
    page.updateValues();
    EXPECT_EQ(child<QComboBox>(page, "comboContactType")->currentIndex(), -1);
    EXPECT_EQ(child<QSpinBox>(page, "spinFreqMaxModes")->value(), 99);
    EXPECT_EQ(child<QLineEdit>(page, "leFreqMax")->text(), QStringLiteral("100000000"));
    EXPECT_EQ(child<QLineEdit>(page, "leReportFolder")->text(), QStringLiteral("/reports"));
    // Nothing the widgets could not show was replaced: no -1, no clamped 99.
    EXPECT_EQ(prefs->getInt(Vexil::PM_CONTACT_TYPE), 9);
    EXPECT_EQ(prefs->getInt(Vexil::PM_MAX_MODES), 150);
    QFile after(prefs->fileName());
    ASSERT_TRUE(after.open(QIODevice::ReadOnly));
    EXPECT_EQ(after.readAll(), before);
}

TEST_F(Pages, AnalysisPageStoresEachEditAsTyped)
{
    Gui::Dialog::AnalysisPageImp page;
    page.setPreferenceManager(prefs);
    page.updateValues();
    QSignalSpy spy(prefs, &Vexil::PreferenceManager::optionChanged);
    auto* minRange = child<QLineEdit>(page, "leFreqMin");
    minRange->setText(QStringLiteral("12a"));
    EXPECT_EQ(prefs->getInt(Vexil::PM_MIN_RANGE), 0);
    minRange->setText(QStringLiteral("-5"));
    EXPECT_EQ(prefs->getInt(Vexil::PM_MIN_RANGE), -5);
    child<QComboBox>(page, "comboSolverType")->setCurrentIndex(2);
    EXPECT_EQ(prefs->getInt(Vexil::PM_SOLVER_TYPE), 2);
    child<QCheckBox>(page, "checkNodalForces")->setChecked(true);
    EXPECT_TRUE(prefs->isOn(Vexil::PM_NODAL_FORCES));
    child<QSpinBox>(page, "spinChartWidth")->setValue(1234);
    EXPECT_EQ(prefs->getInt(Vexil::PM_CHART_WIDTH), 1234);
    EXPECT_TRUE(spy.isEmpty());

    // Browse: the chosen folder is stored and shown; cancelling changes nothing.
    QString answer = QStringLiteral("/solver/bin");
    Gui::FileDialog::Backend backend;
    backend.existingDirectory = [&](QWidget*, const QString&, const QString&, QFileDialog::Options) { return answer; };
    Gui::FileDialog::setBackend(backend);
    child<QPushButton>(page, "pbSolverFolder")->click();
    EXPECT_EQ(prefs->getString(Vexil::PM_EXECUTABLE_FOLDER), answer);
    EXPECT_EQ(child<QLineEdit>(page, "leSolverExeDir")->text(), answer);
    answer.clear();
    child<QPushButton>(page, "pbSolverFolder")->click();
    EXPECT_EQ(prefs->getString(Vexil::PM_EXECUTABLE_FOLDER), QStringLiteral("/solver/bin"));
}

TEST_F(Pages, AntiAliasingReachesThe3DViewsOpenedAfterwards)
{
    Gui::Dialog::ThreeDGraphicsPageImp page;
    page.setPreferenceManager(prefs);
    page.updateValues();
    page.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&page, PelmoraTest::HangGuardMs));
    {
        PelmoraTest::ModalCloser closer(QMessageBox::Ok);
        child<QComboBox>(page, "comboAliasing")->setCurrentIndex(int(Vexil::AA_MSAA8X));
    }
    Gui::qView3DMRML view(nullptr);
    EXPECT_EQ(ctkVTKAbstractView::multiSamples(), 8);
    {
        PelmoraTest::ModalCloser closer(QMessageBox::Ok);
        child<QComboBox>(page, "comboAliasing")->setCurrentIndex(int(Vexil::AA_NONE));
    }
    Gui::qView3DMRML later(nullptr);
    EXPECT_EQ(ctkVTKAbstractView::multiSamples(), 0);

    // The last two entries switch anti-aliasing on too: "MSAA16x" with 16 samples, "Auto"
    // with as many as the graphics offers.
    {
        PelmoraTest::ModalCloser closer(QMessageBox::Ok);
        child<QComboBox>(page, "comboAliasing")->setCurrentIndex(5);
    }
    EXPECT_EQ(child<QComboBox>(page, "comboAliasing")->currentText(), "MSAA16x");
    Gui::qView3DMRML sixteen(nullptr);
    EXPECT_EQ(ctkVTKAbstractView::multiSamples(), 16);
    {
        PelmoraTest::ModalCloser closer(QMessageBox::Ok);
        child<QComboBox>(page, "comboAliasing")->setCurrentIndex(1);
    }
    EXPECT_EQ(child<QComboBox>(page, "comboAliasing")->currentText(), "Auto");
    Gui::qView3DMRML automatic(nullptr);
    QOpenGLContext context;
    ASSERT_TRUE(context.create());
    QOffscreenSurface surface;
    surface.create();
    ASSERT_TRUE(context.makeCurrent(&surface));
    GLint largest = 0;
    context.functions()->glGetIntegerv(GL_MAX_SAMPLES, &largest);
    EXPECT_GT(largest, 1) << "this graphics offers no multisampling to test with";
    EXPECT_EQ(ctkVTKAbstractView::multiSamples(), largest);
}
