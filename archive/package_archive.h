// PackageArchive: reads and writes the package archive of a file.
//
// The installer opens its own executable read-only and extracts entries by
// name; pack mode opens a package writable, appends one file and closes it
// with Close, which writes a new directory and trailer and says whether that
// worked. A file that fails validation simply has no entries, and new entries
// go at its end.
#pragma once

#include "support/win32_values.h"

#include <cstdint>

#include "archive/byte_stream.h"
#include "archive/package_format.h"
#include "support/disk_file.h"
#include "support/name_index.h"
#include "support/ptr_array.h"

namespace archive {

class EntryLookAhead;

class PackageArchive {
  public:
    // Opens (creating a missing file, even for reading) and reads the directory.
    PackageArchive(const char* path, bool writable);
    // Closes the file and frees the entries, and writes nothing. Entries
    // appended without a Close are not part of the package: their data lies
    // over the old directory and trailer, so readers refuse the file (or, when
    // no byte was written, still find it as it was).
    ~PackageArchive();
    PackageArchive(const PackageArchive&) = delete;
    PackageArchive& operator=(const PackageArchive&) = delete;

    // The first entry, in directory order, whose name matches without regard
    // to case. out, when given, is zero-filled and then receives a copy.
    bool FindEntry(const char* name, ArchiveEntry* out = nullptr) const;
    // The index of the first entry after index after (-1: from the start),
    // in directory order, whose name matches without regard to case; -1
    // when there is none. Found through an index, not entry by entry.
    int32_t NextEntryNamed(const char* name, int32_t after) const {
        return names_.Next(entries_, name, after);
    }
    // Extracts every entry of that name in directory order over target, so the
    // last one added wins; true when any succeeded.
    bool Extract(const char* name, const char* target, bool report = true);
    // Extracts the entry at index: its data sum is checked, over the whole
    // of its data read piece by piece, before the target is opened; then
    // the data is read again and decoded piece by piece into the target.
    // A damaged entry fails silently and leaves no target behind; with report
    // set, a stream that will not decode or a target that cannot be written
    // shows the codec's box.
    bool ExtractEntry(int32_t index, const char* target, bool report = true);
    // Decodes the last entry of that name, checked as ExtractEntry checks it,
    // into destination: a new, empty file open for writing, which the caller
    // made and deletes when this fails. destination_path names it in
    // messages.
    bool ExtractInto(const char* name, support::DiskFile* destination, const char* destination_path,
                     bool report = true);
    // Compresses source and appends it, named after the file-name part of the
    // path, which is also written into name_buffer (kMaxPath bytes), in the
    // package's text encoding (see NameAsPackageText). Returns
    // whether the entry was added.
    bool AddFile(const char* source, char* name_buffer);
    // Appends an entry whose data is already a bzip2 stream. Returns false,
    // with a message, when the package is signed, the name is too long, the
    // package would outgrow its 32-bit offsets, or the data cannot be
    // written.
    bool AppendEntryData(const char* name, const uint8_t* data, uint32_t size,
                         uint32_t uncompressed_size);
    // The same for data that comes piece by piece from source, which must
    // give exactly size bytes: kSourceShort when it gives fewer (nothing is
    // shown; the caller knows what the source was). Refusals and failed
    // writes show their messages as AppendEntryData does.
    enum class AppendResult { kAdded, kRefused, kSourceShort, kWriteFailed };
    AppendResult AppendEntryFrom(const char* name, ByteSource* source, uint32_t size,
                                 uint32_t uncompressed_size);
    // Turns every entry name into program text (support/program_text.h):
    // the names are UTF-8 when the package's script says so, in the system's
    // ANSI code page otherwise. For the installer, which looks entries up by
    // names of its script and writes files under them; a package opened to
    // take new entries keeps its names as they are. A name whose program
    // text does not fit an entry is emptied, so that no name finds it.
    // Returns whether every name was kept.
    bool UseProgramTextNames(bool names_are_utf8);
    // The name of entry index, or the empty text past the last entry.
    void GetEntryName(uint32_t index, char* text) const;
    // Writes the bytes before the first entry's data to a new file; returns
    // whether all of them were written.
    bool CopyStub(const char* destination);
    // Writes the directory and trailer when the package was changed, then
    // closes the file. Returns whether the package on disk is now whole and
    // closed: false when a write, the checksum's read or the close failed,
    // and when the file never opened or is closed already. The entries stay
    // in memory; the file is not read again.
    bool Close();

