// The open-addressed map against std::unordered_map through long random runs: a small key
// range keeps the table crowded (probe runs that wrap past its end, erasures that shift
// entries back over the end), a wide one makes it grow many times.

#include <core/OpenHashMap.h>

#include <gtest/gtest.h>

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
