#include <support/ConsoleCapture.h>
#include <support/SmallDisk.h>
#include <vexil/Parameter.h>

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <string>
#include <vector>

#include <sys/stat.h>

using Vexil::ParameterGroup;
using Vexil::ParameterManager;

namespace {

struct KeyRecorder : Vexil::ObserverPattern<const char*>
{
    std::vector<std::string> keys;
    void on_modify(Vexil::Subject<const char*>&, const char* reason) override { keys.push_back(reason); }
};

struct ParameterFixture : ::testing::Test
{
    QTemporaryDir dir;
    std::string file() const { return dir.filePath("user.cfg").toStdString(); }
    void writeFile(const QByteArray& bytes) const { writeFileAt(file(), bytes); }
    static void writeFileAt(const std::string& path, const QByteArray& bytes)
    {
        QFile f(QString::fromStdString(path));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    static QByteArray readFile(const std::string& path)
    {
        QFile f(QString::fromStdString(path));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
};

} // namespace

TEST_F(ParameterFixture, NestedPathsAndTypedEntries)
{
    ParameterManager::Handle mgr = ParameterManager::create(file());
    ParameterGroup::Handle general = mgr->get_parameter_group("BaseApp/Preferences/General");
    ASSERT_TRUE(general.is_valid());
    EXPECT_EQ(general->get_path(), "BaseApp/Preferences/General");
    EXPECT_TRUE(mgr->has_group("BaseApp/Preferences"));
    EXPECT_FALSE(mgr->has_group("Preferences"));
    // The same path gives the same group, however it is reached.
    EXPECT_EQ(mgr->get_parameter_group("BaseApp")->get_parameter_group("Preferences/General"), general);

    general->set_ASCII_string("Name", "value with = and spaces ");
    general->set_parameter_bool("Flag", true);
    general->set_int_value("Count", -12);
    general->set_unsigned_value("Color", 0xff00ff00ul);
    general->set_float_value("Ratio", 1.0 / 3.0);
    EXPECT_EQ(general->get_ASCII_string("Name"), "value with = and spaces ");
    EXPECT_TRUE(general->get_parameter_bool("Flag"));
    EXPECT_EQ(general->get_int_value("Count"), -12);
    EXPECT_EQ(general->get_unsigned_value("Color"), 0xff00ff00ul);
    EXPECT_EQ(general->get_float_value("Ratio"), 1.0 / 3.0);
    EXPECT_EQ(general->get_ASCII_string("Missing", "dflt"), "dflt");
    EXPECT_EQ(general->get_int_value("Name", 5), 5);   // not a number: the default
    EXPECT_EQ(general->get_entry_keys(), (std::vector<std::string>{"Color", "Count", "Flag", "Name", "Ratio"}));

    general->remove_entry("Name");
    EXPECT_FALSE(general->has_entry("Name"));
    mgr->get_parameter_group("BaseApp")->remove_group("Preferences");
    EXPECT_FALSE(mgr->has_group("BaseApp/Preferences"));
    EXPECT_EQ(mgr->get_groups().size(), 1u);
}

TEST_F(ParameterFixture, NotifiesOnlyRealChanges)
{
    ParameterManager::Handle mgr = ParameterManager::create(std::string());
    ParameterGroup::Handle group = mgr->get_parameter_group("OutputWindow");
    KeyRecorder rec;
    group->attach(&rec);
    group->set_int_value("Size", 3);
    group->set_int_value("Size", 3);
    group->set_ASCII_string("Text", "a");
    group->set_ASCII_string("Text", "a");
    group->set_ASCII_string("Text", "b");
    group->remove_entry("Text");
    group->remove_entry("Text");
    EXPECT_EQ(rec.keys, (std::vector<std::string>{"Size", "Text", "Text", "Text"}));
    group->detach(&rec);
    group->set_int_value("Size", 4);
    EXPECT_EQ(rec.keys.size(), 4u);
}

TEST_F(ParameterFixture, WritesThroughAndReloadsExactly)
{
    const std::string oddKey = "key = [x]; 50% /slash\\";
    const std::string oddValue = "line1\nline2\r\t= ünïcödé 模型 ;[]%";
    {
        ParameterManager::Handle mgr = ParameterManager::create(file());
        mgr->set_ASCII_string("TopLevel", "root entry");
        ParameterGroup::Handle g = mgr->get_parameter_group("A/Group with space/ü");
        g->set_ASCII_string(oddKey.c_str(), oddValue.c_str());
        g->set_float_value("Pi", 3.141592653589793);
        g->set_float_value("Tiny", 1e-300);
        mgr->get_parameter_group("Empty/Group");
        // Written through: visible in a fresh manager while this one still lives.
        ParameterManager::Handle peek = ParameterManager::create(file());
        EXPECT_EQ(peek->get_parameter_group("A/Group with space/ü")->get_float_value("Pi"), 3.141592653589793);
    }
    ParameterManager::Handle mgr = ParameterManager::create(file());
    EXPECT_EQ(mgr->get_ASCII_string("TopLevel"), "root entry");
    ASSERT_TRUE(mgr->has_group("A/Group with space/ü"));
    ParameterGroup::Handle g = mgr->get_parameter_group("A/Group with space/ü");
    EXPECT_EQ(g->get_ASCII_string(oddKey.c_str()), oddValue);
    EXPECT_EQ(g->get_float_value("Tiny"), 1e-300);
    EXPECT_TRUE(mgr->has_group("Empty/Group"));

    // A reload keeps held groups bound to the file.
    g->set_int_value("Later", 7);
    ASSERT_TRUE(mgr->load());
    EXPECT_EQ(g->get_int_value("Later"), 7);
    g->set_int_value("Later", 8);
    EXPECT_EQ(ParameterManager::create(file())->get_parameter_group("A/Group with space/ü")->get_int_value("Later"), 8);
}

TEST_F(ParameterFixture, MissingFileIsEmptyGarbageIsSkippedWithoutCrash)
{
    ParameterManager::Handle fresh = ParameterManager::create(file());
    EXPECT_TRUE(fresh->load());
    EXPECT_TRUE(fresh->get_groups().empty());

    const QByteArray samples[] = {
        QByteArray("\x89PNG\r\n\x1a\n\0\0garbage", 17),
        QByteArray("; Pelmora parameters 1\nkey%4=value\n"),
        QByteArray("; Pelmora parameters 1\n[A//B]\nk=v\n"),
    };
    for (const QByteArray& bad : samples) {
        writeFile(bad);
        ParameterManager::Handle mgr = ParameterManager::create(file());
        EXPECT_FALSE(mgr->load()) << bad.constData();
        EXPECT_TRUE(mgr->get_groups().empty() && mgr->get_entry_keys().empty());
        // Still usable in memory.
        mgr->get_parameter_group("X")->set_int_value("n", 1);
        EXPECT_EQ(mgr->get_parameter_group("X")->get_int_value("n"), 1);
    }
}

TEST_F(ParameterFixture, MalformedLinesAreSkippedTheRestKeptAndTheOriginalBackedUp)
{
    const QByteArray original("; Pelmora parameters 1\n"
                              "[BaseApp/Preferences] \n"      // 2: trailing blank, still read
                              "Recent=/home/me/part.pmdb\n"   // 3
                              "=novalue\n"                    // 4
                              "k=100%\n"                      // 5
                              "a line without equals\n"       // 6
                              "[Broken/Section\n"             // 7
                              "Lost=1\n"                      // 8: not put into the group above
                              "[BaseApp/Window]\n"
                              "Width=640\n");
    writeFile(original);
    PelmoraTest::ConsoleCapture console;
    ParameterManager::Handle mgr = ParameterManager::create(file());
    using Level = PelmoraTest::ConsoleCapture::Level;
    for (int line : {4, 5, 6, 7, 8})
        EXPECT_TRUE(console.contains(Level::Warning, file() + "', line " + std::to_string(line) + ":")) << line;
    EXPECT_FALSE(console.contains(Level::Warning, "line 2:"));
    EXPECT_FALSE(console.contains(Level::Warning, "line 3:"));

    ParameterGroup::Handle prefs = mgr->get_parameter_group("BaseApp/Preferences");
    EXPECT_EQ(prefs->get_ASCII_string("Recent"), "/home/me/part.pmdb");
    EXPECT_EQ(prefs->get_entry_keys(), std::vector<std::string>{"Recent"});
    EXPECT_EQ(mgr->get_parameter_group("BaseApp/Window")->get_int_value("Width"), 640);
    EXPECT_FALSE(mgr->has_group("Broken"));

    // Reading alone writes nothing.
    EXPECT_EQ(readFile(file()), original);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(file() + ".bak")));

