// What a project costs in colour-folder reads and colour-file reads, counted: a folder is
// read again only when it changed (whatever its time of change says, ahead of the clock or
// put back), and a colour file only when it changed (also when its size and time were put
// back, as cp -p and rsync -t leave them).

#include <colors/vtkVizColorLogic.h>

#include <mrml/vtkMRMLColorTableNode.h>
#include <mrml/vtkMRMLDeferredNodes.h>
#include <mrml/vtkMRMLScene.h>

#include <vtkNew.h>
#include <vtkObject.h>
#include <vtkSmartPointer.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QSet>
#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <utime.h>

namespace {

struct ScopedHome
{
    explicit ScopedHome(const QString& path)
        : old(qgetenv("PELMORA_HOME"))
    {
        qputenv("PELMORA_HOME", QFile::encodeName(path));
    }
    ~ScopedHome() { qputenv("PELMORA_HOME", old); }
    QByteArray old;
};

QByteArray encoded(const QString& path)
{
    return QFile::encodeName(path);
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile out(path);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    out.write(bytes);
}

void setTime(const QString& path, std::time_t time)
{
    const struct utimbuf times{time, time};
    ASSERT_EQ(::utime(encoded(path).constData(), &times), 0) << path.toStdString();
}

std::time_t timeOf(const QString& path)
{
    struct stat status{};
    ::stat(encoded(path).constData(), &status);
    return status.st_mtime;
}

// Waits until the file system's clock has moved past the last change of `path` (a few
// milliseconds), so that a change made next gives it another time of status change.
void waitForNextTick(const QString& path, const QString& scratch)
{
    struct stat before{};
    ASSERT_EQ(::stat(encoded(path).constData(), &before), 0);
    for (int i = 0; i < 10000000; ++i) {
        writeFile(scratch, "tick");
        struct stat now{};
        ::stat(encoded(scratch).constData(), &now);
        if (now.st_ctim.tv_sec != before.st_ctim.tv_sec || now.st_ctim.tv_nsec != before.st_ctim.tv_nsec) {
            QFile::remove(scratch);
            return;
        }
    }
    FAIL() << "the file system's clock does not move";
}

// One colour folder, searched either as the shipped folder under the home or as a user's
// folder, and the projects' scenes given the colour nodes by one logic.
struct Folder
{
    QTemporaryDir dir;
    QString path;
    bool shipped;
    vtkNew<vtkVizColorLogic> logic;
    std::vector<vtkSmartPointer<vtkMRMLScene>> scenes;

    explicit Folder(bool asShipped)
        : shipped(asShipped)
    {
        path = asShipped ? dir.filePath(QStringLiteral("share/Pelmora-2.1/ColorFiles"))
                         : dir.filePath(QStringLiteral("my colours, [wild] \u00e4"));
        QDir().mkpath(path);
        if (!asShipped)
            logic->SetUserColorFilePaths((path + QStringLiteral(";")).toUtf8().constData());
    }
    QString file(const QString& name) const { return QDir(path).filePath(name); }
    QString scratch() const { return dir.filePath(QStringLiteral("tick")); }

    // A new project: a scene given to the logic; the names of the files it lists.
    QSet<QString> newProject()
    {
        ScopedHome home(shipped ? dir.path() : dir.filePath(QStringLiteral("no home")));
        scenes.push_back(vtkSmartPointer<vtkMRMLScene>::New());
        logic->SetMRMLScene(scenes.back());
        return listed(scenes.back());
    }
    static QSet<QString> listed(vtkMRMLScene* scene)
    {
        QSet<QString> names;
        for (const vtkMRMLScene::WaitingNodes& waiting : scene->GetWaitingNodes("vtkMRMLColorNode"))
            for (size_t k = 0; k < waiting.size(); ++k)
                names.insert(QString::fromUtf8(waiting.list->GetNodeName(waiting.at(k))));
        std::vector<vtkMRMLNode*> made;
        scene->GetMadeNodesByClass("vtkMRMLColorNode", made);
        for (vtkMRMLNode* node : made)
            names.insert(QString::fromUtf8(node->GetName()));
        return names;
    }
};

QSet<QString> withBuiltIns(QSet<QString> names)
{
    names << QStringLiteral("PmRainbow") << QStringLiteral("Grey") << QStringLiteral("Heat");
    return names;
}

} // namespace

