// FormatText: snprintf's contract on every platform. On Windows it sits on
// the system runtime's formatter, which neither terminates a full buffer nor
// tells the length of a text it had to cut; these cases are where that shows.
#include <gtest/gtest.h>

#include <string>

#include "support/text_format.h"

using support::FormatText;

TEST(TextFormat, FormatsTheConversionsTheInstallerUses) {
    char buffer[128];
    EXPECT_EQ(39, FormatText(buffer, sizeof buffer, "Running Install %ld of %ld, %u.tmp", 2L, 14L,
                             4294967295u));
    EXPECT_STREQ("Running Install 2 of 14, 4294967295.tmp", buffer);
    unsigned short language = 0x409;
    unsigned short code_page = 0x4b0;
    FormatText(buffer, sizeof buffer, "\\%04hX%04hX\\", language, code_page);
    EXPECT_STREQ("\\040904B0\\", buffer);
    EXPECT_EQ(10, FormatText(buffer, sizeof buffer, "%d KB '%s'", -5, "ab"));
    EXPECT_STREQ("-5 KB 'ab'", buffer);
}

TEST(TextFormat, CutTextIsTerminatedAndTheFullLengthReturned) {
    // Shorter, exactly filling (the terminator no longer fits) and longer.
    for (size_t capacity : {9u, 8u, 7u, 3u, 1u}) {
        std::string guard(16, '#');
        char* buffer = &guard[0];
        EXPECT_EQ(8, FormatText(buffer, capacity, "%s-%s", "abc", "efgh")) << capacity;
        EXPECT_EQ(std::string("abc-efgh").substr(0, capacity - 1), std::string(buffer)) << capacity;
        EXPECT_EQ('#', guard[capacity]) << "wrote past the buffer at capacity " << capacity;
    }
    char untouched = '#';
    EXPECT_EQ(5, FormatText(&untouched, 0, "%s", "hello"));
    EXPECT_EQ('#', untouched);
}