    prefs->set_int_value("Size", 3);
    EXPECT_EQ(readFile(file() + ".bak"), original);
    EXPECT_TRUE(console.contains(Level::Warning, file() + ".bak"));
    ParameterManager::Handle reread = ParameterManager::create(file());
    EXPECT_EQ(reread->get_parameter_group("BaseApp/Preferences")->get_ASCII_string("Recent"), "/home/me/part.pmdb");
    EXPECT_EQ(reread->get_parameter_group("BaseApp/Preferences")->get_int_value("Size"), 3);
    EXPECT_EQ(reread->get_parameter_group("BaseApp/Window")->get_int_value("Width"), 640);

    // The backup is taken once, not over again with every save.
    writeFileAt(file() + ".bak", "kept");
    prefs->set_int_value("Size", 4);
    EXPECT_EQ(readFile(file() + ".bak"), QByteArray("kept"));
    EXPECT_EQ(console.count(Level::Warning, ".bak"), 1);
}

TEST_F(ParameterFixture, SectionsNestedTooDeeplyAreSkipped)
{
    QByteArray deep("; Pelmora parameters 1\n[a");
    for (int i = 1; i < 100000; ++i)
        deep += "/a";
    deep += "]\nLost=1\n[BaseApp/Window]\nWidth=640\n";
    writeFile(deep);
    PelmoraTest::ConsoleCapture console;
    ParameterManager::Handle mgr = ParameterManager::create(file());
    EXPECT_TRUE(console.contains(PelmoraTest::ConsoleCapture::Level::Warning, "line 2: sections nested too deeply"));
    EXPECT_FALSE(mgr->has_group("a"));
    EXPECT_EQ(mgr->get_parameter_group("BaseApp/Window")->get_int_value("Width"), 640);
    mgr->get_parameter_group("BaseApp/Window")->set_int_value("Height", 480);
    EXPECT_LT(readFile(file()).size(), 200);
}

