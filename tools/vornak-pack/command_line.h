// The command line of vornak-pack.
//
//   vornak-pack create [--stub STUB] [-j N] PACKAGE [--name NAME] FILE...
//   vornak-pack add [-j N] PACKAGE [--name NAME] FILE...
//   vornak-pack list PACKAGE
//   vornak-pack verify PACKAGE
//   vornak-pack extract [-d FOLDER] PACKAGE [NAME...]
//   vornak-pack stub PACKAGE DESTINATION
#pragma once

#include <string>
#include <vector>

#include "tools/vornak-pack/pack_input.h"

namespace vornak_pack {

enum class Action { kHelp, kVersion, kCreate, kAdd, kList, kVerify, kExtract, kStub };

struct Command {
    Action action = Action::kHelp;
    std::string package;
    std::string stub;                // create: the file to start from
    std::string folder = ".";        // extract: where to
    std::string destination;         // stub: where to
    std::vector<PackInput> inputs;   // create, add
    std::vector<std::string> names;  // extract: which entries (all when empty)
    unsigned jobs = 0;               // compression threads; 0 for one per processor
};

// Reads the arguments after the program name. Returns false with the reason
// in error for a command line that does not make sense.
bool ParseCommandLine(const std::vector<std::string>& args, Command* command, std::string* error);

std::string UsageText();

// One compression thread per processor that is online, at least one.
unsigned DefaultJobs();

}  // namespace vornak_pack
