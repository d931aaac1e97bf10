// The Linux build's name comparison: Windows-1252 letters in either case are
// the same name, as the installer finds them on Windows; so are the letters
// the system counts as two and the text they stand for.
#include <gtest/gtest.h>

#include "support/text.h"

TEST(NameCompare, LinuxFoldsAsWindowsDoesInWindows1252) {
    const char* same[][2] = {
        {"R\xC9SUM\xC9.TXT", "r\xE9sum\xE9.txt"},
        {"\xC0\xD6\xD8\xDE", "\xE0\xF6\xF8\xFE"},
        {"\x8A\x8E\x9F", "\x9A\x9E\xFF"},
        {"Stra\xDF"
         "e",
         "STRASSE"},
        {"\x8C\xC6\xDE", "oeaeth"},
        {"\x9C\xE6\xFE", "OEAETH"},
        {"soft\xADhyphen", "SOFTHYPHEN"},
        {"\x88", "^"},
        {"Setup.dat", "SETUP.DAT"},
    };
    for (const auto& pair : same) {
        EXPECT_TRUE(support::EqualsIgnoringCase(pair[0], pair[1])) << pair[0] << " | " << pair[1];
    }
    const char* different[][2] = {
        {"\xD7", "\xF7"},          {"\xE9", "e"}, {"\xDF", "s"},    {"\xB5", "M"},    {"\x83", "F"},
        {"co-op", "coop"},         {"ab", "abc"}, {"\xC9", "\xC8"}, {"\xDF", "\x9F"}, {"\xAD", "-"},
        {"setup.da", "setup.dat"},
    };
    for (const auto& pair : different) {
        EXPECT_FALSE(support::EqualsIgnoringCase(pair[0], pair[1])) << pair[0] << " | " << pair[1];
    }
}
