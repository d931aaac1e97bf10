// The command line of vornak-pack.
//
//   vornak-pack build -o OUT [--stub STUB] [--utf8] [-j N] FILE... | --list LISTFILE
//   vornak-pack build --project DIR -o OUT [--stub STUB] [--files DIR]...
//                     [--no-lint] [--strict] [--utf8] [-j N]
//   vornak-pack append [-j N] PKG FILE...
//   vornak-pack list PKG
//   vornak-pack verify PKG
//   vornak-pack extract PKG [NAME...] -d DIR [--max-size SIZE]
//   vornak-pack lint SCRIPT [--files DIR]... [--strict] [--utf8]
//   vornak-pack sign PKG (--cert CERT --key KEY | --pkcs12 P12) [--pass-file FILE]
//                    [--timestamp URL]
//   vornak-pack manifest --winget ID VERSION PUBLISHER -o DIR [--url URL] PKG
//   vornak-pack sbom PKG
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vornak_pack {

enum class Action {
    kHelp,
    kVersion,
    kBuild,
    kAppend,
    kList,
    kVerify,
    kExtract,
    kLint,
    kSign,
    kManifest,
    kSbom
};

// A FILE operand, or the LISTFILE of --list that names files line by line;
// kept in command-line order, which is the order of the entries.
struct FileSource {
    std::string path;
    bool is_list = false;
};

struct Command {
    Action action = Action::kHelp;
    std::string output;                       // build: -o
    std::string package;                      // append, list, verify, extract, sign
    std::string stub;                         // build: empty for the one beside the tool
    bool sixty_four_bit = false;              // build: "--arch x64", the 64-bit edition
    std::string project;                      // build --project: the project folder
    std::string script;                       // lint
    std::vector<std::string> search_folders;  // --files, in order
    std::vector<FileSource> sources;          // build, append
    std::string folder = ".";                 // extract: -d
    std::vector<std::string> names;           // extract: which entries (all when empty)
    bool lint = true;                         // build --project: lint first
    bool strict = false;                      // warnings count as errors
    bool utf8 = false;                        // build, lint: the package's text is UTF-8
    unsigned jobs = 0;                        // compression threads; 0 for one per processor
    uint64_t max_size = 0;                    // extract: bytes in all; 0 for the default
    std::string certificate;                  // sign: --cert
    std::string key;                          // sign: --key
    std::string pkcs12;                       // sign: --pkcs12
    std::string password_file;                // sign: --pass-file
    std::string timestamp_url;                // sign: --timestamp
    bool winget = false;                      // manifest: --winget
    std::string manifest_id;                  // manifest: ID, VERSION, PUBLISHER
    std::string manifest_version;
    std::string publisher;
    std::string download_url;  // manifest: --url
};

// Reads the arguments after the program name. Returns false with the reason
// in error for a command line that does not make sense.
bool ParseCommandLine(const std::vector<std::string>& args, Command* command, std::string* error);

std::string UsageText();

// One compression thread per processor that is online, at least one.
unsigned DefaultJobs();

}  // namespace vornak_pack
