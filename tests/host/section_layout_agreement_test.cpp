// The linter and the installer read one table of section layouts. For every
// section, a value at each line's limit and one past it (the optional line
// with and without "Optional - "), behind a short copy of the same section:
// the lines the linter reports as cut are exactly the lines the reader that
// carries the section out does not take whole, and the reader takes what
// the linter says it reads.
#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "packer/lint/script_lint.h"
#include "packer/lint/script_text.h"
#include "script/install_loop.h"
#include "script/install_scope.h"
#include "script/optional_items.h"
#include "session/install_session.h"
#include "support/progress_state.h"
#include "tests/support_lib/lent_session.h"
#include "tests/support_lib/message_capture.h"
#include "tests/support_lib/scratch.h"
#include "ui/main_page_scan.h"
#include "uninstall/uninstall_loop.h"

namespace {

using Values = std::vector<std::string>;
using Taken = std::vector<Values>;  // each section the reader acted on, in order

const char kAtOnce[] = "(carried out at once)";
const size_t kWhole = std::string::npos;

// The install worker, its actions recorded as the values they were given.
class TakingInstallActions : public script::InstallActions {
  public:
    explicit TakingInstallActions(Taken* taken) : taken_(*taken) {}
    void InstallFile(const char* entry_name, char* target, bool*) override {
        taken_.push_back({entry_name, target});
    }
    void RegisterAppPath(const char*) override {}
    void WriteRegistryItem(script::RegistryItem* item) override {
        taken_.push_back({item->root, item->key, item->type, item->name, item->data});
    }
    void CreateShortcut(const char* link, const char* target, const char* arguments) override {
        taken_.push_back({target, link, arguments, kAtOnce});
    }
    void LaunchFile(const char* program, const char* arguments, bool) override {
        taken_.push_back({program, arguments, kAtOnce});
    }
    void ShowMessage(char* text, const char* kind) override { taken_.push_back({text, kind}); }
    // Asked for once the whole script has run, before the closing steps
    // show their own text.
    void WriteUninstallRecord() override {
        support::ProgressGuard guard;
        action_text = support::ProgressState.action_text;
    }
    void RegisterQueuedDlls() override {}

    std::string action_text;

  private:
    Taken& taken_;
};

Taken RunInstallWorker(const std::string& path, std::string* action_text = nullptr) {
    Taken taken;
    TakingInstallActions actions(&taken);
    script::ReleaseOptionalItems();
    script::RunInstallScript(path.c_str(), false, actions);
    for (int32_t i = 0; i < script::OptionalIcons.Count(); ++i) {
        auto* icon = static_cast<script::OptionalIcon*>(script::OptionalIcons.GetAt(i));
        taken.push_back({icon->target_path, icon->link_path, icon->arguments, icon->caption});
    }
    for (int32_t i = 0; i < script::OptionalRuns.Count(); ++i) {
        auto* run = static_cast<script::OptionalRun*>(script::OptionalRuns.GetAt(i));
        taken.push_back({run->program_path, run->arguments, run->caption});
    }
    script::ReleaseOptionalItems();
    if (action_text != nullptr) {
        *action_text = actions.action_text;
    }
    return taken;
}

std::vector<std::string> g_located;

bool RecordLocation(const char* link_path, char*) {
    g_located.push_back(link_path);
    return false;
}

// The main page keeps only the last name and folder.
Taken ScanMainPage(const std::string& path, const char* head) {
    g_located.clear();
    char install_to_template[support::kMaxPath] = "";
    ui::ScanMainPageScript(path.c_str(), RecordLocation, install_to_template);
    if (std::strcmp(head, script::kProjectNameHead) == 0) {
        return {{session::Current().project_name}};
    }
    if (std::strcmp(head, script::kInstallToHead) == 0) {
        return {{install_to_template}};
    }
    Taken taken;
    for (const std::string& link : g_located) {
        taken.push_back({link});
    }
    return taken;
}

class TakingUninstallActions : public uninstall::UninstallActions {
  public:
    explicit TakingUninstallActions(Taken* taken) : taken_(*taken) {}
    bool SamePath(const char* a, const char* b) override { return std::strcmp(a, b) == 0; }
    void UnregisterSelfRegisteringFile(const char*) override {}
    void RunUninstallAction(const char* path, const char* parameters) override {
        taken_.push_back({path, parameters});
    }
    bool PathExists(const char*) override { return false; }
    bool DeleteFileAt(const char*) override { return true; }
    bool ScheduleDeleteAtRestart(const char*) override { return true; }
    uint32_t SharedCount(const char*) override { return 0; }
    void ReleaseSharedCount(const char*) override {}
    void RemoveAppPathsEntry(const char*) override {}
    void RemoveFolder(const char*) override {}
    void DeleteUninstallKey(const char*) override {}

