// Command-line parsing.
#include "tools/vornak-pack/command_line.h"

#include <unistd.h>

#include <cstdlib>

#include "tools/vornak-pack/host_path.h"

namespace vornak_pack {

namespace {

constexpr unsigned kMostJobs = 64;

struct ActionWord {
    const char* word;
    Action action;
    const char* options;  // the options it takes, by their short letters
};

const ActionWord kActions[] = {
    {"create", Action::kCreate, "sjn"}, {"add", Action::kAdd, "jn"},
    {"list", Action::kList, ""},        {"verify", Action::kVerify, ""},
    {"extract", Action::kExtract, "d"}, {"stub", Action::kStub, ""},
};

// An option's letter, or 0 when arg is not one of ours. value gets the text
// after '=' in "--long=value", or after "-j" in "-j4".
char OptionLetter(const std::string& arg, std::string* value, bool* has_value) {
    struct Option {
        const char* spelling;
        char letter;
    };
    static const Option kOptions[] = {{"--stub", 's'}, {"--jobs", 'j'},      {"-j", 'j'},
                                      {"--name", 'n'}, {"--directory", 'd'}, {"-d", 'd'}};
    for (const Option& option : kOptions) {
        std::string spelling = option.spelling;
        if (arg == spelling) {
            *has_value = false;
            return option.letter;
        }
        bool is_long = spelling.size() > 2;
        std::string glued = is_long ? spelling + "=" : spelling;
        if (arg.compare(0, glued.size(), glued) == 0) {
            *value = arg.substr(glued.size());
            *has_value = true;
            return option.letter;
        }
    }
    return 0;
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

bool ApplyOption(char letter, const std::string& value, Command* command, std::string* pending_name,
                 std::string* error) {
    switch (letter) {
        case 's':
            command->stub = value;
            return true;
        case 'j':
            return ParseJobs(value, &command->jobs, error);
        case 'n':
            *pending_name = value;
            return true;
        default:
            command->folder = value;
            return true;
    }
}

// Gives the positional arguments their meaning for the action.
bool AssignOperands(const std::vector<std::string>& operands, Command* command,
                    std::string* error) {
    size_t wanted_at_least = command->action == Action::kCreate ||
                                     command->action == Action::kAdd ||
                                     command->action == Action::kStub
                                 ? 2
                                 : 1;
    bool takes_more = command->action != Action::kList && command->action != Action::kVerify &&
                      command->action != Action::kStub;
    if (operands.size() < wanted_at_least || (!takes_more && operands.size() > wanted_at_least)) {
        *error = "wrong number of arguments";
        return false;
    }
    command->package = operands[0];
    if (command->action == Action::kStub) {
        command->destination = operands[1];
    } else if (command->action == Action::kExtract) {
        command->names.assign(operands.begin() + 1, operands.end());
    }
    return true;
}

struct ParseState {
    const ActionWord* action = nullptr;
    std::vector<std::string> operands;
    std::string pending_name;  // from --name, for the next file
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
    char letter = state->options_ended ? 0 : OptionLetter(arg, &value, &has_value);
    if (letter == 0 && !state->options_ended && arg.size() > 1 && arg[0] == '-') {
        *error = "unknown option '" + arg + "'";
        return false;
    }
    if (letter != 0) {
        if (std::string(state->action->options).find(letter) == std::string::npos) {
            *error = "'" + arg + "' does not go with '" + state->action->word + "'";
            return false;
        }
        if (!has_value && ++*i == args.size()) {
            *error = "'" + arg + "' needs a value";
            return false;
        }
        return ApplyOption(letter, has_value ? value : args[*i], command, &state->pending_name,
                           error);
    }
    // The package comes first; every later operand of create and add is a
    // file, named after its file name unless --name came before it.
    if (!state->operands.empty() &&
        (command->action == Action::kCreate || command->action == Action::kAdd)) {
        command->inputs.push_back(
            {arg, state->pending_name.empty() ? HostFileName(arg) : state->pending_name});
        state->pending_name.clear();
    }
    state->operands.push_back(arg);
    return true;
}

}  // namespace

bool ParseCommandLine(const std::vector<std::string>& args, Command* command, std::string* error) {
    *command = Command();
    if (args.empty() || args[0] == "help" || args[0] == "--help" || args[0] == "-h") {
        command->action = Action::kHelp;
        return !args.empty();
    }
    if (args[0] == "--version") {
        command->action = Action::kVersion;
        return true;
    }
    ParseState state;
    for (const ActionWord& candidate : kActions) {
        if (args[0] == candidate.word) {
            state.action = &candidate;
        }
    }
    if (state.action == nullptr) {
        *error = "unknown command '" + args[0] + "'";
        return false;
    }
    command->action = state.action->action;
    for (size_t i = 1; i < args.size(); ++i) {
        if (!TakeArgument(args, &i, &state, command, error)) {
            return false;
        }
    }
    if (!state.pending_name.empty()) {
        *error = "--name " + state.pending_name + " is not followed by a file";
        return false;
    }
    return AssignOperands(state.operands, command, error);
}

std::string UsageText() {
    return "usage:\n"
           "  vornak-pack create [--stub STUB] [-j N] PACKAGE [--name NAME] FILE...\n"
           "      write PACKAGE anew: STUB (for an installer, VornakSetup.exe) followed\n"
           "      by each FILE as a compressed entry, in the order given\n"
           "  vornak-pack add [-j N] PACKAGE [--name NAME] FILE...\n"
           "      append each FILE to PACKAGE, as the installer's pack mode does\n"
           "  vornak-pack list PACKAGE\n"
           "      print the directory\n"
           "  vornak-pack verify PACKAGE\n"
           "      check the checksums and decode every entry\n"
           "  vornak-pack extract [-d FOLDER] PACKAGE [NAME...]\n"
           "      write the named entries (all when none is named) into FOLDER\n"
           "  vornak-pack stub PACKAGE DESTINATION\n"
           "      write the bytes before the first entry, the installer program itself\n"
           "\n"
           "An entry is named after its file's name; --name NAME names the next FILE.\n"
           "Names are compared without regard to case and must be Windows file names.\n"
           "-j N compresses on N threads (default: one per processor); the package\n"
           "comes out the same for every N. A package that cannot be built whole is\n"
           "not written. Exit status: 0 done, 1 failed, 2 wrong command line.\n";
}

unsigned DefaultJobs() {
    long online = sysconf(_SC_NPROCESSORS_ONLN);
    if (online < 1) {
        return 1;
    }
    return online > static_cast<long>(kMostJobs) ? kMostJobs : static_cast<unsigned>(online);
}

}  // namespace vornak_pack
