// The open-addressed map against std::unordered_map through long random runs: a small key
// range keeps the table crowded (probe runs that wrap past its end, erasures that shift
// entries back over the end), a wide one makes it grow many times.

#include <core/OpenHashMap.h>

#include <gtest/gtest.h>

#include <support/StepCount.h>

#include <cstdint>
#include <functional>
#include <random>
#include <unordered_map>
#include <vector>

TEST(OpenHashMap, AgreesWithAStandardMapThroughGrowthErasureAndWrapAround)
{
    std::mt19937 random(7);
    for (const unsigned range : {24u, 50000u}) {
        Gui::OpenHashMap<unsigned, int> map;
        std::unordered_map<unsigned, int> model;
        for (int step = 1; step <= 30000; ++step) {
            const unsigned key = random() % range;
            switch (random() % 4) {
            case 0:
            case 1: {
                const auto placed = map.insert(key, step);
                EXPECT_EQ(placed.second, model.emplace(key, step).second);
                EXPECT_EQ(placed.first->first, key);
                EXPECT_EQ(placed.first->second, model[key]);
                break;
            }
            case 2:
                EXPECT_EQ(map.erase(key), model.erase(key) == 1);
                break;
            default: {
                const auto it = map.find(key);
                ASSERT_EQ(it != map.end(), model.count(key) == 1);
                if (it != map.end())
                    map.erase(it);
                model.erase(key);
            }
            }
            ASSERT_EQ(map.size(), model.size());
            if (range < 100) {
                for (unsigned k = 0; k < range; ++k)
                    ASSERT_EQ(map.value(k), model.count(k) ? model[k] : 0) << "key " << k << " step " << step;
            }
        }
        std::unordered_map<unsigned, int> iterated;
        for (const auto& entry : map)
            EXPECT_TRUE(iterated.emplace(entry.first, entry.second).second);
        EXPECT_EQ(iterated, model);
        for (const auto& entry : model)
            EXPECT_EQ(map.value(entry.first), entry.second);

        Gui::OpenHashMap<unsigned, int> other;
        other.swap(map);
        EXPECT_TRUE(map.empty());
        EXPECT_EQ(other.size(), model.size());
        other.clear();
        EXPECT_TRUE(other.empty());
        EXPECT_EQ(other.begin(), other.end());
        ASSERT_FALSE(model.empty());
        EXPECT_FALSE(other.contains(model.begin()->first));
        EXPECT_TRUE(other.insert(model.begin()->first, 1).second);
    }

    // Pointer keys: neighbouring objects are told apart, and null is never a key.
    std::vector<double> objects(5000);
    Gui::OpenHashMap<const double*, int> byObject;
    for (std::size_t i = 0; i < objects.size(); ++i)
        ASSERT_TRUE(byObject.insert(&objects[i], int(i) + 1).second);
    for (std::size_t i = 0; i < objects.size(); i += 2)
        ASSERT_TRUE(byObject.erase(&objects[i]));
    for (std::size_t i = 0; i < objects.size(); ++i)
        ASSERT_EQ(byObject.value(&objects[i]), i % 2 ? int(i) + 1 : 0);
    EXPECT_FALSE(byObject.insert(nullptr, 1).second);
    EXPECT_EQ(byObject.find(nullptr), byObject.end());
    EXPECT_EQ(byObject.size(), objects.size() / 2);
}

namespace {
std::uint64_t& entriesReached()
{
    static thread_local std::uint64_t n = 0;
    return n;
}
} // namespace

// A walk counts each entry once, read or stepped over; a look-up only its probe run.
TEST(OpenHashMap, AWalkCountsEachEntryOnceAndALookUpItsProbes)
{
    constexpr int N = 1000;
    Gui::OpenHashMap<int, int, &entriesReached> map;
    for (int i = 1; i <= N; ++i)
        map.insert(i * 7, i);
    // 1,000 entries stand in a table of 2,048 slots: a walk passes each slot once, an
    // entry or a free one, and a copy copies each.
    constexpr std::uint64_t Slots = 2048;
    const PelmoraTest::StepRow rows[] = {
        {"a range loop", [&] { for (const auto& e : map) (void)e.second; }, Slots, Slots},
        {"each entry read twice", [&] { for (auto it = map.begin(); it != map.end(); ++it) (void)(it->first + it->second); }, Slots, Slots},
        {"a count by stepping", [&] { int k = 0; for (auto it = map.begin(); it != map.end(); ++it) ++k; }, Slots, Slots},
        {"a copy", [&] { const auto copy = map; (void)copy.size(); }, Slots, Slots},
        {"a copy assigned", [&] { Gui::OpenHashMap<int, int, &entriesReached> copy; copy = map; }, Slots, Slots},
        {"a copy, then moved", [&] { auto copy = map; const auto moved = std::move(copy); (void)moved.size(); }, Slots, Slots},
        {"a copy cleared", [&] { auto copy = map; copy.clear(); }, Slots + N, Slots + N},
        {"a look-up", [&] { (void)map.find(700); }, 1, 8},
        {"the size", [&] { (void)map.size(); }, 0, 0},
    };
    PelmoraTest::expectStepsOfEachRow(&entriesReached, rows);
}
