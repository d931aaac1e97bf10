// The setup script format: the reading rules every reader of setup.dat and
// of the uninstall record shares.
//
// The script is CR LF text. A section starts with a head line equal, over
// the whole line and case-sensitively, to its bracketed name, and is followed
// by a fixed number of value lines that are read unconditionally. Every other
// line is skipped. A reader loops: NextLine, then ReadSectionAt for each of
// its heads, which reads that section's value lines as kSectionLayouts says.
// The linter in vornak-pack reads the same table, so what it calls a section
// and a line too long is what the installer reads. Two readings of the
// uninstaller differ from the table, and say so below: OptionalLine and
// kRecordedFolderLimit.
#pragma once

#include <cstddef>
#include <cstdint>

#include "support/disk_file.h"

namespace script {

constexpr char kProjectNameHead[] = "[Project Name]";
constexpr char kInstallToHead[] = "[Install To]";
constexpr char kLocateInstallHead[] = "[LocateInstall]";
constexpr char kActionHead[] = "[Action]";
constexpr char kCopyFileHead[] = "[CopyFile]";
constexpr char kRegistryHead[] = "[Registry]";
constexpr char kRunFileHead[] = "[RunFile]";
constexpr char kRunAndWaitFileHead[] = "[RunAndWaitFile]";
constexpr char kCreateIconHead[] = "[CreateIcon]";
constexpr char kMessageHead[] = "[Message]";
constexpr char kInstallContainerHead[] = "[InstallContainer]";
constexpr char kUninstallActionHead[] = "[UninstallAction]";
constexpr char kInstallScopeHead[] = "[Install Scope]";

// Characters taken per read; every buffer holds one more for the NUL.
// Long: every line tested as a head, the [Message] text, the [Registry] root
// word, type word and data, each line copied into the uninstall record, and
// the [Install To] value read back from one.
constexpr uint32_t kLongLineLimit = 1000;
// The optional line of [CreateIcon], [RunFile] and [RunAndWaitFile].
constexpr uint32_t kOptionalLineLimit = 520;
// Every other value line.
constexpr uint32_t kValueLineLimit = 260;

// The bytes a line read with limit takes in program text, with its NUL. A
// limit counts characters: bytes in a script of the system's code page,
// UTF-8 characters (up to four bytes) in a UTF-8 one, and a byte of the
// system's code page may become three bytes of program text.
constexpr uint32_t LineCapacity(uint32_t limit) {
    return 4 * limit + 1;
}

// Where a section's value lines may hold folder placeholders: bit i set
// means value line i is expanded before it is used.
constexpr unsigned ExpandedLine(int index) {
    return 1u << index;
}

// The most value lines any section has.
constexpr int kMostValueLines = 5;

// The layout of one section, as every reader of the installer and the
// linter take it: the number of value lines after the head, each line's
// read limit, which lines are expanded, and whether the last value line is
// the optional line ("Optional - " and a caption).
struct SectionLayout {
    const char* head;
    int value_count;
    uint32_t limits[kMostValueLines];
    unsigned expanded;  // ExpandedLine bits; [Registry] data only for strings
    bool optional_line;
};

// Every section some reader acts on.
extern const SectionLayout kSectionLayouts[];
extern const int kSectionLayoutCount;

// The layout whose head line equals line exactly, or null.
const SectionLayout* FindSectionLayout(const char* line);

// The value lines of one section as ReadSectionAt read them. Each line has
// room for the longest limit, so a reader may expand a path in place.
struct SectionValues {
    const SectionLayout* layout = nullptr;
    int count = 0;  // the lines read: the layout's, less a skipped optional line
    char lines[kMostValueLines][LineCapacity(kLongLineLimit)];

