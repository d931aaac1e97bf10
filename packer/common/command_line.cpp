// Command-line parsing: options may come before, between or after the
// operands, "--" ends them, and every option belongs to certain commands.
#include "packer/common/command_line.h"

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace vornak_pack {

namespace {

constexpr unsigned kMostJobs = 64;

struct CommandWord {
    const char* word;
    Action action;
    const char* options;  // the options it takes, by their letters
};

const CommandWord kCommands[] = {
    {"build", Action::kBuild, "osalpfnSj8"},
    {"append", Action::kAppend, "j"},
    {"list", Action::kList, ""},
    {"verify", Action::kVerify, ""},
    {"extract", Action::kExtract, "dm"},
    {"lint", Action::kLint, "fS8"},
    {"sign", Action::kSign, "ckPwt"},
    {"manifest", Action::kManifest, "oWu"},
    {"sbom", Action::kSbom, ""},
};

struct Option {
    const char* spelling;
    char letter;
    bool takes_value;
};

const Option kOptions[] = {
    {"--output", 'o', true},   {"-o", 'o', true},          {"--stub", 's', true},
    {"--list", 'l', true},     {"--project", 'p', true},   {"--files", 'f', true},
    {"--no-lint", 'n', false}, {"--strict", 'S', false},   {"--jobs", 'j', true},
    {"-j", 'j', true},         {"--directory", 'd', true}, {"-d", 'd', true},
    {"--max-size", 'm', true}, {"--cert", 'c', true},      {"--key", 'k', true},
    {"--pkcs12", 'P', true},   {"--pass-file", 'w', true}, {"--timestamp", 't', true},
    {"--winget", 'W', false},  {"--url", 'u', true},       {"--arch", 'a', true},
    {"--utf8", '8', false},
};

// The option arg spells, or null. value gets the text after '=' in
// "--long=value", or after "-j" in "-j4".
const Option* FindOption(const std::string& arg, std::string* value, bool* has_value) {
    for (const Option& option : kOptions) {
        std::string spelling = option.spelling;
        if (arg == spelling) {
            *has_value = false;
            return &option;
        }
        bool is_long = spelling.size() > 2;
        std::string glued = is_long ? spelling + "=" : spelling;
        if (option.takes_value && arg.compare(0, glued.size(), glued) == 0) {
            *value = arg.substr(glued.size());
            *has_value = true;
            return &option;
        }
    }
    return nullptr;
}

bool ParseJobs(const std::string& text, unsigned* jobs, std::string* error) {
    char* end = nullptr;
    long value = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || value < 1 || value > static_cast<long>(kMostJobs)) {
        *error = "-j takes a number of threads from 1 to " + std::to_string(kMostJobs);
        return false;
    }
    *jobs = static_cast<unsigned>(value);
    return true;
}

// A byte count, with K, M or G after it for binary kilo-, mega- and gigabytes.
bool ParseSize(const std::string& text, uint64_t* size, std::string* error) {
    static const char kUnits[] = "KMG";
    char* end = nullptr;
    unsigned long long value = std::strtoull(text.c_str(), &end, 10);
    int shift = 0;
    const char* unit = *end != '\0' ? std::strchr(kUnits, *end) : nullptr;
    if (unit != nullptr) {
        shift = 10 * static_cast<int>(unit - kUnits + 1);
        ++end;
    }
    if (text.empty() || text[0] == '-' || *end != '\0' || value == 0 ||
        value > (UINT64_MAX >> shift)) {
        *error = "--max-size takes a number of bytes, with K, M or G after it for KiB, MiB, GiB";
        return false;
    }
    *size = static_cast<uint64_t>(value) << shift;
    return true;
}

bool ApplyOption(char letter, const std::string& value, Command* command, std::string* error) {
    switch (letter) {
        case 'o':
            command->output = value;
            return true;
        case 's':
            command->stub = value;
            return true;
        case 'a':
            if (value != "x86" && value != "x64") {
                *error = "--arch takes x86 (VornakSetup.exe) or x64 (VornakSetup64.exe)";
                return false;
            }
            command->sixty_four_bit = value == "x64";
            return true;
        case 'l':
            command->sources.push_back({value, true});
            return true;
        case 'p':
            command->project = value;
            return true;
        case 'f':
            command->search_folders.push_back(value);
            return true;
        case 'n':
            command->lint = false;
            return true;
        case 'S':
            command->strict = true;
            return true;
        case '8':
            command->utf8 = true;
            return true;
        case 'j':
            return ParseJobs(value, &command->jobs, error);
        case 'm':
            return ParseSize(value, &command->max_size, error);
        case 'c':
            command->certificate = value;
            return true;
        case 'k':
            command->key = value;
            return true;
        case 'P':
            command->pkcs12 = value;
            return true;
        case 'w':
            command->password_file = value;
            return true;
        case 't':
            command->timestamp_url = value;
            return true;
        case 'W':
            command->winget = true;
            return true;
        case 'u':
            command->download_url = value;
            return true;
        default:
            command->folder = value;
            return true;
    }
}

bool CheckBuild(const std::vector<std::string>& operands, Command* command, std::string* error) {
    if (command->output.empty()) {
        *error = "build needs -o OUT, the installer to write";
        return false;
    }
    for (const std::string& operand : operands) {
        command->sources.push_back({operand, false});
    }
    if (!command->project.empty()) {
        if (!command->sources.empty()) {
            *error = "--project takes its files from the project's setup.dat; give no files";
            return false;
        }
        return true;
    }
    if (!command->search_folders.empty() || !command->lint || command->strict) {
        *error = "--files, --no-lint and --strict go with --project";
        return false;
    }
    if (command->sources.empty()) {
        *error = "build needs the files to pack, or --list LISTFILE, or --project DIR";
        return false;
    }
    return true;
}

// A signer needs a certificate with its key, or a PKCS#12 file holding both.
bool CheckSign(Command* command, std::string* error) {
    bool pem = !command->certificate.empty() || !command->key.empty();
    if (pem == !command->pkcs12.empty() ||
        (pem && (command->certificate.empty() || command->key.empty()))) {
        *error = "sign needs --cert CERT and --key KEY, or --pkcs12 FILE";
        return false;
    }
    return true;
}

// manifest --winget ID VERSION PUBLISHER -o DIR PKG
bool CheckManifest(const std::vector<std::string>& operands, Command* command, std::string* error) {
    if (!command->winget || command->output.empty() || operands.size() != 4) {
        *error = "manifest needs --winget ID VERSION PUBLISHER -o DIR PKG";
        return false;
    }
    command->manifest_id = operands[0];
    command->manifest_version = operands[1];
    command->publisher = operands[2];
    command->package = operands[3];
    return true;
}

// Gives the operands their meaning for the command.
bool AssignOperands(const std::vector<std::string>& operands, Command* command,
                    std::string* error) {
    Action action = command->action;
    if (action == Action::kBuild) {
        return CheckBuild(operands, command, error);
    }
    if (action == Action::kManifest) {
        return CheckManifest(operands, command, error);
    }
    size_t at_least = action == Action::kAppend ? 2 : 1;
    bool takes_more = action == Action::kAppend || action == Action::kExtract;
    if (operands.size() < at_least || (!takes_more && operands.size() > at_least)) {
        *error = "wrong number of arguments";
        return false;
    }
    if (action == Action::kLint) {
        command->script = operands[0];
        return true;
    }
    command->package = operands[0];
    if (action == Action::kSign) {
        return CheckSign(command, error);
    }
    for (size_t i = 1; i < operands.size(); ++i) {
        if (action == Action::kAppend) {
            command->sources.push_back({operands[i], false});
        } else {
            command->names.push_back(operands[i]);
        }
    }
    return true;
}

struct ParseState {
    const CommandWord* command = nullptr;
    std::vector<std::string> operands;
    bool options_ended = false;
};

// Takes args[*i], and its value from args[*i + 1] when it is an option that
// needs one.
bool TakeArgument(const std::vector<std::string>& args, size_t* i, ParseState* state,
                  Command* command, std::string* error) {
    const std::string& arg = args[*i];
    if (!state->options_ended && arg == "--") {
        state->options_ended = true;
        return true;
    }
    std::string value;
    bool has_value = false;
    const Option* option = state->options_ended ? nullptr : FindOption(arg, &value, &has_value);
    if (option == nullptr) {
        if (!state->options_ended && arg.size() > 1 && arg[0] == '-') {
            *error = "unknown option '" + arg + "'";
            return false;
        }
        state->operands.push_back(arg);
        return true;
    }
    if (std::strchr(state->command->options, option->letter) == nullptr) {
        *error = "'" + arg + "' does not go with '" + state->command->word + "'";
        return false;
    }
    if (option->takes_value && !has_value && ++*i == args.size()) {
        *error = "'" + arg + "' needs a value";
        return false;
    }
    return ApplyOption(option->letter, has_value || !option->takes_value ? value : args[*i],
                       command, error);
}

}  // namespace