    int32_t EntryCount() const { return entries_.Count(); }
    const ArchiveEntry& EntryAt(int32_t index) const {
        return *static_cast<const ArchiveEntry*>(entries_.GetAt(index));
    }
    uint32_t DirectoryOffset() const { return directory_offset_; }
    Validation ValidationResult() const { return validation_; }
    // Where the archive was looked for, and whether the file is signed; a
    // signed file takes no new entries.
    const PackageLayout& Layout() const { return layout_; }
    bool IsSigned() const { return layout_.is_signed; }
    bool IsOpen() const { return file_ != nullptr && file_->IsOpen(); }
    const char* Path() const { return path_; }
    // Extraction takes entries from look_ahead when it has them decoded
    // already; null ends that. Only the thread that extracts may use it.
    void UseLookAhead(EntryLookAhead* look_ahead) { look_ahead_ = look_ahead; }
    // The length of the stub: the file size lowered to the first data offset.
    uint32_t StubLength() const;

  private:
    static const char* EntryName(const void* entry) {
        return static_cast<const ArchiveEntry*>(entry)->name;
    }
    void ReadDirectory(const ArchiveTrailer& trailer);
    // Makes entry index's decoded bytes ready: *bytes gets them when the
    // look-ahead holds them (to be given back), otherwise the file stands at
    // the entry's data, whose sum has been checked. False when the data
    // cannot be vouched for.
    bool PrepareEntry(int32_t index, const uint8_t** bytes, uint32_t* size);
    // Returns whether every byte was written and the checksum could be read.
    bool WriteDirectoryAndTrailer();
    // The bytes one directory record takes: header, name and NUL.
    static uint64_t RecordSize(const ArchiveEntry& entry);
    void ReleaseEntries();
    bool RefuseSigned(const char* name) const;
    // Whether the package's setup.dat begins with the UTF-8 signature.
    bool ScriptIsUtf8();
    // Turns name (program text, kMaxPath bytes) into the package's text
    // encoding for a new entry; shows why not and returns false when it
    // cannot be written there, or the package's encoding is not known yet.
    bool NameAsPackageText(const char* source, char* name);
    // Whether an entry of that name and size may be added; shows why not.
    bool MayAppend(const char* name, uint32_t size) const;
    // Copies size bytes from source to the directory offset; false when the
    // source stops short or a write fails. *sum gets the data sum.
    AppendResult CopyEntryData(ByteSource* source, uint32_t size, uint32_t* sum);
    // Adds the directory record of data just written at the directory offset.
    bool RecordEntry(const char* name, uint32_t size, uint32_t sum, uint32_t uncompressed_size);
    // The data sum of the entry's data, read piece by piece; false when the
    // data cannot be read whole.
    bool SumEntryData(const ArchiveEntry& entry, uint32_t* sum);

    support::PtrArray entries_;
    support::NameIndex names_{&EntryName};
    support::DiskFile* file_ = nullptr;
    bool modified_ = false;
    uint32_t directory_offset_ = 0;
    uint64_t directory_size_ = 0;  // of the entries in memory, as written at close
    Validation validation_ = Validation::kNotOpen;
    PackageLayout layout_ = {};
    char path_[support::kMaxPath] = {};
    EntryLookAhead* look_ahead_ = nullptr;
};

}  // namespace archive
