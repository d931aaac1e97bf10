// The linter's [Registry] rules: the root word, the type word and a number
// that the installer would read as something else.
#include <cerrno>
#include <cinttypes>
#include <cstdlib>
#include <cstring>

#include "packer/lint/lint_rules.h"
#include "packer/lint/word_match.h"

namespace vornak_pack {

namespace {

constexpr int64_t kLargest = 2147483647;
constexpr int64_t kSmallest = -2147483647 - 1;

std::string RootSuggestion(const std::string& root) {
    static const struct {
        const char* long_name;
        const char* word;
    } kLongNames[] = {{"HKEY_CLASSES_ROOT", "HKCR"},
                      {"HKEY_CURRENT_USER", "HKCU"},
                      {"HKEY_LOCAL_MACHINE", "HKLM"},
                      {"HKEY_USERS", "HKU"},
                      {"HKEY_CURRENT_CONFIG", "HKCC"}};
    std::string trimmed = Trimmed(root);
    for (const auto& name : kLongNames) {
        if (WordDistance(trimmed, name.long_name) == 0) {
            return name.word;
        }
    }
    std::vector<std::string> words(script::kRegistryRootWords,
                                   script::kRegistryRootWords + script::kRegistryRootCount);
    return NearestWord(trimmed, words, 1);
}

void LintRoot(const ScriptLine& root, FindingList* out) {
    for (const char* word : script::kRegistryRootWords) {
        if (root.text == word) {
            return;
        }
    }
    std::string meant = RootSuggestion(root.text);
    out->Error(root.number, Quote(root.text) +
                                " is no root word, so this value is never written; write " +
                                (meant.empty() ? "HKCR, HKCU, HKLM, HKU or HKCC" : meant));
}

void LintType(const ScriptLine& type, FindingList* out) {
    if (type.text == script::kDwordTypeWord || type.text == "STRING") {
        return;
    }
    if (!NearestWord(Trimmed(type.text), {script::kDwordTypeWord}, 1).empty()) {
        out->Error(type.number, Quote(type.text) +
                                    " is not DWORD, so the value is written as a string; "
                                    "write DWORD");
    } else {
        out->Warning(type.number, Quote(type.text) +
                                      " makes a string value; write STRING to "
                                      "say so, or DWORD for a number");
    }
}

// The plain decimal an author meant by a hexadecimal or an unsigned number,
// as the 32 bits the value should hold; false when it is not clear.
bool MeantNumber(const std::string& data, int64_t* meant) {
    std::string text = Trimmed(data);
    bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const char* digits = text.c_str() + (hex ? 2 : 0);
    char* end = nullptr;
    errno = 0;
    unsigned long long value = std::strtoull(digits, &end, hex ? 16 : 10);
    if (*digits == '\0' || *digits == '-' || *end != '\0' || errno != 0 || value > 0xFFFFFFFFull) {
        return false;
    }
    // Above the signed range the same 32 bits are written as a negative number.
    *meant = value > static_cast<unsigned long long>(kLargest)
                 ? static_cast<int64_t>(value) - 0x100000000ll
                 : static_cast<int64_t>(value);
    return true;
}

bool IsPlainDecimal(const std::string& data) {
    size_t first = !data.empty() && data[0] == '-' ? 1 : 0;
    if (first == data.size() || data.size() > 11 ||
        data.find_first_not_of("0123456789", first) != std::string::npos) {
        return false;
    }
    int64_t value = std::strtoll(data.c_str(), nullptr, 10);
    return value >= kSmallest && value <= kLargest;
}

void LintNumber(const ScriptLine& data, FindingList* out) {
    if (IsPlainDecimal(data.text)) {
        return;
    }
    uint32_t stored = script::RegistryNumber(data.text.c_str());
    char stores[64];
    std::snprintf(stores, sizeof stores, "%" PRId32 " (0x%08" PRIX32 ")",
                  static_cast<int32_t>(stored), stored);
    int64_t meant = 0;
    std::string fix = MeantNumber(data.text, &meant)
                          ? "write " + std::to_string(meant)
                          : "write a whole number from -2147483648 to 2147483647";
    out->Error(data.number, Quote(data.text) +
                                " is not a plain decimal number: the installer "
                                "stores " +
                                stores + "; " + fix);
}

}  // namespace

void LintRegistry(const ScriptText& script, const ScriptSection& section, FindingList* out) {
    const std::vector<size_t>& values = section.values;
    if (values.size() > 0) {
        LintRoot(script.Lines()[values[0]], out);
    }
    if (values.size() > 2) {
        LintType(script.Lines()[values[2]], out);
    }
    if (values.size() > 4 && script.Lines()[values[2]].text == script::kDwordTypeWord) {
        LintNumber(script.Lines()[values[4]], out);
    }
}

}  // namespace vornak_pack
