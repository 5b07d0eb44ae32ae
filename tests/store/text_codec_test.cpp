#include "store/text_codec.h"

#include <gtest/gtest.h>

namespace {

TEST(TextCodec, EveryAssignedByteRoundTripsAndTheFiveUnassignedShowAsReplacement) {
    for (int b = 1; b < 256; ++b) {
        const std::string byte(1, static_cast<char>(b));
        const std::string text = store::Cp1252ToUtf8(byte);
        const bool unassigned = b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D;
        if (unassigned) {
            EXPECT_EQ(text, "\xEF\xBF\xBD") << b;
            continue;
        }
        std::string back;
        ASSERT_TRUE(store::Utf8ToCp1252(text, back)) << b;
        EXPECT_EQ(back, byte) << b;
    }
}

TEST(TextCodec, KnownCharactersHaveTheirWindowsBytes) {
    std::string bytes;
    ASSERT_TRUE(store::Utf8ToCp1252("For\xC3\xAAt \xE2\x82\xAC\xC3\x9F\xC3\xB1\xC3\xBC\xC3\xA9", bytes));
    EXPECT_EQ(bytes, "For\xEAt \x80\xDF\xF1\xFC\xE9");
    EXPECT_EQ(store::Cp1252ToUtf8("\x93Z\x94 \x99"), "\xE2\x80\x9CZ\xE2\x80\x9D \xE2\x84\xA2");
}

TEST(TextCodec, CharactersOutsideTheSetAndBrokenUtf8AreNamedNotReplaced) {
    std::string bytes, bad;
    EXPECT_FALSE(store::Utf8ToCp1252("\xC5\x81\xC3\xB3" "d\xC5\xBA", bytes, &bad));
    EXPECT_EQ(bad, "\xC5\x81");
    EXPECT_EQ(store::UnstorableTextReason("\xC5\x81\xC3\xB3" "d\xC5\xBA"),
              "'\xC5\x81' cannot be stored in a cruise file");
    EXPECT_EQ(store::UnstorableTextReason("\xE6\xA3\xAE"), "'\xE6\xA3\xAE' cannot be stored in a cruise file");
    EXPECT_EQ(store::UnstorableTextReason("plain ASCII 12.5"), "");
    // Lone continuation byte, overlong slash, a surrogate, a truncated sequence, and
    // leads that no UTF-8 has (F5-FF).
    for (const char* broken : {"a\x80", "\xC0\xAF", "\xED\xA0\x80", "\xE2\x82", "\xF8\x88\x80", "\xFF\x80\x80"})
        EXPECT_EQ(store::UnstorableTextReason(broken),
                  "The text is not valid UTF-8 and cannot be stored in a cruise file")
            << broken;
    // The replacement mark of an unassigned byte has no byte to go back to, and says so.
    EXPECT_FALSE(store::Utf8ToCp1252(store::Cp1252ToUtf8("\x81"), bytes));
    EXPECT_EQ(store::UnstorableTextReason("a\xEF\xBF\xBD"),
              "'\xEF\xBF\xBD' (a byte of the file that is no character) cannot be stored in a cruise file");
}

TEST(TextCodec, PathsKeepEveryCharacterTheFilesCanHold) {
    EXPECT_EQ(store::PathForFile("/home/\xC5\x82ukasz/Caf\xC3\xA9 \xE6\xA3\xAE.stp"), "/home/?ukasz/Caf\xC3\xA9 ?.stp");
    EXPECT_EQ(store::PathForFile("/tmp/a\xC3.stp"), "/tmp/a?.stp");
    EXPECT_TRUE(store::UnstorableTextReason(store::PathForFile("/x/\xF0\x9F\x8C\xB2/s.stp")).empty());
}

}  // namespace