TEST_F(ParameterFixture, FileTooLargeToReadIsNeverOverwritten)
{
    {
        QFile big(QString::fromStdString(file()));
        ASSERT_TRUE(big.open(QIODevice::WriteOnly));
        big.write("; Pelmora parameters 1\n[A]\nk=v\n");
        ASSERT_TRUE(big.resize(65ll * 1024 * 1024));   // sparse: costs no disk
    }
    PelmoraTest::ConsoleCapture console;
    ParameterManager::Handle mgr = ParameterManager::create(file());
    EXPECT_TRUE(console.contains(PelmoraTest::ConsoleCapture::Level::Warning, file()));
    mgr->get_parameter_group("BaseApp")->set_int_value("n", 1);
    mgr->get_parameter_group("BaseApp")->set_int_value("n", 2);
    EXPECT_EQ(mgr->get_parameter_group("BaseApp")->get_int_value("n"), 2);
    EXPECT_FALSE(mgr->save());
    const QFileInfo info(QString::fromStdString(file()));
    EXPECT_EQ(info.size(), 65ll * 1024 * 1024);
    QFile kept(QString::fromStdString(file()));
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.read(31), QByteArray("; Pelmora parameters 1\n[A]\nk=v\n"));
    EXPECT_EQ(console.count(PelmoraTest::ConsoleCapture::Level::Error, "Cannot save the parameter file"), 1);
}

TEST_F(ParameterFixture, FailedSaveIsReportedOnceAndTheValueKeptInMemory)
{
    // A regular file where the folder should be: no write can succeed, not even as root.
    writeFileAt(dir.filePath("blocker").toStdString(), "x");
    const std::string path = dir.filePath("blocker/user.cfg").toStdString();
    PelmoraTest::ConsoleCapture console;
    ParameterManager::Handle mgr = ParameterManager::create(path);
    ParameterGroup::Handle g = mgr->get_parameter_group("BaseApp");
    g->set_ASCII_string("Recent", "a");
    g->set_ASCII_string("Recent", "b");
    EXPECT_EQ(g->get_ASCII_string("Recent"), "b");
    EXPECT_FALSE(mgr->save());
    const auto errors = console.count(PelmoraTest::ConsoleCapture::Level::Error, path);
    EXPECT_EQ(errors, 1);
}

