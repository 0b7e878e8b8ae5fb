#include <vexil/Exception.h>
#include <vexil/MsgConsole.h>

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace {

class Recorder : public Vexil::MsgConsoleObserver
{
public:
    explicit Recorder(const char* n = nullptr, bool connect = true) : name(n ? n : "")
    {
        if (connect)
            Vexil::MsgConsoleSingleton::Instance().connect_observer(this);
    }
    ~Recorder() override { Vexil::MsgConsoleSingleton::Instance().disconnect_observer(this); }

    void Message(const char* s) override { add("M", s); }
    void Warning(const char* s) override { add("W", s); }
    void Error(const char* s) override { add("E", s); }
    void Log(const char* s) override { add("L", s); }
    const char* Name() override { return name.empty() ? nullptr : name.c_str(); }

    std::vector<std::string> lines() const
    {
        std::lock_guard<std::mutex> lock(mutex);
        return recorded;
    }

protected:
    virtual void add(const char* level, const char* s)
    {
        std::lock_guard<std::mutex> lock(mutex);
        recorded.push_back(std::string(level) + ":" + s);
    }

private:
    std::string name;
    mutable std::mutex mutex;
    std::vector<std::string> recorded;
};

Vexil::MsgConsoleSingleton& console()
{
    return Vexil::MsgConsoleSingleton::Instance();
}

} // namespace

TEST(MsgConsole, RoutesEachLevelAndHonoursSwitches)
{
    Recorder all;
    Recorder quiet;
    quiet.bLog = false;
    quiet.bWrn = false;
    console().Message("m%d\n", 1);
    console().Warning("w%s\n", "2");
    console().Error("e%c\n", '3');
    console().Log("l%.1f\n", 4.0);
    EXPECT_EQ(all.lines(), (std::vector<std::string>{"M:m1\n", "W:w2\n", "E:e3\n", "L:l4.0\n"}));
    EXPECT_EQ(quiet.lines(), (std::vector<std::string>{"M:m1\n", "E:e3\n"}));

    // Long lines arrive whole; an exception report is an error line.
    quiet.bMsg = false;
    quiet.bErr = false;
    const std::string big(10000, 'x');
    console().Error("<%s|%s>\n", big.c_str(), "end");
    Vexil::RuntimeError("it broke").report_exception();
    EXPECT_EQ(quiet.lines().size(), 2u);
    ASSERT_EQ(all.lines().size(), 6u);
    EXPECT_EQ(all.lines()[4], "E:<" + big + "|end>\n");
    EXPECT_EQ(all.lines()[5], "E:it broke\n");
}

TEST(MsgConsole, SetEnabledMsgTypeByNameReturnsPreviousMask)
{
    Recorder report("ReportOutput");
    Recorder other("Other");
    EXPECT_EQ(console().get_observer("ReportOutput"), &report);
    EXPECT_EQ(console().get_observer("Missing"), nullptr);

    EXPECT_EQ(console().SetEnabledMsgType("ReportOutput", Vexil::MsgType_Wrn, false), 15u);
    EXPECT_FALSE(report.bWrn);
    EXPECT_TRUE(report.bMsg && report.bLog && report.bErr);
    EXPECT_TRUE(other.bWrn);

    EXPECT_EQ(console().SetEnabledMsgType("ReportOutput", Vexil::MsgType_Txt | Vexil::MsgType_Log, false), 11u);
    EXPECT_FALSE(report.bMsg);
    EXPECT_FALSE(report.bLog);
    EXPECT_EQ(console().SetEnabledMsgType("ReportOutput", Vexil::MsgType_Wrn, true), 8u);
    EXPECT_TRUE(report.bWrn);
    EXPECT_EQ(console().SetEnabledMsgType("Missing", 15, false), 0u);
    EXPECT_EQ(console().SetEnabledMsgType(nullptr, 15, false), 0u);

    console().Warning("seen");
    console().Message("unseen");
    EXPECT_EQ(report.lines(), (std::vector<std::string>{"W:seen"}));
}

TEST(MsgConsole, ObserverMayWriteAndDisconnectFromItsCallback)
{
    struct Echo : Recorder
    {
        using Recorder::Recorder;
        int depth = 0;
        void add(const char* level, const char* s) override
        {
            Recorder::add(level, s);
            if (depth++ == 0)
                console().Log("echo of %s", s);   // re-entrant write: must not deadlock
        }
    } echo;
    struct Leaver : Recorder
    {
        using Recorder::Recorder;
        void add(const char* level, const char* s) override
        {
            Recorder::add(level, s);
            console().disconnect_observer(this);
        }
    } leaver;
    console().Message("one");
    console().Message("two");
    EXPECT_EQ(echo.lines(), (std::vector<std::string>{"M:one", "L:echo of one", "M:two"}));
    EXPECT_EQ(leaver.lines().size(), 1u);
}

TEST(MsgConsole, WritersOnFourThreadsWithObserversComingAndGoing)
{
    Recorder stable;
    std::atomic<bool> stop{false};
    struct Churn : Recorder
    {
        std::atomic<bool> alive{true};
        Churn() : Recorder(nullptr, false) {}
        // A call after disconnect_observer() returned would see alive == false.
        void add(const char*, const char*) override { EXPECT_TRUE(alive.load()); }
    };
    std::thread churner([&] {
        while (!stop) {
            Churn c;
            console().connect_observer(&c);
            std::this_thread::yield();
            console().disconnect_observer(&c);
            c.alive = false;
        }
    });

    const int perThread = 2000;
    std::vector<std::thread> writers;
    for (int t = 0; t < 4; ++t) {
        writers.emplace_back([t] {
            void (Vexil::MsgConsoleSingleton::*write[])(const char*, ...) = {
                &Vexil::MsgConsoleSingleton::Message, &Vexil::MsgConsoleSingleton::Warning,
                &Vexil::MsgConsoleSingleton::Error, &Vexil::MsgConsoleSingleton::Log};
            for (int i = 0; i < perThread; ++i)
                (console().*write[i % 4])("%d-%d", t, i);
        });
    }
    for (auto& w : writers)
        w.join();
    stop = true;
    churner.join();

    const auto lines = stable.lines();
    ASSERT_EQ(lines.size(), 4u * perThread);
    std::set<std::string> seen(lines.begin(), lines.end());
    EXPECT_EQ(seen.size(), lines.size());   // nothing duplicated, nothing lost
    EXPECT_EQ(seen.count("L:3-1999"), 1u);
}