bool ParseCommandLine(const std::vector<std::string>& args, Command* command, std::string* error) {
    *command = Command();
    if (args.empty()) {
        *error = "no command given";
        return false;
    }
    if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        command->action = Action::kHelp;
        return true;
    }
    if (args[0] == "--version") {
        command->action = Action::kVersion;
        return true;
    }
    ParseState state;
    for (const CommandWord& candidate : kCommands) {
        if (args[0] == candidate.word) {
            state.command = &candidate;
        }
    }
    if (state.command == nullptr) {
        *error = "unknown command '" + args[0] + "'";
        return false;
    }
    command->action = state.command->action;
    for (size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--help" || args[i] == "-h") {
            command->action = Action::kHelp;
            return true;
        }
        if (!TakeArgument(args, &i, &state, command, error)) {
            return false;
        }
    }
    return AssignOperands(state.operands, command, error);
}

std::string UsageText() {
    return "usage:\n"
           "  vornak-pack build -o OUT [--stub STUB | --arch x86|x64] [--utf8] [-j N] FILE...\n"
           "  vornak-pack build -o OUT [--stub STUB | --arch x86|x64] [--utf8] [-j N]\n"
           "                    --list LISTFILE\n"
           "      write the installer OUT: STUB followed by each FILE, in order\n"
           "  vornak-pack build --project DIR -o OUT [--stub STUB | --arch x86|x64] [--files "
           "DIR]...\n"
           "                    [--no-lint] [--strict] [--utf8] [-j N]\n"
           "      lint DIR/setup.dat, then pack it, setup.bmp, setup.lic and every\n"
           "      file the script names, found in DIR and then in each --files DIR\n"
           "  vornak-pack append [-j N] PKG FILE...\n"
           "      add each FILE to the package PKG, as the installer's pack mode does\n"
           "  vornak-pack list PKG\n"
           "      the stub size, one line per entry, and whether it is signed\n"
           "  vornak-pack verify PKG\n"
           "      check the package as the installer reads it, then every entry\n"
           "  vornak-pack extract PKG [NAME...] -d DIR [--max-size SIZE]\n"
           "      write the named entries (all when none is named) into DIR, no more\n"
           "      than SIZE bytes in all (default: what the entries hold, and no more\n"
           "      than DIR has room for)\n"
           "  vornak-pack lint SCRIPT [--files DIR]... [--strict] [--utf8]\n"
           "      find the mistakes in a setup script that the installer passes over\n"
           "      in silence\n"
           "  vornak-pack sign PKG (--cert CERT --key KEY | --pkcs12 FILE)\n"
           "                   [--pass-file FILE] [--timestamp URL]\n"
           "      sign the finished installer PKG in place with osslsigncode: sign last,\n"
           "      nothing can be added to a signed installer\n"
           "  vornak-pack manifest --winget ID VERSION PUBLISHER -o DIR [--url URL] PKG\n"
           "      write a winget manifest set for the installer PKG into DIR\n"
           "  vornak-pack sbom PKG\n"
           "      print a CycloneDX bill of materials: the stub and every entry with\n"
           "      its size and SHA-256\n"
           "  vornak-pack --help | --version\n"
           "\n"
           "STUB defaults to the VornakSetup.exe beside vornak-pack (--arch x64: the\n"
           "64-bit edition VornakSetup64.exe beside it). An entry is named\n"
           "after its file's name. A LISTFILE names one file per line; empty lines and\n"
           "lines starting with # are skipped. -j N compresses on N threads (default:\n"
           "one per processor); the installer comes out the same for every N.\n"
           "--utf8 makes the installer's text UTF-8: its setup.dat is packed with the\n"
           "UTF-8 signature, and its script and entry names are read as UTF-8. Without\n"
           "it, a setup.dat that begins with the signature, or a UTF-8 entry name or\n"
           "script line, does the same; text that is not UTF-8 is taken as\n"
           "Windows-1252 and packed as it is.\n"
           "Exit status: 0 done, 1 failed (or lint found errors), 2 wrong command line.\n";
}

unsigned DefaultJobs() {
    long online = sysconf(_SC_NPROCESSORS_ONLN);
    if (online < 1) {
        return 1;
    }
    return online > static_cast<long>(kMostJobs) ? kMostJobs : static_cast<unsigned>(online);
}

}  // namespace vornak_pack
