// Chains of groups deeper than the tree opens, up to the object limit: 2,000, 50,000,
// 100,000 and 200,000 groups each holding the next, listed outermost or innermost first.
// Opened in the main window with Ctrl+O, the top group clicked and "*" pressed, the
// innermost group selected, and every window closed; and the host started hidden on each
// file ends well.  Both orders open with comparable work.

#include <core/qPelmoraApplication.h>
#include <support/HangGuard.h>
#include <dialogs/widgets/FileDialog.h>
#include <mainwindow/DockingWindowMediator.h>
#include <mainwindow/MainWindow.h>
#include <selection/ProjectItem.h>
#include <selection/ProjectObjectItem.h>
#include <selection/TreeWidget.h>

#include <support/ConsoleCapture.h>
#include <support/GuiSession.h>
#include <support/ProjectFileSeal.h>
#include <support/ProjectTreeSteps.h>
#include <support/StepCount.h>
#include <support/WindowFocus.h>
#include <support/WorkCount.h>

#include <obj/Application.h>
#include <obj/Project.h>
#include <obj/ProjectObject.h>
#include <pmmsg/Message.h>

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>

using PelmoraTest::ConsoleCapture;

namespace {

// The first is short enough that a check climbing the chain for every link still ends
// soon, and shows in the steps there before the deeper chains are tried.
const int ShortDepth = 2000;
const int Depths[] = {ShortDepth, 50000, 100000, 200000};
// The steps a group of a chain may cost, opened and closed: about 33 to 38 here, where a
// check climbing the chain for every link costs half the depth (1,000 at the first).
const std::uint64_t StepsPerGroup = 100;
// Opening it, with the reader's records: about 125 to 130.
const std::uint64_t OpeningStepsPerGroup = 200;

// One project "P" of groups G1..Gn, Gk holding Gk+1; listed from the outermost group
// (ids 1..n) or from the innermost (Gk has the id n+1-k).
QByteArray chainFile(int n, bool outermostFirst)
{
    QByteArray body = "PELMORA PROJECT FILE\nversion\t1\ncurrent\tP\nproject\tP\t1\tFemGui::ViewFeederProjectFem\n";
    body.reserve(n * 140);
    for (int i = 1; i <= n; ++i) {
        const int k = outermostFirst ? i : n + 1 - i;
        const QByteArray name = "G" + QByteArray::number(k);
        const int member = k == n ? 0 : (outermostFirst ? k + 1 : n - k);
        body += "object\t" + QByteArray::number(i) + "\tObj::ProjectObjectGroup\t" + name + "\t0\n";
        body += "prop\tLabel\tObj::PropertyString\t" + name + "\n";
        body += "prop\tMember\tObj::PropertyCoupleArray\t[" + (member ? QByteArray::number(member) + "," : QByteArray())
                + "]\n";
    }
    return PelmoraTest::sealedProjectFile(body);
}

QString writeChain(const QTemporaryDir& dir, int n, bool outermostFirst)
{
    const QString path = dir.filePath(QStringLiteral("Kette %1..%2 \u00fc.pmdb").arg(n).arg(outermostFirst ? "aussen" : "innen"));
    QFile out(path);
    const QByteArray bytes = chainFile(n, outermostFirst);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size())
        return {};
    return path;
}

// Levels below `item` down the chain, as far as the tree has them open.
int openLevelsBelow(const QTreeWidgetItem* item)
{
    int levels = 0;
    while (item->isExpanded() && item->childCount() == 1) {
        item = item->child(0);
        ++levels;
    }
    return levels;
}

class DeepGroupChains : public PelmoraTest::MainWindowSession
{
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(openProductWindow());
        window->resize(1200, 900);
        tree = Gui::DockingWindowMediator::instance()->getDockingWindow("Std_TreeView")->findChild<Gui::TreeWidget*>();
    }
    void TearDown() override { closeSession(); }

    // Ctrl+O with `path` chosen in the dialog; the work (allocations) until the window
    // answered, and in `steps` the member entries and tree items stepped over.
    PelmoraTest::Work open(const QString& path, std::uint64_t& steps)
    {
        Gui::FileDialog::Backend backend;
        backend.openFileNames = [path](QWidget*, const QString&, const QString&, const QString&, QString*,
                                       QFileDialog::Options) { return QStringList{path}; };
        const Gui::FileDialog::Backend previous = Gui::FileDialog::setBackend(backend);
        EXPECT_TRUE(PelmoraTest::activateForTyping(window.get()));
        PelmoraTest::WorkMeter meter;
        PelmoraTest::StepMeter stepped(&PelmoraTest::projectTreeAndReaderSteps);
        QTest::keyClick(window.get(), Qt::Key_O, Qt::ControlModifier);
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        const PelmoraTest::Work work = meter.elapsed();
        steps = stepped.elapsed();
        Gui::FileDialog::setBackend(previous);
        return work;
    }

    Gui::TreeWidget* tree = nullptr;
};

} // namespace

