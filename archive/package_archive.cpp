// PackageArchive: open and directory reading, lookup, extraction, addition,
// stub copy and the write-back at Close.
#include "archive/package_archive.h"

#include <cstdlib>
#include <cstring>

#include "archive/disk_file_stream.h"
#include "archive/entry_codec.h"
#include "archive/entry_look_ahead.h"
#include "support/message_box.h"
#include "support/path_text.h"
#include "support/program_text.h"
#include "support/temp_path.h"
#include "support/text.h"
#include "support/text_format.h"
#include "support/win32_values.h"

namespace archive {

using support::DiskFile;

namespace {

// Offsets are sought as signed 32-bit values, so nothing may be written at or
// beyond 2 GiB.
constexpr uint64_t kLargestPackage = 0x7FFFFFFFu;

void ShowArchiveError(const char* format, const char* first, const char* second) {
    char text[1000];
    support::FormatText(text, sizeof text, format, first, second);
    support::ShowMessage(text, "Install", support::kMbTopmost | support::kMbIconError);
}

// Hands out a buffer already in memory, piece by piece.
class MemorySource final : public ByteSource {
  public:
    MemorySource(const uint8_t* data, uint32_t length) : data_(data), remaining_(length) {}
    uint32_t Read(uint8_t* buffer, uint32_t capacity) override {
        uint32_t count = remaining_ < capacity ? remaining_ : capacity;
        std::memcpy(buffer, data_, count);
        data_ += count;
        remaining_ -= count;
        return count;
    }

