// Ids of texts and of id tuples: each distinct value keeps the id it got first,
// whatever the order of the look-ups and however the tables grow.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "stats/text_ids.h"

namespace {

TEST(TextIds, EveryDistinctTextKeepsItsFirstId) {
    stats::TextIds ids;
    std::map<std::string, int> expected;
    // Texts that share first byte, last byte and length (the quick table's slot),
    // the empty text, a zero byte inside, long texts, and enough of them to grow.
    std::vector<std::string> texts = {"", "DF", "DAF", "DBF", "D\0F", "DF ", "WH", "1", "10", "100"};
    texts[4] = std::string("D\0F", 3);
    for (int i = 0; i < 500; ++i) texts.push_back("unit " + std::to_string(i * 7919 % 1000));
    texts.push_back(std::string(40, 'x'));
    texts.push_back(std::string(40, 'x') + "y");
    for (int pass = 0; pass < 3; ++pass)
        for (size_t i = 0; i < texts.size(); ++i) {
            const std::string& t = texts[(i * 31 + static_cast<size_t>(pass)) % texts.size()];
            int id = ids.Id(t);
            auto [it, fresh] = expected.try_emplace(t, id);
            EXPECT_EQ(it->second, id) << '"' << t << '"';
            if (fresh) EXPECT_EQ(id, static_cast<int>(expected.size()) - 1);
        }
    EXPECT_EQ(ids.size(), static_cast<int>(expected.size()));
    for (const auto& [text, id] : expected) {
        EXPECT_EQ(ids.Find(text), id);
        EXPECT_EQ(ids.Text(id), text);
    }
    EXPECT_EQ(ids.Find("DG"), -1);
    EXPECT_EQ(ids.Find(std::string("D\0G", 3)), -1);
    EXPECT_EQ(stats::TextIds().Find(""), -1);
}

TEST(TupleIds, TuplesDifferingInOnePlaceAreApart) {
    stats::TupleIds<3> ids;
    std::map<std::array<int, 3>, int> expected;
    for (int a = 0; a < 5; ++a)
        for (int b = -1; b < 20; ++b)
            for (int c : {0, 1, 1 << 20, -7}) {
                std::array<int, 3> t{a, b, c};
                int id = ids.Id(t);
                EXPECT_EQ(id, static_cast<int>(expected.size()));
                expected.emplace(t, id);
            }
    for (const auto& [t, id] : expected) {
        EXPECT_EQ(ids.Id(t), id);
        EXPECT_EQ(ids.Find(t), id);
    }
    EXPECT_EQ(ids.Find({5, 0, 0}), -1);
    EXPECT_EQ(ids.size(), static_cast<int>(expected.size()));
}

}  // namespace