    char* Line(int index) { return lines[index]; }
    const char* Line(int index) const { return lines[index]; }
    // The caption of the optional line after an exact "Optional - " prefix;
    // null when the layout has no optional line, it was not read, or it
    // does not mark an optional item.
    const char* OptionalCaption() const;
};

// Whether a reader takes the optional line with the rest of its section.
// The uninstaller does not act on it and leaves it to be tested as a head,
// as any line it does not know.
enum class OptionalLine { kRead, kLeftAsLine };

// An uninstall record's [Install To] value is read back whole, with the
// long limit rather than its layout's: the record writer copied the script
// line by line at that limit and put the folder actually used there.
constexpr uint32_t kRecordedFolderLimit = kLongLineLimit;

// The [Registry] root words, compared case-sensitively; any other selects
// no root and the section writes nothing.
constexpr int kRegistryRootCount = 5;
extern const char* const kRegistryRootWords[kRegistryRootCount];
// The one [Registry] type word that makes a number; any other is a string.
constexpr char kDwordTypeWord[] = "DWORD";

// The [Message] kind words and their icon flags.
struct MessageKind {
    const char* word;
    unsigned flag;
};
constexpr int kMessageKindCount = 4;
extern const MessageKind kMessageKinds[kMessageKindCount];

// The prefix of an optional line, compared case-sensitively.
constexpr char kOptionalPrefix[] = "Optional - ";

// One script opened for reading. A missing or unreadable script is not
// reported: it reads as an empty one. Every line comes as program text: a
// script that begins with the UTF-8 signature is UTF-8, any other is in the
// system's ANSI code page (support/program_text.h).
class SetupScript {
  public:
    explicit SetupScript(const char* path);
    SetupScript(const SetupScript&) = delete;
    SetupScript& operator=(const SetupScript&) = delete;

    bool IsOpen() const { return file_.IsOpen(); }
    // Reads the next line to be tested as a head. False at the end.
    bool NextLine();
    // The line NextLine read last.
    const char* Line() const { return line_; }
    // Whether that line is exactly head.
    bool AtHead(const char* head) const;
    // When the current line is exactly head, reads the section's value lines
    // by head's layout into values and returns true; otherwise reads nothing.
    bool ReadSectionAt(const char* head, SectionValues* values,
                       OptionalLine optional = OptionalLine::kRead);
    // Reads the value lines of layout, whatever the current line is.
    void ReadSection(const SectionLayout& layout, SectionValues* values,
                     OptionalLine optional = OptionalLine::kRead);
    // Reads the next line as a value of the current section, whatever it
    // holds, into buffer (LineCapacity(limit) bytes). A line longer than limit gives
    // its first limit characters and its rest becomes the next line. Past
    // the end the value is empty and the result false.
    bool ReadValue(char* buffer, uint32_t limit);
    // Counts the lines equal to head in the whole script, then starts again
    // from its first line.
    int CountHeads(const char* head);
    // Whether the script is UTF-8 (it begins with the signature).
    bool IsUtf8() const { return utf8_; }

  private:
    // Places the file at its first line, past the signature.
    void Rewind();
    // Reads one line with limit into buffer (LineCapacity(limit) bytes).
    bool ReadText(char* buffer, uint32_t limit);

    support::DiskFile file_;
    bool utf8_ = false;
    char line_[LineCapacity(kLongLineLimit)];
    // The line as the file holds it, when that is not program text.
    char stored_[LineCapacity(kLongLineLimit)];
};

// Whether any line of the script at path is exactly head.
bool ScriptHasHead(const char* path, const char* head);
// The first value line of the last section with this head (a head of one
// value line); empty when there is none.
void ReadLastSectionValue(const char* path, const char* head, char* value, size_t capacity);
// The [Project Name] value as the main page takes it (the last one wins);
// empty when there is none.
void ReadProjectName(const char* path, char* name, size_t capacity);

// For the optional line of [CreateIcon], [RunFile] and [RunAndWaitFile]: the
// caption after an exact "Optional - " prefix, or null when the line does
// not mark an optional item (the item is then carried out at once).
const char* OptionalCaption(const char* line);

// Turns every backslash followed by a lower-case n into CR LF, in place.
// No other escape exists.
void UnescapeMessageText(char* text);
// The icon flag of a [Message] kind word; 0 for an unknown word.
unsigned MessageIconFlag(const char* kind);
// Shows a [Message] section as its box: text unescaped, title "Installer",
// the kind's icon, top-most, OK only.
void ShowScriptMessage(char* text, const char* kind);

// A [Registry] number datum: a signed decimal (leading white space, an
// optional sign, digits up to the first non-digit; none gives 0), clamped
// to the signed 32-bit range and returned as its two's-complement bits.
uint32_t RegistryNumber(const char* data);

// The five value lines of one [Registry] section, as written; each field
// holds its line's limit from the [Registry] layout.
struct RegistryItem {
    char root[LineCapacity(kLongLineLimit)];
    char key[LineCapacity(kValueLineLimit)];
    char type[LineCapacity(kLongLineLimit)];
    char name[LineCapacity(kValueLineLimit)];
    char data[LineCapacity(kLongLineLimit)];
};

// Reads the value lines after a [Registry] head.
void ReadRegistryItem(SetupScript& script, RegistryItem* item);
// The [Registry] section read by its layout, as a RegistryItem.
void RegistryItemFrom(const SectionValues& values, RegistryItem* item);

}  // namespace script
