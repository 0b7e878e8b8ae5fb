// The observer subject: observers told once each, in pointer order, found by their name,
// and all forgotten at once.

#include <vexil/Observer.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Named : Vexil::ObserverPattern<int>
{
    Named(const char* n, std::vector<std::string>* heard) : name(n), log(heard) {}
    void on_modify(Vexil::Subject<int>&, int) override { log->push_back(name ? name : "(none)"); }
    void on_destroy(Vexil::Subject<int>&) override { log->push_back("destroyed"); }
    const char* Name() override { return name; }
    const char* name;
    std::vector<std::string>* log;
};

} // namespace

TEST(Subject, ObserversAreFoundByNameAndClearedWithoutBeingTold)
{
    std::vector<std::string> heard;
    // Contiguous, so pointer order is the order of declaration.
    Named observers[4] = {{nullptr, &heard}, {"View", &heard}, {"View", &heard}, {"Viewer", &heard}};
    {
        Vexil::Subject<int> subject;
        for (int i = 3; i >= 0; --i)
            subject.attach(&observers[i]);
        subject.attach(&observers[1]);

        EXPECT_EQ(subject.Get("View"), &observers[1]) << "the first in pointer order";
        EXPECT_EQ(subject.Get("Viewer"), &observers[3]);
        EXPECT_EQ(subject.Get("Vie"), nullptr) << "names compare whole";
        EXPECT_EQ(subject.Get("view"), nullptr);
        EXPECT_EQ(subject.Get(nullptr), nullptr);
        subject.detach(&observers[1]);
        EXPECT_EQ(subject.Get("View"), &observers[2]);

        subject.notify(1);
        EXPECT_EQ(heard, (std::vector<std::string>{"(none)", "View", "Viewer"}));

        heard.clear();
        subject.ClearObserver();
        EXPECT_EQ(subject.count_observers(), 0u);
        EXPECT_EQ(subject.Get("Viewer"), nullptr);
        subject.notify(2);
    }
    EXPECT_TRUE(heard.empty()) << "cleared observers hear nothing, not even the subject going";
}
