#include "CVNZipWriter.h"

#include "package/SetupCVNZip.h"
#include "package/SetupCVNZipFormat.h"

#include <bzlib.h>

#include <algorithm>
#include <climits>
#include <cstring>

namespace cvn {

using namespace cvnzip;

namespace {

// Bytes that must stay free in a volume: inside a member's data, room to end it
// (-4) and to switch to the next volume; between records, room to start a member
// as well, so that every switch can be made inside a member's data.
constexpr uint64_t kSwitchTail = 4 + 8;
constexpr uint64_t kMemberHead = 4 + 4 + sizeof kMagic;
constexpr uint64_t kBetweenReserve = kMemberHead + kSwitchTail;

constexpr size_t kMaxHeaderText = 4096;
constexpr int kMaxVolumes = 999; // volume 1000 would be named like volume 1

// Member data handed over as bytes, read without copying them first.
class SpanInputStream final : public InputStream {
public:
    explicit SpanInputStream(std::span<const uint8_t> data) : data_(data) {}
    size_t Read(void* buf, size_t n) override {
        n = std::min(n, data_.size() - pos_);
        if (n) std::memcpy(buf, data_.data() + pos_, n);
        pos_ += n;
        return n;
    }
    bool Seek(uint64_t pos) override {
        if (pos > data_.size()) return false;
        pos_ = size_t(pos);
        return true;
    }
    uint64_t Position() const override { return pos_; }
    uint64_t Size() const override { return data_.size(); }

private:
    std::span<const uint8_t> data_;
    size_t pos_ = 0;
};

} // namespace

std::vector<uint8_t> CompressBZip2Stream(std::span<const uint8_t> data) {
    // Room for the worst case libbzip2 documents: 1% more plus 600 bytes.
    std::vector<uint8_t> out(data.size() + data.size() / 100 + 601);
    unsigned int outLength = unsigned(out.size());
    // The smallest block size (100k) holds a whole 64 KiB block and makes the
    // reader's decompressor allocate a ninth of what the default would.
    int rc = BZ2_bzBuffToBuffCompress(reinterpret_cast<char*>(out.data()), &outLength,
                                      const_cast<char*>(reinterpret_cast<const char*>(data.data())),
                                      unsigned(data.size()), 1, 0, 0);
    if (rc != BZ_OK) return {};
    out.resize(outLength);
    return out;
}

TCVNZipWriter::~TCVNZipWriter() = default;

bool TCVNZipWriter::SetError(const std::string& text) {
    if (error_.empty()) error_ = text;
    return false;
}

bool TCVNZipWriter::Usable() {
    if (!error_.empty()) return false;
    if (!started_) return SetError("the archive has not been started");
    if (finished_) return SetError("the archive is already finished");
    return true;
}

bool TCVNZipWriter::CreateInMemory(std::string_view headerText) {
    if (started_) return SetError("the archive has already been started");
    return Start(headerText);
}

bool TCVNZipWriter::CreateVolumes(const std::string& setupPath, uint64_t volumeSize,
                                  std::string_view headerText) {
    if (started_) return SetError("the archive has already been started");
    if (volumeSize < kMinVolumeSize)
        return SetError("a volume must hold at least " + std::to_string(kMinVolumeSize) + " bytes");
    setupPath_ = setupPath;
    volumeSize_ = volumeSize;
    OpenVolume();
    return error_.empty() && Start(headerText);
}

bool TCVNZipWriter::Start(std::string_view headerText) {
    if (headerText.size() > kMaxHeaderText) return SetError("the header text is too long");
    started_ = true;
    ByteWriter w;
    w.Counted(headerText);
    totalsOffset_ = w.Size();
    w.I32(0); // total uncompressed size and member count, filled in by Finish
    w.I32(0);
    w.I32(kTagMessage); // the empty message every archive carries after its header
    w.I32(0);
    Emit(w);
    return error_.empty();
}

void TCVNZipWriter::OpenVolume() {
    if (volume_.is_open()) volume_.close();
    if (int(volumePaths_.size()) >= kMaxVolumes) {
        SetError("the archive needs more than " + std::to_string(kMaxVolumes) + " volumes");
        return;
    }
    std::string path = VolumeFileName(setupPath_, int(volumePaths_.size()) + 1);
    volume_.open(path, std::ios::binary | std::ios::trunc | std::ios::out);
    if (!volume_) {
        SetError("cannot create the volume file " + path);
        return;
    }
    volumePaths_.push_back(path);
    position_ = 0;
}

void TCVNZipWriter::Emit(std::span<const uint8_t> bytes) {
    if (!error_.empty()) return;
    position_ += bytes.size();
    if (volumeSize_ == 0) {
        memory_.Bytes(bytes);
        return;
    }
    volume_.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!volume_) SetError("cannot write the volume file " + volumePaths_.back());
}

