// Linting a script and gathering a project's files.
#include "packer/build/project_build.h"

#include "packer/common/host_path.h"
#include "packer/lint/project_files.h"
#include "packer/build/project_links.h"
#include "packer/lint/script_lint.h"
#include "packer/common/tool_messages.h"

namespace vornak_pack {

namespace {

std::string Counted(int count, const char* what) {
    return std::to_string(count) + " " + what + (count == 1 ? "" : "s");
}

bool LoadScript(const std::string& path, ScriptText* script) {
    std::string error;
    if (!script->Load(path, &error)) {
        ReportError(error);
        return false;
    }
    return true;
}

}  // namespace

bool LintAndReport(const LintRequest& request, const ScriptText& script, std::FILE* out) {
    std::vector<Finding> findings = LintScript(script, request.folders);
    for (const Finding& finding : findings) {
        std::fprintf(out, "%s\n", FormatFinding(request.script_path, finding).c_str());
    }
    int errors = CountFindings(findings, Severity::kError);
    int warnings = CountFindings(findings, Severity::kWarning);
    std::fprintf(out, "%s: %s, %s\n", request.script_path.c_str(), Counted(errors, "error").c_str(),
                 Counted(warnings, "warning").c_str());
    return errors == 0 && (!request.strict || warnings == 0);
}

bool LintScriptFile(const std::string& path, const std::vector<std::string>& extra_folders,
                    bool strict, bool utf8, std::FILE* out) {
    ScriptText script;
    if (!LoadScript(path, &script)) {
        return false;
    }
    if (utf8) {
        script.TakeAsUtf8();
    }
    LintRequest request{path, {HostFolderOf(path)}, strict};
    request.folders.insert(request.folders.end(), extra_folders.begin(), extra_folders.end());
    return LintAndReport(request, script, out);
}

bool GatherProject(const ProjectRequest& request, std::vector<PackInput>* inputs) {
    std::vector<std::string> folders = {request.folder};
    folders.insert(folders.end(), request.extra_folders.begin(), request.extra_folders.end());
    std::string script_path = FindInFolders({request.folder}, "setup.dat");
    if (script_path.empty()) {
        ReportError(request.folder +
                    " holds no setup.dat; a project folder needs its setup script");
        return false;
    }
    ScriptText script;
    if (!LoadScript(script_path, &script)) {
        return false;
    }
    if (request.utf8) {
        script.TakeAsUtf8();
    }
    if (request.lint && !LintAndReport({script_path, folders, request.strict}, script, stderr)) {
        ReportError(std::string("the installer is not built: fix ") + script_path +
                    (request.strict ? " (--strict: warnings count)" : "") +
                    ", or build anyway with --no-lint");
        return false;
    }
    return ProjectInputs(request.folder, request.extra_folders, script_path, script, inputs) &&
           CheckLinksStayInside(*inputs, request.strict);
}

}  // namespace vornak_pack