  private:
    const uint8_t* data_;
    uint32_t remaining_;
};

uint32_t SumBytes(const uint8_t* data, uint32_t size) {
    uint32_t sum = 0;
    for (uint32_t i = 0; i < size; ++i) {
        sum += data[i];
    }
    return sum;
}

}  // namespace

PackageArchive::PackageArchive(const char* path, bool writable) {
    // A missing file is made even for reading: it then reads as empty.
    DiskFile::OpenFlags flags = DiskFile::kRead | DiskFile::kCreate | DiskFile::kReportErrors;
    support::CopyText(path_, sizeof path_, path);
    file_ = new DiskFile(path, writable ? flags | DiskFile::kWrite : flags);
    directory_offset_ = static_cast<uint32_t>(file_->Size());
    ArchiveTrailer trailer;
    validation_ = ValidatePackage(*file_, &trailer, &layout_);
    if (validation_ == Validation::kValid) {
        ReadDirectory(trailer);
    }
}

PackageArchive::~PackageArchive() {
    delete file_;
    ReleaseEntries();
}

bool PackageArchive::Close() {
    if (!IsOpen()) {
        return false;
    }
    bool written = !modified_ || WriteDirectoryAndTrailer();
    modified_ = false;
    bool closed = file_->Close();
    return written && closed;
}

void PackageArchive::ReadDirectory(const ArchiveTrailer& trailer) {
    directory_offset_ = trailer.directory_offset;
    file_->Seek(static_cast<int32_t>(directory_offset_));
    // The count is only claimed by the file: every record must arrive whole,
    // and the first one that does not ends the directory, since nothing can
    // follow a short read.
    for (uint32_t i = 0; i < trailer.entry_count; ++i) {
        uint8_t header[kEntryHeaderSize];
        if (file_->Read(header, kEntryHeaderSize) != kEntryHeaderSize) {
            break;
        }
        auto* entry = static_cast<ArchiveEntry*>(std::calloc(1, sizeof(ArchiveEntry)));
        if (entry == nullptr) {
            break;
        }
        DecodeEntryHeader(header, entry);
        if (file_->Read(entry->name, entry->name_length) != entry->name_length ||
            !entries_.Append(entry)) {
            std::free(entry);
            break;
        }
        directory_size_ += RecordSize(*entry);
    }
    names_.Rebuild(entries_);
}

bool PackageArchive::UseProgramTextNames(bool names_are_utf8) {
    bool every_name_kept = true;
    char converted[support::kMaxPath];
    for (int32_t i = 0; i < entries_.Count(); ++i) {
        auto* entry = static_cast<ArchiveEntry*>(entries_.GetAt(i));
        if (!support::ToProgramText(entry->name, names_are_utf8, converted, sizeof converted) ||
            !support::CopyText(entry->name, converted)) {
            entry->name[0] = '\0';
            every_name_kept = false;
        }
    }
    names_.Rebuild(entries_);
    return every_name_kept;
}

void PackageArchive::ReleaseEntries() {
    for (int32_t i = 0; i < entries_.Count(); ++i) {
        std::free(entries_.GetAt(i));
    }
    entries_.Clear();
    directory_size_ = 0;
}

bool PackageArchive::FindEntry(const char* name, ArchiveEntry* out) const {
    if (out != nullptr) {
        std::memset(out, 0, sizeof *out);
    }
    int32_t index = NextEntryNamed(name, -1);
    if (index >= 0 && out != nullptr) {
        *out = EntryAt(index);
    }
    return index >= 0;
}

bool PackageArchive::Extract(const char* name, const char* target, bool report) {
    bool result = false;
    for (int32_t i = NextEntryNamed(name, -1); i >= 0; i = NextEntryNamed(name, i)) {
        if (ExtractEntry(i, target, report)) {
            result = true;
        }
    }
    return result;
}

bool PackageArchive::SumEntryData(const ArchiveEntry& entry, uint32_t* sum) {
    auto* piece = static_cast<uint8_t*>(std::malloc(kStreamPieceSize));
    if (piece == nullptr) {
        return false;
    }
    file_->Seek(static_cast<int32_t>(entry.data_offset));
    DiskFileSource data(file_, entry.compressed_size);
    while (data.Read(piece, kStreamPieceSize) > 0) {
    }
    std::free(piece);
    *sum = data.Sum();
    return !data.Short();
}

bool PackageArchive::PrepareEntry(int32_t index, const uint8_t** bytes, uint32_t* size) {
    const ArchiveEntry& entry = EntryAt(index);
    *bytes = nullptr;
    // Data claimed beyond the directory cannot be ours; nothing is read or
    // decoded on such a claim.
    if (static_cast<uint64_t>(entry.data_offset) + entry.compressed_size > directory_offset_) {
        return false;
    }
    if (look_ahead_ != nullptr) {
        *bytes = look_ahead_->Take(index, size);
        if (*bytes != nullptr) {
            return true;
        }
    }
    // Two passes, so that memory does not grow with the entry and the
    // target is still never opened for damaged data: the sum first, then
    // the same bytes again (from the system's cache by now) into the
    // decoder, which sums them once more: bytes changed in between fail
    // rather than being installed unchecked.
    uint32_t sum = 0;
    if (!SumEntryData(entry, &sum) || sum != entry.data_sum) {
        return false;
    }
    file_->Seek(static_cast<int32_t>(entry.data_offset));
    return true;
}

bool PackageArchive::ExtractEntry(int32_t index, const char* target, bool report) {
    const uint8_t* bytes = nullptr;
    uint32_t size = 0;
    if (!PrepareEntry(index, &bytes, &size)) {
        return false;
    }
    if (bytes != nullptr) {
        bool written = WriteDecodedEntry(bytes, size, target, report);
        look_ahead_->GiveBack();
        return written;
    }
    const ArchiveEntry& entry = EntryAt(index);
    return DecompressFromFile(file_, path_, entry.compressed_size, target, report,
                              entry.uncompressed_size, &entry.data_sum);
}

bool PackageArchive::ExtractInto(const char* name, support::DiskFile* destination,
                                 const char* destination_path, bool report) {
    int32_t last = -1;
    for (int32_t i = NextEntryNamed(name, -1); i >= 0; i = NextEntryNamed(name, i)) {
        last = i;
    }
    const uint8_t* bytes = nullptr;
    uint32_t size = 0;
    if (last < 0 || !PrepareEntry(last, &bytes, &size)) {
        return false;
    }
    if (bytes != nullptr) {
        bool written = WriteDecodedEntryInto(bytes, size, destination, destination_path, report);
        look_ahead_->GiveBack();
        return written;
    }
    const ArchiveEntry& entry = EntryAt(last);
    return DecompressFromFileInto(file_, path_, entry.compressed_size, destination,
                                  destination_path, report, entry.uncompressed_size,
                                  &entry.data_sum);
}

uint64_t PackageArchive::RecordSize(const ArchiveEntry& entry) {
    return kEntryHeaderSize + std::strlen(entry.name) + 1;
}

// Anything written after a certificate table breaks the signature, and
// anything written in front of it would be outside what was signed: a
// signed file is finished.
bool PackageArchive::RefuseSigned(const char* name) const {
    if (!layout_.is_signed) {
        return false;
    }
    ShowArchiveError(
        "Cannot add '%s': '%s' is signed, and nothing can be added to a signed file. "
        "Add every file first, then sign.",
        name, path_);
    return true;
}

bool PackageArchive::MayAppend(const char* name, uint32_t size) const {
    if (RefuseSigned(name)) {
        return false;
    }
    if (std::strlen(name) > kMaxEntryNameLength) {
        ShowArchiveError("Cannot add '%s': entry names are limited to %s characters.", name, "254");
        return false;
    }
    // The directory's size is kept as entries come and go: adding it up here
    // made building a package of many entries quadratic in their number.
    uint64_t new_end = static_cast<uint64_t>(directory_offset_) + size + directory_size_ +
                       kEntryHeaderSize + std::strlen(name) + 1 + kTrailerSize;
    if (new_end > kLargestPackage) {
        ShowArchiveError("Cannot add '%s': the package would grow beyond %s.", name, "2 GB");
        return false;
    }
    return true;
}

PackageArchive::AppendResult PackageArchive::CopyEntryData(ByteSource* source, uint32_t size,
                                                           uint32_t* sum) {
    auto* piece = static_cast<uint8_t*>(std::malloc(kStreamPieceSize));
    if (piece == nullptr) {
        return AppendResult::kSourceShort;
    }
    file_->Seek(static_cast<int32_t>(directory_offset_));
    *sum = 0;
    uint32_t remaining = size;
    AppendResult result = AppendResult::kAdded;
    while (remaining > 0 && result == AppendResult::kAdded) {
        uint32_t want = remaining < kStreamPieceSize ? remaining : kStreamPieceSize;
        uint32_t got = source->Read(piece, want);
        if (got == 0 || got > want) {
            result = AppendResult::kSourceShort;
        } else if (!file_->Write(piece, got)) {
            result = AppendResult::kWriteFailed;
        } else {
            *sum += SumBytes(piece, got);
            remaining -= got;
        }
    }
    std::free(piece);
    return result;
}

bool PackageArchive::RecordEntry(const char* name, uint32_t size, uint32_t sum,
                                 uint32_t uncompressed_size) {
    auto* entry = static_cast<ArchiveEntry*>(std::calloc(1, sizeof(ArchiveEntry)));
    if (entry == nullptr || !entries_.Append(entry)) {
        std::free(entry);
        return false;
    }
    entry->data_offset = directory_offset_;
    entry->compressed_size = size;
    entry->uncompressed_size = uncompressed_size;
    entry->data_sum = sum;
    support::CopyText(entry->name, name);
    names_.AddLast(entries_);
    directory_size_ += RecordSize(*entry);
    directory_offset_ += size;
    return true;
}

PackageArchive::AppendResult PackageArchive::AppendEntryFrom(const char* name, ByteSource* source,
                                                             uint32_t size,
                                                             uint32_t uncompressed_size) {
    if (!MayAppend(name, size)) {
        return AppendResult::kRefused;
    }
    // From the first write on, the old directory may be partly overwritten:
    // whatever happens now, it is written again at close, so the package
    // stays readable, with this entry or without it.
    modified_ = true;
    uint32_t sum = 0;
    AppendResult result = CopyEntryData(source, size, &sum);
    if (result == AppendResult::kAdded && !RecordEntry(name, size, sum, uncompressed_size)) {
        result = AppendResult::kWriteFailed;
    }
    return result;
}

bool PackageArchive::AppendEntryData(const char* name, const uint8_t* data, uint32_t size,
                                     uint32_t uncompressed_size) {
    MemorySource source(data, size);
    return AppendEntryFrom(name, &source, size, uncompressed_size) == AppendResult::kAdded;
}

bool PackageArchive::ScriptIsUtf8() {
    support::TempPath script("Scr");
    DiskFile copy(script.Path(), DiskFile::kWrite | DiskFile::kRead);
    return copy.IsOpen() && ExtractInto("setup.dat", &copy, script.Path()) &&
           copy.SkipUtf8Signature();
}

bool PackageArchive::NameAsPackageText(const char* source, char* name) {
    bool plain_ascii = true;
    for (const char* letter = name; *letter != '\0'; ++letter) {
        plain_ascii = plain_ascii && static_cast<unsigned char>(*letter) < 0x80;
    }
    // Plain ASCII reads the same in either encoding.
    if (plain_ascii) {
        return true;
    }
    if (!FindEntry("setup.dat")) {
        ShowArchiveError(
            "Cannot add '%s': a name that is not plain ASCII is written in the "
            "package's text, which its setup.dat tells; pack %s first.",
            source, "setup.dat");
        return false;
    }
    char converted[support::kMaxPath];
    if (!support::FromProgramText(name, ScriptIsUtf8(), converted, sizeof converted)) {
        ShowArchiveError(
            "Cannot add '%s': its name has letters that this package's code page "
            "cannot hold; a package whose %s begins with the UTF-8 signature can.",
            source, "setup.dat");
        return false;
    }
    support::CopyText(name, support::kMaxPath, converted);
    return true;
}

bool PackageArchive::AddFile(const char* source, char* name_buffer) {
    support::FileNamePart(source, name_buffer);
    if (RefuseSigned(source) || !NameAsPackageText(source, name_buffer)) {
        return false;
    }
    if (std::strlen(name_buffer) > kMaxEntryNameLength) {
        ShowArchiveError("Cannot add '%s': entry names are limited to %s characters.", source,
                         "254");
        return false;
    }
    support::TempPath temp("Ext");
    uint32_t uncompressed_size = 0;
    if (!CompressFile(source, temp.Path(), true, &uncompressed_size)) {
        return false;
    }
    DiskFile compressed(temp.Path(), DiskFile::kRead);
    uint64_t size = compressed.Size();
    AppendResult result = AppendResult::kSourceShort;
    if (compressed.IsOpen() && size <= UINT32_MAX) {
        DiskFileSource data(&compressed, static_cast<uint32_t>(size));
        result =
            AppendEntryFrom(name_buffer, &data, static_cast<uint32_t>(size), uncompressed_size);
    }
    if (result == AppendResult::kSourceShort) {
        ShowArchiveError("Error whilst compressing '%s', unable to read from '%s'", source,
                         temp.Path());
    }
    return result == AppendResult::kAdded;
}

void PackageArchive::GetEntryName(uint32_t index, char* text) const {
    text[0] = '\0';
    if (index < static_cast<uint32_t>(entries_.Count())) {
        support::CopyText(text, support::kMaxPath, EntryAt(static_cast<int32_t>(index)).name);
    }
}

uint32_t PackageArchive::StubLength() const {
    uint32_t length = static_cast<uint32_t>(file_->Size());
    for (int32_t i = 0; i < entries_.Count(); ++i) {
        if (EntryAt(i).data_offset < length) {
            length = EntryAt(i).data_offset;
        }
    }
    return length;
}

bool PackageArchive::CopyStub(const char* destination) {
    uint32_t remaining = StubLength();
    file_->Seek(0);
    DiskFile copy(destination, DiskFile::kWrite | DiskFile::kCreateEmpty);
    if (!copy.IsOpen()) {
        return false;
    }
    // The stub is a few hundred kilobytes; small pieces would mean a thousand
    // writes for every uninstaller copied.
    uint8_t buffer[16384];
    while (remaining > 0) {
        uint32_t want = remaining < sizeof buffer ? remaining : sizeof buffer;
        // A short read or failed write ends the copy: going on could only
        // loop or write a stub with a hole in it.
        if (file_->Read(buffer, want) != want || !copy.Write(buffer, want)) {
            break;
        }
        remaining -= want;
    }
    return copy.Close() && remaining == 0;
}

// Stops at the first failed write: the trailer written again at the end of
// the file would otherwise land on the entry data, where it validates (the
// checksum does not cover it) and points at a directory that is not there.
bool PackageArchive::WriteDirectoryAndTrailer() {
    file_->Seek(static_cast<int32_t>(directory_offset_));
    for (int32_t i = 0; i < entries_.Count(); ++i) {
        auto* entry = static_cast<ArchiveEntry*>(entries_.GetAt(i));
        uint8_t header[kEntryHeaderSize];
        EncodeEntryHeader(*entry, header);
        entry->name_length = header[16];
        if (!file_->Write(header, kEntryHeaderSize) ||
            !file_->Write(entry->name, entry->name_length)) {
            return false;
        }
    }
    ArchiveTrailer trailer = {
        0,           0,           directory_offset_, static_cast<uint32_t>(entries_.Count()),
        kFirstMagic, kSecondMagic};
    uint8_t bytes[kTrailerSize];
    EncodeTrailer(trailer, bytes);
    trailer.trailer_checksum = ComputeTrailerChecksum(bytes);
    EncodeTrailer(trailer, bytes);
    if (!file_->Write(bytes, kTrailerSize)) {
        return false;
    }
    // 0 only when the file could not be read back.
    trailer.file_checksum = ComputeFileChecksum(*file_);
    if (trailer.file_checksum == 0) {
        return false;
    }
    EncodeTrailer(trailer, bytes);
    file_->Seek(static_cast<int32_t>(file_->Size() - kTrailerSize));
    return file_->Write(bytes, kTrailerSize);
}

}  // namespace archive
