// Groups nested deep, with the main window's tree: a chain of thousands of groups, each
// holding the next, opened from a file (listed either way round) or pasted, keeps every
// link in the logic and in the tree; a ring closed at the far end of such a chain is
// still refused in a file and in a copy, and by hand afterwards.

#include <core/GuiProject.h>
#include <core/MergeProjects.h>
#include <core/qPelmoraApplication.h>
#include <mainwindow/DockingWindowMediator.h>
#include <selection/ProjectItem.h>
#include <selection/ProjectObjectItem.h>
#include <selection/TreeWidget.h>

#include <support/ConsoleCapture.h>
#include <support/GuiSession.h>
#include <support/ProjectFileSeal.h>
#include <support/TestEnvironment.h>

#include <obj/Application.h>
#include <obj/Project.h>
#include <obj/ProjectObject.h>
#include <obj/PropertyCouple.h>
#include <vexil/Exception.h>

#include <QAbstractItemModel>
#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

using PelmoraTest::ConsoleCapture;

namespace {

constexpr int Depth = 10000;

// A project file of one project "P" with groups G1..Gn, Gk holding Gk+1.  Listed from the
// outermost group (ids 1..n) or from the innermost (Gk has the id n+1-k); `ring` makes
// the innermost group hold the outermost.
QByteArray chainFile(int n, bool outermostFirst, bool ring = false)
{
    QByteArray body = "PELMORA PROJECT FILE\nversion\t1\ncurrent\tP\nproject\tP\t1\tFemGui::ViewFeederProjectFem\n";
    auto id = [&](int k) { return outermostFirst ? k : n + 1 - k; };
    for (int i = 1; i <= n; ++i) {
        const int k = outermostFirst ? i : n + 1 - i;   // written in id order
        const QByteArray name = "G" + QByteArray::number(k);
        body += "object\t" + QByteArray::number(i) + "\tObj::ProjectObjectGroup\t" + name + "\t0\n";
        body += "prop\tLabel\tObj::PropertyString\t" + name + "\n";
        const int member = k < n ? id(k + 1) : (ring ? id(1) : 0);
        body += "prop\tMember\tObj::PropertyCoupleArray\t[" + (member ? QByteArray::number(member) + "," : QByteArray())
                + "]\n";
    }
    return PelmoraTest::sealedProjectFile(body);
}

class GroupChains : public PelmoraTest::MainWindowSession
{
protected:
    void SetUp() override
    {
        PelmoraTest::registerFemGuiTypes();
        startApplication();
        openMainWindow();
        if (QWidget* dock = Gui::DockingWindowMediator::instance()->getDockingWindow("Std_TreeView"))
            tree = dock->findChild<Gui::TreeWidget*>();
    }
    void TearDown() override { closeSession(); }