  private:
    Taken& taken_;
};

Taken RunUninstaller(const std::string& path) {
    Taken taken;
    TakingUninstallActions actions(&taken);
    uninstall::RunUninstallRecord(path.c_str(), "", "", actions);
    return taken;
}

Taken RunInstallWorkerForAction(const std::string& path) {
    std::string action_text;
    RunInstallWorker(path, &action_text);
    return {{action_text}};
}

Taken ReadScopeWord(const std::string& path) {
    char word[script::LineCapacity(script::kLongLineLimit)];
    script::ReadInstallScopeWord(path.c_str(), word, sizeof word);
    return {{word}};
}

Taken RunContainerCheck(const std::string& path) {
    Taken taken;
    if (script::ScriptHasHead(path.c_str(), script::kInstallContainerHead)) {
        taken.push_back({});
    }
    return taken;
}

// The reader that carries each section out, and whether it reports every
// section it read or only the last one.
struct Reader {
    std::function<Taken(const std::string& path)> run;
    bool sees_every_section;
};

Reader ReaderOf(const char* head) {
    std::string name = head;
    if (name == script::kProjectNameHead || name == script::kInstallToHead) {
        return {[head](const std::string& path) { return ScanMainPage(path, head); }, false};
    }
    if (name == script::kLocateInstallHead) {
        return {[head](const std::string& path) { return ScanMainPage(path, head); }, true};
    }
    if (name == script::kUninstallActionHead) {
        return {RunUninstaller, true};
    }
    if (name == script::kInstallContainerHead) {
        return {RunContainerCheck, false};
    }
    if (name == script::kInstallScopeHead) {
        return {ReadScopeWord, false};  // the last one counts
    }
    if (name == script::kActionHead) {
        return {RunInstallWorkerForAction, false};  // only the latest text shows
    }
    return {[](const std::string& path) { return RunInstallWorker(path); }, true};
}

// What a reader keeps of a line it took whole: the main page holds names
// and folders in path-sized text, and an optional item its caption.
size_t KeptLength(const char* head, bool is_optional_line) {
    std::string name = head;
    if (name == script::kProjectNameHead || name == script::kInstallToHead) {
        return support::kMaxPath - 1;
    }
    return is_optional_line ? sizeof script::OptionalRun::caption - 1 : kWhole;
}

// A value of the given length that no reader mistakes for anything else.
std::string Filler(int index, size_t length, bool optional_mark) {
    std::string text = optional_mark ? script::kOptionalPrefix : "";
    return text + std::string(length - text.size(), static_cast<char>('a' + index));
}

std::string Section(const script::SectionLayout& layout, const Values& values) {
    std::string text = std::string(layout.head) + "\r\n";
    for (const std::string& value : values) {
        text += value + "\r\n";
    }
    return text;
}

// The linter's verdict on one line: the read limit it names for a line too
// long (else kWhole), and whether it says the reader cuts the line at all.
struct Verdict {
    size_t read_limit = kWhole;
    bool cut = false;
};

Verdict LinterVerdict(const std::vector<vornak_pack::Finding>& findings, int line) {
    Verdict verdict;
    const std::string kTooLong = "but it is read only to ";
    for (const vornak_pack::Finding& finding : findings) {
        if (finding.line != line || finding.severity != vornak_pack::Severity::kError) {
            continue;
        }
        size_t at = finding.text.find(kTooLong);
        if (at != std::string::npos) {
            verdict.read_limit = std::stoul(finding.text.substr(at + kTooLong.size()));
        }
        verdict.cut = verdict.cut || at != std::string::npos ||
                      finding.text.find("holds at most") != std::string::npos;
    }
    return verdict;
}

// What the reader should hold of written, given the linter's read limit.
std::string Expected(const std::string& written, size_t read_limit, size_t kept,
                     bool is_optional_line) {
    std::string taken = written.substr(0, read_limit);
    if (is_optional_line) {
        const char* caption = script::OptionalCaption(taken.c_str());
        if (caption == nullptr) {
            return kAtOnce;
        }
        taken = caption;
    }
    return taken.substr(0, kept);
}

class SectionLayoutAgreement : public ::testing::TestWithParam<int> {
  protected:
    void SetUp() override { script::ReleaseOptionalItems(); }
    testing_support::LentSession session_;
    testing_support::MessageCapture messages_;
    testing_support::Scratch scratch_;
};

TEST_P(SectionLayoutAgreement, TheLinterReportsExactlyWhatTheReaderCuts) {
    const script::SectionLayout& layout = script::kSectionLayouts[GetParam()];
    const int count = layout.value_count;
    const std::string path = scratch_.PathOf("setup.dat");
    Values short_values;
    for (int v = 0; v < count; ++v) {
        short_values.push_back(Filler(v, 3, false));
    }
    // The head's own line after the short copy; the values follow it.
    const int edge_head_line = count + 2;
    Reader reader = ReaderOf(layout.head);
    if (count == 0) {
        testing_support::WriteAll(path, Section(layout, {}));
        EXPECT_EQ(1u, reader.run(path).size());
        return;
    }
    for (int v = 0; v < count; ++v) {
        bool is_optional = layout.optional_line && v == count - 1;
        for (size_t length : {size_t{layout.limits[v]}, size_t{layout.limits[v]} + 1}) {
            for (bool mark :
                 is_optional ? std::vector<bool>{false, true} : std::vector<bool>{false}) {
                SCOPED_TRACE(std::string(layout.head) + " line " + std::to_string(v + 1) +
                             ", length " + std::to_string(length) + (mark ? ", optional" : ""));
                Values edge = short_values;
                edge[v] = Filler(v, length, mark);
                if (layout.optional_line && !is_optional) {
                    edge[count - 1] = "";
                }
                testing_support::WriteAll(path,
                                          Section(layout, short_values) + Section(layout, edge));

                vornak_pack::ScriptText text;
                text.Parse(Section(layout, short_values) + Section(layout, edge));
                ASSERT_EQ(2u, text.Sections().size());
                EXPECT_EQ(static_cast<size_t>(edge_head_line - 1), text.Sections()[1].head);
                Verdict verdict =
                    LinterVerdict(vornak_pack::LintScript(text, {}), edge_head_line + 1 + v);

                Taken taken = reader.run(path);
                ASSERT_EQ(reader.sees_every_section ? 2u : 1u, taken.size());
                if (reader.sees_every_section) {
                    Values expected_short;
                    for (int i = 0; i < count; ++i) {
                        bool optional_i = layout.optional_line && i == count - 1;
                        expected_short.push_back(Expected(short_values[i], kWhole,
                                                          KeptLength(layout.head, optional_i),
                                                          optional_i));
                    }
                    EXPECT_EQ(expected_short, taken.front());
                }
                size_t kept = KeptLength(layout.head, is_optional);
                std::string whole = Expected(edge[v], kWhole, kWhole, is_optional);
                std::string expected = Expected(edge[v], verdict.read_limit, kept, is_optional);
                ASSERT_LT(static_cast<size_t>(v), taken.back().size());
                EXPECT_EQ(expected, taken.back()[v]);
                // A line whose text the item ignores is not cut in any way
                // that matters, whatever the linter says of its length.
                if (!(is_optional && !mark)) {
                    EXPECT_EQ(verdict.cut, expected != whole);
                }
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(EverySection, SectionLayoutAgreement,
                         ::testing::Range(0, script::kSectionLayoutCount),
                         [](const ::testing::TestParamInfo<int>& info) {
                             std::string name;
                             for (const char* c = script::kSectionLayouts[info.param].head; *c;
                                  ++c) {
                                 if (std::isalnum(static_cast<unsigned char>(*c))) {
                                     name += *c;
                                 }
                             }
                             return name;
                         });

}  // namespace