// Every folder time (an hour ago, an hour ahead, a year ahead) x every folder (the shipped
// one, a user's) x every change (none, a file added with the time the change gave ahead of
// the clock, a file added and the old time put back): a project whose folder did not
// change reads no folder; one after a change reads the folder once and lists the new file.
TEST(ColorFolderReads, AFolderIsReadAgainOnlyWhenItChangedWhateverItsTimeSays)
{
    const std::time_t now = std::time(nullptr);
    const std::vector<std::pair<const char*, std::time_t>> times{
        {"an hour ago", now - 3600}, {"an hour ahead", now + 3600}, {"a year ahead", now + 365 * 86400}};
    for (const auto& [when, time] : times) {
        for (const bool shipped : {true, false}) {
            SCOPED_TRACE(std::string(when) + (shipped ? ", the shipped folder" : ", a user's folder"));
            Folder folder(shipped);
            writeFile(folder.file(QStringLiteral("A..one.txt")), "0 a 1 2 3 255\n");
            writeFile(folder.file(QStringLiteral("B one.ctbl")), "0 b 1 2 3 255\n");
            setTime(folder.path, time);
            EXPECT_EQ(folder.newProject(), withBuiltIns({QStringLiteral("A..one"), QStringLiteral("B one")}));

            // Unchanged: no project reads it again (each did, with a time ahead of the clock).
            const long long first = vtkVizColorLogic::GetNumberOfFolderReads();
            for (int i = 0; i < 20; ++i)
                folder.newProject();
            EXPECT_EQ(vtkVizColorLogic::GetNumberOfFolderReads() - first, 0) << "unchanged";

            // A file added, the folder's time ahead of the clock as an unpacked archive sets it.
            waitForNextTick(folder.path, folder.scratch());
            writeFile(folder.file(QStringLiteral("C.txt")), "0 c 1 2 3 255\n");
            setTime(folder.path, now + 7200);
            const long long beforeAdded = vtkVizColorLogic::GetNumberOfFolderReads();
            EXPECT_TRUE(folder.newProject().contains(QStringLiteral("C")));
            for (int i = 0; i < 5; ++i)
                folder.newProject();
            EXPECT_EQ(vtkVizColorLogic::GetNumberOfFolderReads() - beforeAdded, 1) << "a file added";

            // A file added and the folder's time put back: seen all the same, once.
            const std::time_t kept = timeOf(folder.path);
            waitForNextTick(folder.path, folder.scratch());
            writeFile(folder.file(QStringLiteral("D.txt")), "0 d 1 2 3 255\n");
            setTime(folder.path, kept);
            ASSERT_EQ(timeOf(folder.path), kept);
            const long long beforePutBack = vtkVizColorLogic::GetNumberOfFolderReads();
            EXPECT_EQ(folder.newProject(), withBuiltIns({QStringLiteral("A..one"), QStringLiteral("B one"),
                                                         QStringLiteral("C"), QStringLiteral("D")}));
            for (int i = 0; i < 5; ++i)
                folder.newProject();
            EXPECT_EQ(vtkVizColorLogic::GetNumberOfFolderReads() - beforePutBack, 1) << "time put back";
        }
    }
}