TEST_F(DeepGroupChains, OpenStarSelectAndCloseAllHoldForChainsUpToTheObjectLimitInBothOrders)
{
    ASSERT_NE(tree, nullptr);
    QTemporaryDir dir;
    Obj::Application& logicApp = logic->app();
    PelmoraTest::ChainSteps chainSteps(OpeningStepsPerGroup);
    PelmoraTest::ChainSteps afterSteps(StepsPerGroup);
    for (const int depth : Depths) {
        PelmoraTest::Work opening[2];
        std::uint64_t steps[2] = {0, 0};
        // Of "*", the selection and Close All: each level the tree looks up or opens.
        std::uint64_t after[2] = {0, 0};
        for (const bool outermostFirst : {true, false}) {
            SCOPED_TRACE(std::to_string(depth) + (outermostFirst ? " deep, outermost first" : " deep, innermost first"));
            const QString path = writeChain(dir, depth, outermostFirst);
            ASSERT_FALSE(path.isEmpty());
            opening[outermostFirst ? 0 : 1] = open(path, steps[outermostFirst ? 0 : 1]);
            Obj::Project* project = logicApp.get_project("P");
            ASSERT_NE(project, nullptr);
            ASSERT_EQ(project->get_num_objects(), unsigned(depth));
            Gui::ProjectItem* projectItem = tree->getProjectItem(app->get_project(project));
            ASSERT_NE(projectItem, nullptr);
            const unsigned outerId = outermostFirst ? 1u : unsigned(depth);
            const unsigned innerId = outermostFirst ? unsigned(depth) : 1u;
            Gui::ProjectObjectItem* top = projectItem->object_item(outerId);
            Gui::ProjectObjectItem* innermost = projectItem->object_item(innerId);
            ASSERT_TRUE(top && innermost);
            ASSERT_EQ(top->parent(), projectItem);
            EXPECT_EQ(top->text(0), QStringLiteral("G1"));

            PelmoraTest::StepMeter afterOpening(&PelmoraTest::projectTreeSteps);
            // The top group clicked, then "*": the chain opens as deep as the tree opens
            // groups, says so, and the window goes on.
            const QRect rect = tree->visualItemRect(top);
            ASSERT_FALSE(rect.isEmpty());
            QTest::mouseClick(tree->viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
            ASSERT_EQ(tree->currentItem(), top);
            ConsoleCapture console;
            QTest::keyClick(tree, Qt::Key_Asterisk);
            QCoreApplication::processEvents();
            EXPECT_EQ(openLevelsBelow(top), Gui::TreeWidget::MaxOpenLevel - 1);
            EXPECT_TRUE(console.contains(ConsoleCapture::Level::Warning, "opens groups only down to 1000 levels"));
            // The deepest group shown stays closed.
            const QTreeWidgetItem* deepest = top;
            while (deepest->isExpanded())
                deepest = deepest->child(0);
            EXPECT_EQ(deepest->text(0), QStringLiteral("G%1").arg(Gui::TreeWidget::MaxOpenLevel));
            EXPECT_EQ(deepest->childCount(), 1);

            // The innermost group selected by the logic: its item is selected, and asked
            // to be shown, the tree opens no deeper than before.
            pmMsg::MessageData record;
            record.code = pmMsg::REC_SELECT;
            record.text2 = project->get_name();
            record.number = innerId;
            pmMsg::doCommand(record);
            QCoreApplication::processEvents();
            EXPECT_TRUE(innermost->isSelected());
            EXPECT_EQ(innermost->text(0), QStringLiteral("G%1").arg(depth));
            tree->scrollToItem(innermost);
            QCoreApplication::processEvents();
            EXPECT_EQ(openLevelsBelow(top), Gui::TreeWidget::MaxOpenLevel - 1);
            EXPECT_FALSE(innermost->parent()->isExpanded());

            // Window > Close All: the project goes, with its tree items.
            placed("Std_CloseAllWnds")->trigger();
            QCoreApplication::processEvents();
            PelmoraTest::flushDeletes();
            EXPECT_TRUE(logicApp.get_projects().empty());
            EXPECT_EQ(tree->getRootItem()->childCount(), 0);
            after[outermostFirst ? 0 : 1] = afterOpening.elapsed();
        }
        // Either order opens with work in proportion to the depth: an ancestor check
        // climbing the chain for every link costs the square of the depth, and is not
        // tried on the deeper chains.
        ASSERT_TRUE(chainSteps.expectLinear(depth, steps))
            << "object slots, member entries, tree items and file records";
        ASSERT_TRUE(afterSteps.expectLinear(depth, after)) << "tree items and levels after the opening";
        const std::uint64_t more = std::max(opening[0].allocations, opening[1].allocations);
        const std::uint64_t fewer = std::min(opening[0].allocations, opening[1].allocations);
        std::printf("%d deep: %s and %llu steps outermost first, %s and %llu steps innermost first; "
                    "%llu and %llu steps after\n", depth,
                    PelmoraTest::describe(opening[0]).c_str(), static_cast<unsigned long long>(steps[0]),
                    PelmoraTest::describe(opening[1]).c_str(), static_cast<unsigned long long>(steps[1]),
                    static_cast<unsigned long long>(after[0]), static_cast<unsigned long long>(after[1]));
        // The window's first open allocates what it keeps for later ones, more than the
        // short chain does; the deeper chains outweigh it.
        if (PelmoraTest::workCounted() && depth > ShortDepth) {
            EXPECT_GT(fewer, static_cast<std::uint64_t>(depth));
            EXPECT_LE(more, 2 * fewer) << depth << " deep: " << PelmoraTest::describe(opening[0]) << " outermost first, "
                                       << PelmoraTest::describe(opening[1]) << " innermost first";
        }
    }
}

TEST(DeepGroupChainsHidden, AHiddenStartOnEachChainEndsWell)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), dir.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral(".config")));
    env.insert(QStringLiteral("XDG_DATA_HOME"), dir.filePath(QStringLiteral(".local/share")));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir.path());
    PelmoraTest::ChainSteps chainSteps(StepsPerGroup);
    for (const int depth : Depths) {
        PelmoraTest::Work work[2];
        for (const bool outermostFirst : {true, false}) {
            SCOPED_TRACE(std::to_string(depth) + (outermostFirst ? " deep, outermost first" : " deep, innermost first"));
            const QString path = writeChain(dir, depth, outermostFirst);
            ASSERT_FALSE(path.isEmpty());
            QProcess host;
            // The host's main thread counts its allocations.
            const std::string workFile = PelmoraTest::childWorkFileName();
            QProcessEnvironment counted = env;
            // Its steps: the object tables', member lists' and tree items'.
            for (const auto& v :
                 PelmoraTest::childWorkVariables(PELMORA_HOST, workFile, {}, PelmoraTest::withProjectTreeSteps()))
                counted.insert(QString::fromStdString(v.first), QString::fromStdString(v.second));
            host.setProcessEnvironment(counted);
            host.setWorkingDirectory(dir.path());
            host.start(QStringLiteral(PELMORA_HOST), {QStringLiteral("--hidden"), path});
            // A guard against a hang only.
            ASSERT_TRUE(host.waitForFinished(PelmoraTest::HangGuardMs));
            work[outermostFirst ? 0 : 1] = PelmoraTest::childWorkWritten(workFile);
            EXPECT_EQ(host.exitStatus(), QProcess::NormalExit) << host.readAllStandardError().right(2000).toStdString();
            EXPECT_EQ(host.exitCode(), 0) << host.readAllStandardError().right(2000).toStdString();
            QFile::remove(path);
        }
        const std::uint64_t more = std::max(work[0].allocations, work[1].allocations);
        const std::uint64_t fewer = std::min(work[0].allocations, work[1].allocations);
        std::printf("host, %d deep: %s and %llu steps outermost first, %s and %llu steps innermost first\n", depth,
                    PelmoraTest::describe(work[0]).c_str(), static_cast<unsigned long long>(work[0].steps),
                    PelmoraTest::describe(work[1]).c_str(), static_cast<unsigned long long>(work[1].steps));
        if (PelmoraTest::workCounted()) {
            EXPECT_GT(fewer, static_cast<std::uint64_t>(depth));
            EXPECT_LE(more, 2 * fewer) << depth << " deep: " << PelmoraTest::describe(work[0]) << " outermost first, "
                                       << PelmoraTest::describe(work[1]) << " innermost first";
            const std::uint64_t steps[2] = {work[0].steps, work[1].steps};
            ASSERT_TRUE(chainSteps.expectLinear(depth, steps)) << "host: object slots, member entries and tree items";
        }
    }
}
