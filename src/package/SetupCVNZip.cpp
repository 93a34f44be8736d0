#include "SetupCVNZip.h"

#include "core/ByteReader.h"
#include "core/NumberText.h"
#include "package/SetupCVNZipFormat.h"

#include <bzlib.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>

namespace cvn {

using namespace cvnzip;

namespace {

const char kCannotRead[] = "Setup cannot read the archive";
const char kBadMagic[] = "Invalid Corvane zip file type.";

// A compressed 64 KiB block never exceeds about 66,800 bytes, so a sound block
// is read in one piece; a longer one is fed to the decompressor in pieces.
constexpr size_t kPackedChunk = 68 * 1024;

// The decompression buffer grows for a block that holds more than it should, but
// only this far: a block that expands beyond it is damaged, not a reason to take
// ever more memory.
constexpr size_t kMaxBlockData = 1024 * 1024;

// A handler that neither supplies the volume nor gives up would be asked forever.
// Every real attempt is a user's answer in the next-disk window, so after this many
// the pass ends as if the handler had given up.
constexpr int kMaxVolumeAttempts = 100;

std::string PathOf(InputStream& in) {
    auto* file = dynamic_cast<FileInputStream*>(&in);
    return file ? file->Path() : std::string();
}

int32_t ClampPosition(double value, int32_t max) {
    if (!(value < double(max))) return max; // also catches a NaN from a damaged factor
    if (value < double(INT32_MIN)) return INT32_MIN;
    return int32_t(value);
}

// Clears busy however the pass ends, exceptions included.
class PassScope {
public:
    explicit PassScope(bool& busy) : busy_(busy) { busy_ = true; }
    ~PassScope() { busy_ = false; }
    PassScope(const PassScope&) = delete;
    PassScope& operator=(const PassScope&) = delete;

private:
    bool& busy_;
};

} // namespace

EBZip2Error::EBZip2Error(int code)
    : Error("Corvane Zip Compression Error " + std::to_string(code)), code_(code) {}

std::string VolumeFileName(const std::string& path, int number) {
    // Appended rather than '"." + digits', on which GCC 12 reports a false overlap at -O3.
    std::string ext = ".";
    ext += ZeroPadded(uint32_t((number % 1000 + 1000) % 1000), 3);
    return ChangeFileExt(path, ext);
}

std::optional<std::string> ReadArchiveHeaderText(InputStream& in, uint64_t offset) {
    uint8_t field[4];
    if (!in.Seek(offset) || !in.ReadExact(field, 4)) return std::nullopt;
    const int32_t length = ByteReader(field).I32();
    if (length < 0 || uint64_t(length) > in.Size() - in.Position()) return std::nullopt;
    std::string text(size_t(length), '\0');
    if (!in.ReadExact(text.data(), text.size())) return std::nullopt;
    return text;
}

TSetupCVNZip::TSetupCVNZip() : files_(&ArchiveFiles::Default()) {}

TSetupCVNZip::~TSetupCVNZip() = default;

double TSetupCVNZip::Nearest(double x) {
    double down = std::floor(x);
    double frac = x - down;
    if (frac > 0.5) return down + 1;
    if (frac < 0.5) return down;
    return std::fmod(down, 2.0) == 0 ? down : down + 1;
}

int32_t TSetupCVNZip::PositionFor(uint64_t bytesDone) const {
    // Skipped blocks count 65,536 bytes each, so a skipped last block can push the
    // count past the total; the percentage stops at 100 rather than run beyond the
    // bar. An archive of empty members (total 0) is complete from the start.
    double percent = totalSize_ == 0 ? 100 : std::min(100.0, Nearest(double(bytesDone) * 100.0 / totalSize_));
    if (ProgressSpan == 0) return int32_t(percent);
    return ClampPosition(Nearest(double(ProgressSpan) * ProgressFactor / 100.0 * percent) + ProgressBase,
                         ProgressMax);
}

int32_t TSetupCVNZip::FinalPosition() const {
    if (ProgressSpan == 0) return 100;
    return ClampPosition(Nearest(double(ProgressSpan) * ProgressFactor) + ProgressBase, ProgressMax);
}

bool TSetupCVNZip::ExtractFromFile(const std::string& path, const std::string& defaultTarget) {
    if (busy_) return false;
    std::unique_ptr<InputStream> file = files_->OpenVolume(path);
    if (!file) throw ECVNZipError(std::string(kCannotRead) + ": " + path + " cannot be opened");
    return ExtractFromStream(*file, defaultTarget, path);
}

bool TSetupCVNZip::ExtractFromStream(InputStream& in, const std::string& defaultTarget,
                                     const std::string& sourcePath) {
    if (busy_) return false; // re-entered from the message pump
    PassScope scope(busy_);
    errorCode_ = kNoError;
    extractedCount_ = 0;
    continue_ = true;
    in_ = &in;
    volumeNumber_ = 1;
    volumePath_ = sourcePath.empty() ? PathOf(in) : sourcePath;
    preparedFolders_.clear(); // folders may have gone between passes
    packed_.resize(kPackedChunk);
    data_.resize(kBlockSize);
    data_.shrink_to_fit(); // a block that grew the buffer in an earlier pass gives it back

    try {
        ReadHeader();
        bytesDone_ = 0;
        ReadRecords(defaultTarget);
    } catch (...) {
        CloseMember();
        volume_.reset();
        in_ = nullptr;
        throw;
    }
    volume_.reset();
    in_ = nullptr;

    OnProgress(-2, FinalPosition(), continue_);
    return errorCode_ == kNoError && continue_;
}

void TSetupCVNZip::ReadHeader() {
    uint8_t field[4];
    auto i32 = [&] {
        if (!in_->ReadExact(field, 4)) throw ECVNZipError(kCannotRead);
        return ByteReader(field).I32();
    };
    int32_t textLength = i32();
    if (textLength < 0 || in_->Position() + uint64_t(textLength) > in_->Size() ||
        !in_->Seek(in_->Position() + uint64_t(textLength)))
        throw ECVNZipError(kCannotRead);
    totalSize_ = uint32_t(i32()); // unsigned: a sum past 2 GiB still reads sensibly
    memberCount_ = i32();
}

void TSetupCVNZip::ReadRecords(const std::string& defaultTarget) {
    while (continue_) {
        int32_t tag = ReadI32("record tag");
        currentMemberId_ = tag;
        if (tag == kTagVolumeSwitch) {
            SwitchVolume();
            continue;
        }
        // Any record but a switch means the member before it is complete.
        CompleteMember();
        if (tag == kTagEnd) break;
        if (tag == kTagMessage)
            ReadMessage();
        else if (tag >= 0)
            ReadMember(tag, defaultTarget);
        else
            Damaged("unknown record " + std::to_string(tag) + " at offset " +
                    std::to_string(in_->Position() - 4));
    }
    // Stopped or failed: a member cut short stays as it is, neither counted nor reported.
    CloseMember();
}

void TSetupCVNZip::ReadMessage() {
    int32_t length = ReadI32("message length");
    if (length < 0 || size_t(length) > kMaxMessageLength)
        Damaged("a message record of " + std::to_string(length) + " bytes at offset " +
                std::to_string(in_->Position() - 4));
    Need(uint64_t(length), "message text");
    std::string text(size_t(length), '\0');
    if (length > 0 && !in_->ReadExact(text.data(), text.size())) Need(UINT64_MAX, "message text");
    OnMessage(text);
}

void TSetupCVNZip::ReadMember(int32_t id, const std::string& defaultTarget) {
    lastMemberId_ = id;
    int32_t dosDateTime = ReadI32("member date and time");
    std::string target = defaultTarget;
    bool extract = true;
    int32_t owner = 0;
    OnRestoreFile(id, target, extract, dosDateTime, owner);
    currentTarget_ = target;
    ownerValue_ = owner;
    if (!continue_) return; // the handler ended the pass: no empty target is left behind

    std::unique_ptr<OutputFile> file;
    if (extract) file = CreateMemberTarget(id, target, extract);
    if (!extract) {
        ReadMemberData(false);
        return;
    }
    if (!file) {
        Fail(kWriteError);
        return;
    }
    member_.active = true;
    member_.dataComplete = false;
    member_.id = id;
    member_.dosDateTime = dosDateTime;
    member_.ownerValue = owner;
    member_.path = target;
    member_.file = std::move(file);
    member_.dataComplete = ReadMemberData(true);
}

// Every look at the disk costs under Wine (a missing name is searched for in its
// whole folder), so the usual member takes one: its folder is prepared once a pass,
// and the target is created where none is. Only when that fails is what is there
// removed and the folder prepared again (it may have gone since), before the one
// more try whose failure counts. False in `extract` skips the member: its folder
// cannot be made, or an existing target cannot be removed (which is reported).
std::unique_ptr<OutputFile> TSetupCVNZip::CreateMemberTarget(int32_t id, const std::string& target,
                                                             bool& extract) {
    const std::string folder = ExtractFileDir(target);
    if (!preparedFolders_.count(folder)) {
        if (!files_->PrepareFolder(folder)) {
            extract = false;
            return nullptr;
        }
        preparedFolders_.insert(folder);
    }
    if (std::unique_ptr<OutputFile> file = files_->CreateTarget(target)) return file;
    if (!files_->RemoveExisting(target)) {
        OnCannotReplace(id, target);
        extract = false;
        return nullptr;
    }
    if (!files_->PrepareFolder(folder)) {
        preparedFolders_.erase(folder);
        extract = false;
        return nullptr;
    }
    return files_->CreateTarget(target);
}

void TSetupCVNZip::CompleteMember() {
    if (!member_.active) return;
    if (member_.dataComplete && member_.file) {
        ++extractedCount_;
        OnFileRestored(member_.id, member_.path, *member_.file, member_.ownerValue);
        member_.file->SetDosDateTime(uint32_t(member_.dosDateTime));
    }
    CloseMember();
}

void TSetupCVNZip::CloseMember() {
    member_.file.reset();
    member_.active = false;
}

bool TSetupCVNZip::ReopenMember() {
    member_.file = files_->ReopenTarget(member_.path);
    if (member_.file) return true;
    CloseMember();
    Fail(kWriteError);
    return false;
}

void TSetupCVNZip::SwitchVolume() {
    int32_t number = ReadI32("volume number");
    // Volumes follow each other; a switch back to the current or an earlier volume
    // would read the same data again, without end.
    if (number <= volumeNumber_ || number > 0xFFFF)
        Damaged("a switch to volume " + std::to_string(number) + " in volume " +
                std::to_string(volumeNumber_) + " at offset " + std::to_string(in_->Position() - 4));
    volumeNumber_ = number;
    volume_.reset();
    in_ = nullptr;
    // The target is closed while the next volume is awaited, which may take a
    // user's while, and reopened exclusively at its end when its data goes on.
    bool appending = member_.active && member_.dataComplete;
    member_.file.reset();

    std::unique_ptr<InputStream> next = WaitForVolume(number);
    if (!next) {
        CloseMember();
        return;
    }
    volume_ = std::move(next);
    in_ = volume_.get();

    if (!NextIsMemberData()) {
        // A switch between members: the volume starts with records, and the
        // member before the switch completes when the next one is read.
        if (appending) ReopenMember();
        return;
    }
    currentMemberId_ = lastMemberId_;
    if (appending && !ReopenMember()) return;
    bool complete = ReadMemberData(appending);
    if (appending) member_.dataComplete = complete;
}

std::unique_ptr<InputStream> TSetupCVNZip::WaitForVolume(int number) {
    std::string ext = VolumeFileName("", number);
    // Without a handler nobody can bring the volume, so the file beside the
    // current one is tried once; when it is not there the pass ends as if a
    // handler had given up: continue cleared, result false, error code 0.
    if (!OnNeedVolume) {
        volumePath_ = ChangeFileExt(volumePath_, ext);
        std::unique_ptr<InputStream> s = files_->OpenVolume(volumePath_);
        if (!s) continue_ = false;
        return s;
    }
    for (int attempt = 0; attempt < kMaxVolumeAttempts; ++attempt) {
        OnNeedVolume(uint16_t(number), volumePath_, continue_);
        if (!continue_) return nullptr;
        volumePath_ = ChangeFileExt(volumePath_, ext);
        if (std::unique_ptr<InputStream> s = files_->OpenVolume(volumePath_)) return s;
    }
    continue_ = false;
    return nullptr;
}

bool TSetupCVNZip::NextIsMemberData() {
    uint64_t at = in_->Position();
    uint8_t magic[4];
    bool found = in_->ReadExact(magic, 4) && std::memcmp(magic, kMagic, 4) == 0;
    in_->Seek(at);
    return found;
}

bool TSetupCVNZip::ReadMemberData(bool writing) {
    uint8_t magic[4];
    Need(4, "member magic");
    if (!in_->ReadExact(magic, 4)) Need(UINT64_MAX, "member magic");
    if (std::memcmp(magic, kMagic, 4) != 0) throw ECVNZipError(kBadMagic);

    while (continue_) {
        int32_t b = ReadI32("block length");
        if (b == kEndOfData) return true;
        uint64_t length = b > 0 ? uint64_t(b) : uint64_t(-int64_t(b));
        if (!writing)
            SkipBlock(length);
        else if (b > 0)
            WriteCompressedBlock(uint32_t(b));
        else
            WriteStoredBlock(length);
        OnProcessMessages();
        OnProgress(currentMemberId_, PositionFor(bytesDone_), continue_);
    }
    return false;
}

void TSetupCVNZip::SkipBlock(uint64_t length) {
    Need(length, "block");
    in_->Seek(in_->Position() + length);
    bytesDone_ += kBlockSize;
}

void TSetupCVNZip::WriteStoredBlock(uint64_t length) {
    Need(length, "stored block");
    while (length > 0) {
        size_t n = size_t(std::min<uint64_t>(length, data_.size()));
        if (!in_->ReadExact(data_.data(), n)) Need(UINT64_MAX, "stored block");
        if (!member_.file->Write(data_.data(), n)) {
            Fail(kWriteError);
            return;
        }
        length -= n;
        bytesDone_ += n;
    }
}

void TSetupCVNZip::WriteCompressedBlock(uint32_t length) {
    Need(length, "compressed block");
    uint64_t end = in_->Position() + length;
    size_t produced = 0;
    bool ok;
    try {
        ok = Decompress(length, produced);
    } catch (const EBZip2Error&) {
        ok = false;
    }
    // Bytes after the end of the bzip2 stream belong to no one; the next block
    // starts where the length says.
    in_->Seek(end);
    if (!ok) {
        Fail(kDataError);
        OnError(kDataError);
        return;
    }
    if (produced > 0 && !member_.file->Write(data_.data(), produced)) {
        Fail(kWriteError);
        return;
    }
    bytesDone_ += produced;
}

// One complete bzip2 stream of `length` bytes into data_. False when the data is
// damaged (nothing of it is written then); EBZip2Error for faults of the library.
bool TSetupCVNZip::Decompress(uint32_t length, size_t& produced) {
    bz_stream s;
    std::memset(&s, 0, sizeof s);
    s.bzalloc = TBZip2Memory::Allocate;
    s.bzfree = TBZip2Memory::Release;
    s.opaque = &memory_;
    int rc = BZ2_bzDecompressInit(&s, 0, 0);
    if (rc != BZ_OK) throw EBZip2Error(rc);
    struct End {
        bz_stream& s;
        ~End() { BZ2_bzDecompressEnd(&s); }
    } end{s};

    // Growth step: the compressed length rounded up to a multiple of 256.
    const size_t step = (size_t(length) + 255) / 256 * 256;
    uint64_t unread = length;
    size_t have = 0;
    s.next_out = reinterpret_cast<char*>(data_.data());
    s.avail_out = unsigned(data_.size());
    for (;;) {
        if (s.avail_in == 0 && unread > 0) {
            size_t n = size_t(std::min<uint64_t>(unread, packed_.size()));
            if (!in_->ReadExact(packed_.data(), n)) Need(UINT64_MAX, "compressed block");
            unread -= n;
            s.next_in = reinterpret_cast<char*>(packed_.data());
            s.avail_in = unsigned(n);
        }
        rc = BZ2_bzDecompress(&s);
        have = data_.size() - s.avail_out;
        if (rc == BZ_STREAM_END) break;
        if (rc == BZ_DATA_ERROR || rc == BZ_DATA_ERROR_MAGIC) return false;
        if (rc != BZ_OK) throw EBZip2Error(rc);
        if (s.avail_out == 0) {
            if (data_.size() + step > kMaxBlockData) return false;
            data_.resize(data_.size() + step);
            s.next_out = reinterpret_cast<char*>(data_.data() + have);
            s.avail_out = unsigned(data_.size() - have);
        } else if (s.avail_in == 0 && unread == 0) {
            return false; // the stream ends before its end marker
        }
    }
    produced = have;
    return true;
}

void TSetupCVNZip::Fail(int32_t code) {
    errorCode_ = code;
    continue_ = false;
}

int32_t TSetupCVNZip::ReadI32(const char* what) {
    uint8_t field[4];
    Need(4, what);
    if (!in_->ReadExact(field, 4)) Need(UINT64_MAX, what);
    return ByteReader(field).I32();
}

void TSetupCVNZip::Need(uint64_t n, const char* what) {
    uint64_t at = in_->Position(), size = in_->Size();
    if (at <= size && n <= size - at) return;
    std::string where = volumePath_.empty() ? std::string("the archive") : volumePath_;
    Damaged(std::string(what) + " at offset " + std::to_string(at) + " runs past the end of " + where);
}

void TSetupCVNZip::Damaged(const std::string& problem) const {
    throw ECVNZipError(std::string(kCannotRead) + ": " + problem);
}

} // namespace cvn
