// Fuzzes vornak-pack's reading of a setup script: the linter over arbitrary
// bytes, read as the author's file (UTF-8 when it bears the signature or a
// UTF-8 line) and again as a script build --utf8 packs, with every line also
// compared as a UTF-8 name and shown as a legacy one.
#include <cstdint>
#include <string>

#include "packer/common/printable_text.h"
#include "packer/common/utf8_text.h"
#include "packer/examine/entry_names.h"
#include "packer/lint/script_lint.h"
#include "packer/lint/script_text.h"
#include "tests/fuzz/fuzz_files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 1 << 16) {
        return 0;
    }
    fuzzing::SilenceMessages();
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    for (bool taken_as_utf8 : {false, true}) {
        vornak_pack::ScriptText script;
        script.Parse(bytes);
        if (taken_as_utf8) {
            script.TakeAsUtf8();
        }
        for (const vornak_pack::Finding& finding : vornak_pack::LintScript(script, {})) {
            vornak_pack::FormatFinding("setup.dat", finding);
        }
    }
    vornak_pack::ScriptText script;
    script.Parse(bytes);
    for (const vornak_pack::ScriptLine& line : script.Lines()) {
        vornak_pack::Utf8NamesEqualIgnoringCase(line.text, bytes);
        vornak_pack::ScriptCharacters(line.text);
        vornak_pack::Printable(vornak_pack::HostEntryName(line.text.c_str(), false));
        vornak_pack::EntryNamed(line.text.c_str(), line.text, false);
    }
    return 0;
}