void TCVNZipWriter::SwitchInsideMember() {
    ByteWriter w;
    w.I32(kEndOfData);
    w.I32(kTagVolumeSwitch);
    w.I32(int32_t(volumePaths_.size()) + 1);
    Emit(w);
    OpenVolume();
    Emit(std::span<const uint8_t>(kMagic));
}

// Only when a record does not fit and no member's data is open to carry the
// switch; the reader then finds records, not a continuation, at the volume's start.
void TCVNZipWriter::SwitchBetweenRecords() {
    ByteWriter w;
    w.I32(kTagVolumeSwitch);
    w.I32(int32_t(volumePaths_.size()) + 1);
    Emit(w);
    OpenVolume();
}

// Ends the open member's data so that `needAfter` more bytes fit in the volume; when
// they would not, the data goes on (empty) in the next volume and ends there.
void TCVNZipWriter::CloseMemberData(uint64_t needAfter) {
    if (!memberOpen_) return;
    if (!Room(4 + needAfter)) SwitchInsideMember();
    ByteWriter w;
    w.I32(kEndOfData);
    Emit(w);
    memberOpen_ = false;
}

bool TCVNZipWriter::AddMessage(std::string_view text) {
    if (!Usable()) return false;
    if (text.size() > kMaxMessageLength) return SetError("a message record holds at most 65,536 bytes");
    uint64_t need = 8 + text.size();
    if (memberOpen_)
        CloseMemberData(need + kBetweenReserve);
    else if (!Room(need + kBetweenReserve))
        SwitchBetweenRecords();
    ByteWriter w;
    w.I32(kTagMessage);
    w.Counted(text);
    Emit(w);
    return error_.empty();
}

bool TCVNZipWriter::AddBlock(std::span<const uint8_t> chunk) {
    std::vector<uint8_t> packed = CompressBZip2Stream(chunk);
    if (packed.empty()) return SetError("libbzip2 cannot compress a block");
    ByteWriter w;
    // Stored when compression does not help, except a block of exactly 4 bytes:
    // its stored length -4 would read as the end of the member's data.
    if (packed.size() >= chunk.size() && chunk.size() != size_t(-kEndOfData)) {
        w.I32(-int32_t(chunk.size()));
        w.Bytes(chunk);
    } else {
        w.I32(int32_t(packed.size()));
        w.Bytes(std::span<const uint8_t>(packed));
    }
    if (!Room(w.Size() + kSwitchTail)) SwitchInsideMember();
    Emit(w);
    return error_.empty();
}

bool TCVNZipWriter::AddMember(int32_t id, int32_t dosDateTime, std::span<const uint8_t> data) {
    SpanInputStream in(data);
    return AddMember(id, dosDateTime, in);
}

bool TCVNZipWriter::AddMember(int32_t id, int32_t dosDateTime, InputStream& data) {
    if (!Usable()) return false;
    if (id < 0) return SetError("member ids are 0 or more, not " + std::to_string(id));
    CloseMemberData(kBetweenReserve);
    ByteWriter w;
    w.I32(id);
    w.I32(dosDateTime);
    w.Bytes(std::span<const uint8_t>(kMagic));
    Emit(w);
    memberOpen_ = true;

    std::vector<uint8_t> chunk(kBlockSize);
    for (;;) {
        size_t n = data.Read(chunk.data(), chunk.size());
        if (n == 0) break;
        totalSize_ += n;
        if (totalSize_ > uint64_t(INT32_MAX)) return SetError("the archive holds more than 2 GiB of data");
        if (!AddBlock(std::span<const uint8_t>(chunk.data(), n))) return false;
        if (n < chunk.size()) break;
    }
    ++memberCount_;
    return error_.empty();
}

bool TCVNZipWriter::Finish() {
    if (!Usable()) return false;
    CloseMemberData(4);
    ByteWriter end;
    end.I32(kTagEnd);
    Emit(end);
    finished_ = true;
    if (!error_.empty()) return false;

    if (volumeSize_ == 0) {
        memory_.PatchI32(totalsOffset_, int32_t(totalSize_));
        memory_.PatchI32(totalsOffset_ + 4, memberCount_);
        return true;
    }
    volume_.close();
    if (!volume_) return SetError("cannot write the volume file " + volumePaths_.back());
    ByteWriter totals;
    totals.I32(int32_t(totalSize_));
    totals.I32(memberCount_);
    std::fstream first(volumePaths_.front(), std::ios::binary | std::ios::in | std::ios::out);
    first.seekp(std::streamoff(totalsOffset_));
    first.write(reinterpret_cast<const char*>(totals.Data().data()), std::streamsize(totals.Size()));
    first.close();
    if (!first) return SetError("cannot write the header into " + volumePaths_.front());
    return true;
}

} // namespace cvn