    std::string write(const QString& name, const QByteArray& bytes)
    {
        QFile f(dir.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return QFile::encodeName(f.fileName()).toStdString();
    }
    QTreeWidgetItem* itemOf(const Obj::ProjectObject* o) const
    {
        Gui::ProjectItem* projectItem = tree->getProjectItem(app->get_project(o->get_project()));
        return projectItem ? projectItem->object_item(o->getObjectId()) : nullptr;
    }
    // The chain from `outermost` down, as the logic and the tree hold it; empty when a
    // link is missing or wrong.
    std::vector<Obj::ProjectObjectGroup*> chainFrom(Obj::ProjectObject* outermost) const
    {
        std::vector<Obj::ProjectObjectGroup*> chain;
        auto* group = dynamic_cast<Obj::ProjectObjectGroup*>(outermost);
        while (group) {
            chain.push_back(group);
            const auto& members = group->get_objects();
            if (members.empty())
                break;
            auto* next = dynamic_cast<Obj::ProjectObjectGroup*>(members.front());
            if (members.size() != 1 || !next || next->get_group() != group || !itemOf(next)
                || itemOf(next)->parent() != itemOf(group))
                return {};
            group = next;
        }
        return chain;
    }

    QTemporaryDir dir;
    Gui::TreeWidget* tree = nullptr;
};

} // namespace

TEST_F(GroupChains, ADeepChainOpensWholeWhicheverWayItsFileListsIt)
{
    ASSERT_NE(tree, nullptr);
    Obj::Application& logicApp = logic->app();
    for (const bool outermostFirst : {true, false}) {
        SCOPED_TRACE(outermostFirst ? "outermost group first" : "innermost group first");
        const std::string path = write(outermostFirst ? "Kette..v2 tiefe ü.pmdb" : "Kette..v2 innen zuerst ü.pmdb",
                                       chainFile(Depth, outermostFirst));
        ConsoleCapture console;
        ASSERT_TRUE(logicApp.resume_from_file(1, path.c_str())) << logicApp.last_file_error();
        QCoreApplication::processEvents();
        EXPECT_FALSE(console.contains(ConsoleCapture::Level::Warning, ""));
        Obj::Project* project = logicApp.get_project("P");
        ASSERT_NE(project, nullptr);
        ASSERT_EQ(project->get_num_objects(), unsigned(Depth));
        Obj::ProjectObject* outermost = project->get_object(outermostFirst ? 1u : unsigned(Depth));
        const std::vector<Obj::ProjectObjectGroup*> chain = chainFrom(outermost);
        ASSERT_EQ(chain.size(), std::size_t(Depth));
        EXPECT_STREQ(chain.back()->get_label(), ("G" + std::to_string(Depth)).c_str());
        EXPECT_EQ(itemOf(outermost)->parent(), tree->getProjectItem(app->get_project(project)));

        // By hand, the innermost group still may not take the outermost.
        auto* members = static_cast<Obj::PropertyCoupleArray*>(chain.back()->get_property_by_name("Member"));
        members->add_value(outermost);
        EXPECT_TRUE(console.contains(ConsoleCapture::Level::Warning, "which it already contains"));
        EXPECT_TRUE(chain.back()->get_objects().empty());
        ASSERT_TRUE(logicApp.close_project("P"));
        QCoreApplication::processEvents();
    }
}

TEST_F(GroupChains, APastedChainKeepsItsLinksAndARingInAFileOrACopyIsRefused)
{
    ASSERT_NE(tree, nullptr);
    Obj::Application& logicApp = logic->app();
    ASSERT_TRUE(logicApp.resume_from_file(1, write("chain.pmdb", chainFile(Depth, false)).c_str()));
    Obj::Project* source = logicApp.get_project("P");
    ASSERT_NE(source, nullptr);
    std::ostringstream copied;
    source->export_objects(source->get_objects(), copied);

    // Pasted into a project that has an object already: new ids, the same chain.
    Obj::Project* target = logicApp.create_project("Target", "Target");
    Obj::ProjectObject* before = target->add_object("Obj::ProjectObject", "Before");
    std::istringstream in(copied.str());
    const std::vector<Obj::ProjectObject*> pasted = target->import_objects(in);
    QCoreApplication::processEvents();
    ASSERT_EQ(pasted.size(), std::size_t(Depth));
    EXPECT_EQ(target->get_num_objects(), unsigned(Depth) + 1);
    // The copy lists the groups by id, innermost first: the last is the outermost.
    const std::vector<Obj::ProjectObjectGroup*> chain = chainFrom(pasted.back());
    ASSERT_EQ(chain.size(), std::size_t(Depth));
    for (Obj::ProjectObjectGroup* group : chain)
        ASSERT_EQ(group->get_project(), target);
    EXPECT_EQ(before->get_group(), nullptr);
    EXPECT_EQ(chainFrom(source->get_object(unsigned(Depth))).size(), std::size_t(Depth));

    // A ring at the far end of a long chain: the file opens nothing, the copy pastes nothing.
    const int ringDepth = 3000;
    const QByteArray ring = chainFile(ringDepth, true, true);
    ConsoleCapture console;
    const std::size_t projects = logicApp.get_projects().size();
    EXPECT_FALSE(logicApp.resume_from_file(1, write("ring..v2 Ring ü.pmdb", ring).c_str()));
    EXPECT_NE(logicApp.last_file_error().find("holds groups that contain each other: G1 > G2 > G3 > "),
              std::string::npos)
        << logicApp.last_file_error().substr(0, 300);
    EXPECT_EQ(logicApp.get_projects().size(), projects);
    std::istringstream ringCopy(ring.toStdString());
    EXPECT_THROW(target->import_objects(ringCopy), Vexil::ExceptionHandler);
    EXPECT_EQ(target->get_num_objects(), unsigned(Depth) + 1);
}

// A paste into a project whose tree was opened with "*" builds the pasted branch once: the
// view hears of as many rows going in, out or moving as with the project closed, and as
// many for a long chain as for a short one.  Followed object by object, each pasted
// group's member list moved one row in the view, which walked every open row.
TEST_F(GroupChains, APasteIntoAnOpenedTreeMovesNoRowsWhateverTheChainsLength)
{
    ASSERT_NE(tree, nullptr);
    Obj::Application& logicApp = logic->app();
    QAbstractItemModel* model = tree->model();
    int rowChanges = 0;
    const auto count = [&rowChanges] { ++rowChanges; };
    QObject::connect(model, &QAbstractItemModel::rowsInserted, count);
    QObject::connect(model, &QAbstractItemModel::rowsRemoved, count);
    QObject::connect(model, &QAbstractItemModel::rowsMoved, count);

    for (const int depth : {50, 200, 800}) {
        SCOPED_TRACE(depth);
        ASSERT_TRUE(logicApp.resume_from_file(1, write("kette.pmdb", chainFile(depth, depth % 2 == 0)).c_str()));
        Obj::Project* source = logicApp.get_project("P");
        std::ostringstream copied;
        source->export_objects(source->get_objects(), copied);
        for (const bool opened : {false, true}) {
            SCOPED_TRACE(opened ? "tree opened" : "tree closed");
            // A project with a chain pasted before, opened with "*" or closed.
            Obj::Project* target = logicApp.create_project("Target", "Target");
            std::istringstream first(copied.str());
            ASSERT_EQ(Gui::MergeProjects(target).import_project_objects(first).size(), std::size_t(depth));
            QCoreApplication::processEvents();
            Gui::ProjectItem* projectItem = tree->getProjectItem(app->get_project(target));
            ASSERT_NE(projectItem, nullptr);
            if (opened) {
                tree->setCurrentItem(projectItem);
                QTest::keyClick(tree, Qt::Key_Asterisk);
                QCoreApplication::processEvents();
                ASSERT_TRUE(projectItem->isExpanded());
            } else {
                projectItem->setExpanded(false);
            }

            rowChanges = 0;
            std::istringstream second(copied.str());
            const std::vector<Obj::ProjectObject*> pasted = Gui::MergeProjects(target).import_project_objects(second);
            QCoreApplication::processEvents();
            EXPECT_EQ(rowChanges, 1) << "the pasted branch joins the view at once";
            ASSERT_EQ(pasted.size(), std::size_t(depth));
            Obj::ProjectObject* outermost = pasted.front();
            while (outermost->get_group())
                outermost = outermost->get_group();
            EXPECT_EQ(chainFrom(outermost).size(), std::size_t(depth));
            EXPECT_EQ(itemOf(outermost)->parent(), projectItem);
            EXPECT_EQ(projectItem->childCount(), 2);
            ASSERT_TRUE(logicApp.close_project(target->get_name()));
            QCoreApplication::processEvents();
        }
        ASSERT_TRUE(logicApp.close_project("P"));
        QCoreApplication::processEvents();
    }
}
