// Varints and adaptive integer vectors.
#include <gtest/gtest.h>

#include "mk/codec.h"

namespace {

using namespace mk::detail;

std::string Bytes(std::initializer_list<int> b) {
    std::string s;
    for (int c : b) s.push_back(static_cast<char>(c));
    return s;
}

TEST(Codec, VarintsAsDocumented) {
    const std::pair<int64_t, std::string> cases[] = {
        {0, Bytes({0x80})},         {1, Bytes({0x81})},         {127, Bytes({0xFF})},
        {128, Bytes({0x01, 0x80})}, {300, Bytes({0x02, 0xAC})}, {10001, Bytes({0x4E, 0x91})},
        {16384, Bytes({0x01, 0x00, 0x80})}, {-1, Bytes({0x00, 0x80})},
    };
    for (const auto& [v, enc] : cases) {
        std::string out;
        PutVarint(out, v);
        EXPECT_EQ(out, enc) << v;
        Cursor c(reinterpret_cast<const uint8_t*>(enc.data()), enc.size());
        EXPECT_EQ(c.Varint(), v);
        EXPECT_TRUE(c.AtEnd() && !c.failed);
    }
    std::string endless(12, '\x01');
    Cursor c(reinterpret_cast<const uint8_t*>(endless.data()), endless.size());
    c.Varint();
    EXPECT_TRUE(c.failed);
}

TEST(Codec, EveryWrittenWidthReadsBack) {
    for (uint32_t rows = 1; rows <= 130; ++rows) {
        for (int w : {0, 1, 2, 4, 8, 16, 32}) {
            std::string out;
            int64_t top = w == 0 ? 0 : (w < 8 ? (1 << w) - 1 : -(int64_t(1) << (w - 1)));
            PutAdaptive(out, w, rows > 64, rows, [&](uint32_t i) { return static_cast<uint32_t>(i % 2 ? top : 0); });
            ASSERT_EQ(out.size(), AdaptiveSize(w, rows));
            ASSERT_EQ(WidthFor(static_cast<uint32_t>(out.size()), rows), w) << rows << " rows, width " << w;
            auto* p = reinterpret_cast<const uint8_t*>(out.data());
            for (uint32_t i = 0; i < rows; ++i) ASSERT_EQ(GetAdaptive(p, w, rows > 64, i), i % 2 ? top : 0);
        }
    }
    EXPECT_EQ(WidthOfRange(0, 15), 4);
    EXPECT_EQ(WidthOfRange(0, 16), 8);
    EXPECT_EQ(WidthOfRange(-1, 0), 8);
    EXPECT_EQ(WidthOfRange(0, 128), 16);
    EXPECT_EQ(WidthFor(7, 10), -1);
    EXPECT_EQ(WidthFor(3, 4), -1);
}

}  // namespace
