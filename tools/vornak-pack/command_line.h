// The command line of vornak-pack.
//
//   vornak-pack build -o OUT [--stub STUB] [-j N] FILE... | --list LISTFILE
//   vornak-pack build --project DIR -o OUT [--stub STUB] [--files DIR]...
//                     [--no-lint] [--strict] [-j N]
//   vornak-pack append [-j N] PKG FILE...
//   vornak-pack list PKG
//   vornak-pack verify PKG
//   vornak-pack extract PKG [NAME...] -d DIR [--max-size SIZE]
//   vornak-pack lint SCRIPT [--files DIR]... [--strict]
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vornak_pack {

enum class Action { kHelp, kVersion, kBuild, kAppend, kList, kVerify, kExtract, kLint };

// A FILE operand, or the LISTFILE of --list that names files line by line;
// kept in command-line order, which is the order of the entries.
struct FileSource {
    std::string path;
    bool is_list = false;
};

struct Command {
    Action action = Action::kHelp;
    std::string output;                       // build: -o
    std::string package;                      // append, list, verify, extract
    std::string stub;                         // build: empty for the one beside the tool
    std::string project;                      // build --project: the project folder
    std::string script;                       // lint
    std::vector<std::string> search_folders;  // --files, in order
    std::vector<FileSource> sources;          // build, append
    std::string folder = ".";                 // extract: -d
    std::vector<std::string> names;           // extract: which entries (all when empty)
    bool lint = true;                         // build --project: lint first
    bool strict = false;                      // warnings count as errors
    unsigned jobs = 0;                        // compression threads; 0 for one per processor
    uint64_t max_size = 0;                    // extract: bytes in all; 0 for the default
};

// Reads the arguments after the program name. Returns false with the reason
// in error for a command line that does not make sense.
bool ParseCommandLine(const std::vector<std::string>& args, Command* command, std::string* error);

std::string UsageText();

// One compression thread per processor that is online, at least one.
unsigned DefaultJobs();

}  // namespace vornak_pack
