#pragma once

#include "core/ByteWriter.h"
#include "core/Stream.h"

#include <cstdint>
#include <fstream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace cvn {

// One complete bzip2 stream holding `data`; empty when libbzip2 fails.
std::vector<uint8_t> CompressBZip2Stream(std::span<const uint8_t> data);

// Writes a cVNZ archive (the authoring side of TSetupCVNZip): the header, the
// empty message record after it, members split into blocks of 65,536 bytes each
// compressed as one bzip2 stream (stored when that is not smaller), message records
// where asked, and the end record. The archive is built in memory (the main and
// component archives inside a package) or spread over volume files of at most a
// given size. Failures are reported by result; Error() says what went wrong, and
// every later call fails too.
class TCVNZipWriter {
public:
    static constexpr const char* kDefaultHeaderText = "Corvane 2002";
    // The smallest volume that holds a whole block of a continued member.
    static constexpr uint64_t kMinVolumeSize = 68 * 1024;

    TCVNZipWriter() = default;
    ~TCVNZipWriter();
    TCVNZipWriter(const TCVNZipWriter&) = delete;
    TCVNZipWriter& operator=(const TCVNZipWriter&) = delete;

    // Starts an archive in memory; TakeData() gives it after Finish().
    bool CreateInMemory(std::string_view headerText = kDefaultHeaderText);
    // Starts an archive in volume files named after `setupPath` with the extensions
    // .001, .002, ... (at most 999 volumes), each at most `volumeSize` bytes.
    bool CreateVolumes(const std::string& setupPath, uint64_t volumeSize,
                       std::string_view headerText = kDefaultHeaderText);

    bool AddMessage(std::string_view text);
    // A member with its id (0 or more), its MS-DOS date and time and its data.
    bool AddMember(int32_t id, int32_t dosDateTime, std::span<const uint8_t> data);
    // The same with the data read from the stream's position to its end.
    bool AddMember(int32_t id, int32_t dosDateTime, InputStream& data);
    // Writes the end record and the totals into the header.
    bool Finish();

    std::vector<uint8_t> TakeData() { return memory_.Take(); }
    const std::vector<std::string>& VolumePaths() const { return volumePaths_; }
    const std::string& Error() const { return error_; }

private:
    bool Start(std::string_view headerText);
    bool AddBlock(std::span<const uint8_t> chunk);
    void CloseMemberData(uint64_t needAfter);
    void SwitchInsideMember();
    void SwitchBetweenRecords();
    bool Room(uint64_t n) const { return volumeSize_ == 0 || position_ + n <= volumeSize_; }
    void Emit(std::span<const uint8_t> bytes);
    void Emit(const ByteWriter& w) { Emit(std::span<const uint8_t>(w.Data())); }
    void OpenVolume();
    bool Usable();
    bool SetError(const std::string& text);

    bool started_ = false;
    bool finished_ = false;
    bool memberOpen_ = false; // the current member's data is not yet ended by -4
    std::string error_;

    ByteWriter memory_;       // the whole archive when built in memory
    std::string setupPath_;   // volume files are named after it
    uint64_t volumeSize_ = 0; // 0: one archive without a size limit
    std::vector<std::string> volumePaths_;
    std::ofstream volume_;
    uint64_t position_ = 0; // bytes in the current volume
    size_t totalsOffset_ = 0;
    uint64_t totalSize_ = 0;
    int32_t memberCount_ = 0;
};

} // namespace cvn
