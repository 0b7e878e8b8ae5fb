// Chains of groups far deeper than the tree opens, up to the object limit: 50,000,
// 100,000 and 200,000 groups each holding the next, listed outermost or innermost first.
// Opened in the main window with Ctrl+O, the top group clicked and "*" pressed, the
// innermost group selected, and every window closed; and the host started hidden on each
// file ends well.  Both orders open in comparable time.

#include <core/qPelmoraApplication.h>
#include <dialogs/widgets/FileDialog.h>
#include <mainwindow/DockingWindowMediator.h>
#include <mainwindow/MainWindow.h>
#include <selection/ProjectItem.h>
#include <selection/ProjectObjectItem.h>
#include <selection/TreeWidget.h>

#include <support/ConsoleCapture.h>
#include <support/GuiSession.h>
#include <support/ProjectFileSeal.h>
#include <support/WindowFocus.h>

#include <obj/Application.h>
#include <obj/Project.h>
#include <obj/ProjectObject.h>
#include <pmmsg/Message.h>

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

using PelmoraTest::ConsoleCapture;

namespace {

const int Depths[] = {50000, 100000, 200000};

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

    // Ctrl+O with `path` chosen in the dialog; how long until the window answered.
    qint64 open(const QString& path)
    {
        Gui::FileDialog::Backend backend;
        backend.openFileNames = [path](QWidget*, const QString&, const QString&, const QString&, QString*,
                                       QFileDialog::Options) { return QStringList{path}; };
        const Gui::FileDialog::Backend previous = Gui::FileDialog::setBackend(backend);
        EXPECT_TRUE(PelmoraTest::activateForTyping(window.get()));
        QElapsedTimer clock;
        clock.start();
        QTest::keyClick(window.get(), Qt::Key_O, Qt::ControlModifier);
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        const qint64 ms = clock.elapsed();
        Gui::FileDialog::setBackend(previous);
        return ms;
    }

    Gui::TreeWidget* tree = nullptr;
};

} // namespace

TEST_F(DeepGroupChains, OpenStarSelectAndCloseAllHoldForChainsUpToTheObjectLimitInBothOrders)
{
    ASSERT_NE(tree, nullptr);
    QTemporaryDir dir;
    Obj::Application& logicApp = logic->app();
    for (const int depth : Depths) {
        qint64 openMs[2] = {0, 0};
        for (const bool outermostFirst : {true, false}) {
            SCOPED_TRACE(std::to_string(depth) + (outermostFirst ? " deep, outermost first" : " deep, innermost first"));
            const QString path = writeChain(dir, depth, outermostFirst);
            ASSERT_FALSE(path.isEmpty());
            openMs[outermostFirst ? 0 : 1] = open(path);
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
        }
        // Either order opens in comparable time (generous: the machine may be loaded).
        const qint64 slower = std::max(openMs[0], openMs[1]);
        const qint64 faster = std::min(openMs[0], openMs[1]);
        EXPECT_LE(slower, 3 * faster + 1500) << depth << " deep: " << openMs[0] << " ms outermost first, "
                                              << openMs[1] << " ms innermost first";
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
    for (const int depth : Depths) {
        qint64 ms[2] = {0, 0};
        for (const bool outermostFirst : {true, false}) {
            SCOPED_TRACE(std::to_string(depth) + (outermostFirst ? " deep, outermost first" : " deep, innermost first"));
            const QString path = writeChain(dir, depth, outermostFirst);
            ASSERT_FALSE(path.isEmpty());
            QProcess host;
            host.setProcessEnvironment(env);
            host.setWorkingDirectory(dir.path());
            QElapsedTimer clock;
            clock.start();
            host.start(QStringLiteral(PELMORA_HOST), {QStringLiteral("--hidden"), path});
            ASSERT_TRUE(host.waitForFinished(120000));
            ms[outermostFirst ? 0 : 1] = clock.elapsed();
            EXPECT_EQ(host.exitStatus(), QProcess::NormalExit) << host.readAllStandardError().right(2000).toStdString();
            EXPECT_EQ(host.exitCode(), 0) << host.readAllStandardError().right(2000).toStdString();
            QFile::remove(path);
        }
        const qint64 slower = std::max(ms[0], ms[1]);
        const qint64 faster = std::min(ms[0], ms[1]);
        EXPECT_LE(slower, 3 * faster + 1500) << depth << " deep: " << ms[0] << " ms outermost first, " << ms[1]
                                              << " ms innermost first";
    }
}