TEST_F(ParameterFixture, GroupsOutliveTheirParentsWhileHeld)
{
    ParameterGroup::Handle orphan;
    ParameterGroup::Handle removed;
    {
        ParameterManager::Handle mgr = ParameterManager::create(file());
        orphan = mgr->get_parameter_group("Deep/Child");
        removed = mgr->get_parameter_group("Gone");
        mgr->remove_group("Gone");
        removed->set_int_value("after", 1);   // no longer part of the file
    }
    // The manager and "Deep" are gone; the child still works in memory.
    EXPECT_EQ(orphan->get_ref_count(), 1);
    orphan->set_ASCII_string("k", "v");
    EXPECT_EQ(orphan->get_ASCII_string("k"), "v");
    orphan->get_parameter_group("Grand")->set_int_value("x", 1);

    ParameterManager::Handle reread = ParameterManager::create(file());
    EXPECT_TRUE(reread->has_group("Deep/Child"));
    EXPECT_FALSE(reread->get_parameter_group("Deep/Child")->has_entry("k"));
    EXPECT_FALSE(reread->has_group("Gone"));
}

TEST_F(ParameterFixture, FileWithCarriageReturnLineEndsReadsTheSame)
{
    writeFile("; Pelmora parameters 1\r\n[BaseApp/Window]\r\nWidth=640\r\nTitle=main\r\n");
    ParameterManager::Handle mgr = ParameterManager::create(file());
    EXPECT_TRUE(mgr->load());
    ParameterGroup::Handle g = mgr->get_parameter_group("BaseApp/Window");
    EXPECT_EQ(g->get_int_value("Width"), 640);
    EXPECT_EQ(g->get_ASCII_string("Title"), "main");
}

TEST_F(ParameterFixture, FullDiskKeepsTheFileAndTheBackupAndSaysSo)
{
    PelmoraTest::SmallDisk disk(64);
    if (!disk.mounted())
        GTEST_SKIP() << disk.skipReason().toStdString();
    const std::string path = disk.filePath("user.cfg").toStdString();
    const QByteArray original("; Pelmora parameters 1\n[BaseApp/Preferences]\nRecent=/home/u/a.fem\nbroken line\n");
    writeFileAt(path, original);
    disk.fill();

    PelmoraTest::ConsoleCapture console;
    ParameterManager::Handle mgr = ParameterManager::create(path);
    mgr->get_parameter_group("BaseApp/Preferences")->set_ASCII_string("Recent", "/home/u/b.fem");
    EXPECT_FALSE(mgr->save());
    EXPECT_FALSE(mgr->export_file(disk.filePath("copy.cfg").toStdString()));
    EXPECT_EQ(readFile(path), original);
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(path + ".bak")));
    EXPECT_EQ(console.count(PelmoraTest::ConsoleCapture::Level::Error, "No space left on device"), 1);

    // With room again, the next change saves the backup and the file.
    disk.release();
    mgr->get_parameter_group("BaseApp/Preferences")->set_ASCII_string("Recent", "/home/u/c.fem");
    EXPECT_EQ(readFile(path + ".bak"), original);
    EXPECT_EQ(ParameterManager::create(path)->get_parameter_group("BaseApp/Preferences")->get_ASCII_string("Recent"),
              "/home/u/c.fem");
}

TEST_F(ParameterFixture, NamedPipeInPlaceOfTheFileIsNeitherReadNorWritten)
{
    ASSERT_EQ(::mkfifo(file().c_str(), 0600), 0);
    PelmoraTest::ConsoleCapture console;
    ParameterManager::Handle mgr = ParameterManager::create(file());   // must not wait for a writer
    EXPECT_TRUE(console.contains(PelmoraTest::ConsoleCapture::Level::Warning, "not a regular file"));
    mgr->get_parameter_group("BaseApp")->set_int_value("n", 1);
    EXPECT_EQ(mgr->get_parameter_group("BaseApp")->get_int_value("n"), 1);
    EXPECT_FALSE(mgr->save());
    EXPECT_FALSE(QFileInfo(QString::fromStdString(file())).isFile());
}
