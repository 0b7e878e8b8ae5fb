#include <vexil/Exception.h>
#include <vexil/Progress.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class RecordingProgress : public Vexil::ProgressPassingBase
{
public:
    std::vector<std::string> calls;
    bool abortOnCancel = false;

    void send_text(const char* t) override { calls.push_back(std::string("text:") + (t ? t : "")); }
    void begin_step() override { calls.push_back("begin:" + std::to_string(get_number_steps())); }
    void next_step(bool canAbort) override
    {
        calls.push_back("next:" + std::to_string(get_current_step()));
        if (abortOnCancel && canAbort && is_canceled()) {
            reset_data();
            throw Vexil::ExceptionAbortion("Aborting...");
        }
    }
    void set_progress(unsigned long long v) override { calls.push_back("progress:" + std::to_string(v)); }
    void reset_data() override
    {
        calls.push_back("reset");
        Vexil::ProgressPassingBase::reset_data();
    }
};

} // namespace

TEST(Progress, OutermostLauncherDrivesNestedOnesFollow)
{
    RecordingProgress progress;
    ASSERT_EQ(Vexil::ProgressPassingBase::get_instance(), &progress);
    {
        Vexil::ProgressPassingLauncher outer("Meshing", 3);
        EXPECT_TRUE(progress.is_working());
        EXPECT_EQ(progress.get_number_steps(), 3u);
        outer.next();
        {
            Vexil::ProgressPassingLauncher inner("inner", 100);
            inner.next();                      // does not disturb the outer count
            inner.send_text("detail");
            EXPECT_EQ(progress.get_number_steps(), 3u);
        }
        EXPECT_TRUE(progress.is_working());    // the inner end is not the end
        outer.next();
        outer.set_progress(3);
        EXPECT_EQ(progress.get_current_step(), 3);
    }
    EXPECT_FALSE(progress.is_working());
    EXPECT_EQ(progress.get_number_steps(), 0u);
    EXPECT_EQ(progress.calls, (std::vector<std::string>{"begin:3", "text:Meshing", "next:0", "text:detail",
                                                        "next:1", "progress:3", "reset"}));
}

TEST(Progress, CancellationAndAbortion)
{
    RecordingProgress progress;
    progress.abortOnCancel = true;
    progress.try_to_cancel();   // left over from before: a new operation starts clean
    bool aborted = false;
    try {
        Vexil::ProgressPassingLauncher op("Solving", 10);
        EXPECT_FALSE(op.is_canceled());
        op.next();
        progress.try_to_cancel();
        EXPECT_TRUE(op.is_canceled());
        op.next(false);   // not abortable here
        op.next();        // throws
        ADD_FAILURE() << "no abortion";
    } catch (const Vexil::ExceptionAbortion& e) {
        aborted = true;
        EXPECT_STREQ(e.what(), "Aborting...");
    }
    EXPECT_TRUE(aborted);
    EXPECT_FALSE(progress.is_working());
    EXPECT_FALSE(progress.is_canceled());
}

TEST(Progress, InstanceIsTheNewestAndLaunchersWithoutOneDoNothing)
{
    {
        RecordingProgress first;
        {
            RecordingProgress second;
            EXPECT_EQ(Vexil::ProgressPassingBase::get_instance(), &second);
        }
        // The newest went away; the older one is not restored implicitly.
        EXPECT_EQ(Vexil::ProgressPassingBase::get_instance(), nullptr);
        Vexil::ProgressPassingLauncher launcher("quiet", 3);
        EXPECT_TRUE(launcher.next());
        launcher.set_progress(2);
        EXPECT_FALSE(launcher.is_canceled());
        EXPECT_TRUE(first.calls.empty());
    }
    EXPECT_EQ(Vexil::ProgressPassingBase::get_instance(), nullptr);
}
