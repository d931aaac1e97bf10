// The licence text: shown as stored, and refused when too large to show,
// judged by the whole 64-bit size.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include "tests/support_lib/scratch.h"
#include "ui/licence_text.h"

using testing_support::Scratch;
using testing_support::WriteAll;

namespace {

// The text as shown, or "(refused)" when there is none.
std::string Shown(const std::string& path) {
    char* text = ui::ReadLicenceText(path.c_str());
    if (text == nullptr) {
        return "(refused)";
    }
    std::string shown(text);
    std::free(text);
    return shown;
}

}  // namespace

TEST(LicenceText, ShownUpToTheLimitAndRefusedBeyondIt) {
    Scratch scratch;
    std::string path = scratch.PathOf("setup.lic");
    WriteAll(path, "Terms\r\nand conditions\r\n");
    EXPECT_EQ("Terms\r\nand conditions\r\n", Shown(path));
    WriteAll(path, "");
    EXPECT_EQ("", Shown(path));
    EXPECT_EQ("(refused)", Shown(scratch.PathOf("absent.lic")));

    std::string largest(ui::kLargestLicence, 'x');
    WriteAll(path, largest);
    EXPECT_EQ(largest.size(), Shown(path).size());
    WriteAll(path, largest + "x");
    EXPECT_EQ("(refused)", Shown(path));

    // 4 GiB and 10 bytes, sparse: the low 32 bits alone say 10. The slash
    // form of the path serves both Linux and Windows.
    std::string either_path = path;
    for (char& c : either_path) {
        c = c == '\\' ? '/' : c;
    }
    std::error_code error;
    std::filesystem::resize_file(either_path, (uint64_t{1} << 32) + 10, error);
    ASSERT_FALSE(error) << error.message();
    EXPECT_EQ("(refused)", Shown(path));
}