// Every way a table is rewritten (in place with its old size and time as cp -p leaves it;
// a new file moved over it with the old size and time as rsync -t leaves it; in place with
// another size; in place with its old size within the step of a file system whose times
// are coarse, which leaves every time as it was) x every way a project meets the file (its node looked up in a new project's
// scene; the file loaded by name): the new colours are shown, and the file is read once for
// the change, not again for later projects.
TEST(ColorFileReads, ATableRewrittenWithItsOldSizeAndTimeIsReadAgainOnce)
{
    enum class Rewrite { CopyKeepingTimes, MovedOverKeepingTimes, OtherSize, WithinTheStep };
    enum class Way { LookedUp, Loaded };
    vtkObject::GlobalWarningDisplayOff();
    for (const Rewrite rewrite :
         {Rewrite::CopyKeepingTimes, Rewrite::MovedOverKeepingTimes, Rewrite::OtherSize, Rewrite::WithinTheStep}) {
        for (const Way way : {Way::LookedUp, Way::Loaded}) {
            SCOPED_TRACE(int(rewrite) * 10 + int(way));
            // A step of a century: every time the test meets falls in one.
            struct Step
            {
                explicit Step(bool coarse)
                    : previous(vtkMRMLColorLogic::SetFileTimeResolution(coarse ? 3'000'000'000'000'000'000 : 0))
                {
                }
                ~Step() { vtkMRMLColorLogic::SetFileTimeResolution(previous); }
                long long previous;
            } step(rewrite == Rewrite::WithinTheStep);
            Folder folder(true);
            const QString table = folder.file(QStringLiteral("Steel (old) \u00e4.txt"));
            writeFile(table, "0 steel 10 20 30 255\n");
            const std::time_t hourAgo = std::time(nullptr) - 3600;
            setTime(table, hourAgo);
            setTime(folder.path, hourAgo);
            const std::string id = vtkMRMLColorLogic::GetFileColorNodeID(encoded(table).constData());
            const auto red = [&](vtkMRMLScene* scene) {
                vtkMRMLColorNode* node = nullptr;
                if (way == Way::LookedUp)
                    node = vtkMRMLColorNode::SafeDownCast(scene->GetNodeByID(id));
                else
                    node = folder.logic->LoadColorFile(encoded(table).constData());
                double rgba[4] = {-1, -1, -1, -1};
                if (!node || !node->GetColor(0, rgba))
                    return -1;
                return int(rgba[0] * 255 + 0.5);
            };
            folder.newProject();
            EXPECT_EQ(red(folder.scenes.back()), 10);
            const long long before = vtkMRMLColorLogic::GetNumberOfColorFileReads();
            folder.newProject();
            EXPECT_EQ(red(folder.scenes.back()), 10);
            EXPECT_EQ(vtkMRMLColorLogic::GetNumberOfColorFileReads(), before) << "unchanged";

            if (rewrite != Rewrite::WithinTheStep)
                waitForNextTick(table, folder.scratch());
            switch (rewrite) {
            case Rewrite::CopyKeepingTimes:
                writeFile(table, "0 steel 90 20 30 255\n");
                setTime(table, hourAgo);
                break;
            case Rewrite::MovedOverKeepingTimes: {
                const QString part = folder.dir.filePath(QStringLiteral(".Steel.part"));
                writeFile(part, "0 steel 90 20 30 255\n");
                setTime(part, hourAgo);
                ASSERT_EQ(std::rename(encoded(part).constData(), encoded(table).constData()), 0);
                setTime(folder.path, hourAgo);
                break;
            }
            case Rewrite::OtherSize:
                writeFile(table, "0 steel 90 20 30 255\n1 iron 1 1 1 255\n");
                break;
            case Rewrite::WithinTheStep:
                writeFile(table, "0 steel 90 20 30 255\n");
                break;
            }
            folder.newProject();
            EXPECT_EQ(red(folder.scenes.back()), 90) << "the new colours";
            for (int i = 0; i < 5; ++i) {
                folder.newProject();
                EXPECT_EQ(red(folder.scenes.back()), 90);
            }
            EXPECT_EQ(vtkMRMLColorLogic::GetNumberOfColorFileReads() - before, 1) << "read once for the change";
        }
    }
}
