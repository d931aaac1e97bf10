// sign: Authenticode-signs a finished installer with osslsigncode, in place.
//
// This is a thin wrapper: the real tool does the signing. What it adds is
// what only the packer knows: the file must be a whole, unsigned package
// whose stub can be signed, and it must still read as a package after
// signing. The signed file is written into a private folder beside the
// package and renamed over it, so a failure leaves the package exactly as it
// was, and nobody else can redirect the tool's output through a link. On Windows the same
// step is `signtool sign` (docs/authoring.md).
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace vornak_pack {

struct SignRequest {
    std::string package;
    std::string certificate;    // PEM certificate (chain), with key
    std::string key;            // PEM private key
    std::string pkcs12;         // or a PKCS#12 file holding both
    std::string password_file;  // the key's or PKCS#12 file's password, when it has one
    std::string timestamp_url;  // an RFC 3161 time-stamping service, optional
    std::string tool = "osslsigncode";
};

// The osslsigncode command line that signs input into output.
std::vector<std::string> SignCommandLine(const SignRequest& request, const std::string& input,
                                         const std::string& output);

// Signs the package in place; prints one line on out when done. False, with
// messages, and the package unchanged, when it is not a package, is signed
// already, has a stub that cannot be signed, or the tool fails.
bool SignPackage(const SignRequest& request, std::FILE* out);

}  // namespace vornak_pack
