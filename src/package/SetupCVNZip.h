#pragma once

#include "core/Error.h"
#include "core/Event.h"
#include "core/FileSystem.h"
#include "core/Stream.h"
#include "package/BZip2Memory.h"
#include "package/SetupCVNZipFiles.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace cvn {

// The archive cannot be read: the header is missing, a member's magic is wrong,
// or the data ends early or contradicts itself. The text is meant for the user.
class ECVNZipError : public Error {
public:
    using Error::Error;
};

// libbzip2 reported a fault of its own (not of the data), with its code. The
// reader catches it and treats the block as one that cannot be decompressed.
class EBZip2Error : public Error {
public:
    explicit EBZip2Error(int code);
    int Code() const { return code_; }

private:
    int code_;
};

// The file holding volume `number` of an archive spread over files named after
// `path`: its extension replaced by "." and the last three digits of the number
// ("setup.exe", 2 -> "setup.002"; 1002 -> "setup.002" as well).
std::string VolumeFileName(const std::string& path, int number);

// The header text of the archive starting at `offset` of `in`; none when it cannot be
// read (an extraction then says why).
std::optional<std::string> ReadArchiveHeaderText(InputStream& in, uint64_t offset);

// Reads a cVNZ archive in one pass from its header to its end record, writing
// each member to the target its owner chooses or passing over it. Data is handled
// one block at a time; nothing held grows with the size of the archive.
class TSetupCVNZip {
public:
    enum : int32_t { kNoError = 0, kWriteError = 1, kDataError = 2 };

    TSetupCVNZip();
    ~TSetupCVNZip();
    TSetupCVNZip(const TSetupCVNZip&) = delete;
    TSetupCVNZip& operator=(const TSetupCVNZip&) = delete;

    // One pass over the archive starting at the stream's current position. True
    // when it reached the end record without an error or a stop request. Throws
    // ECVNZipError when the archive is unreadable or damaged. `sourcePath` names
    // the file the stream reads (volume files are named after it); a file stream
    // names itself. Returns false at once when called while a pass runs.
    bool ExtractFromStream(InputStream& in, const std::string& defaultTarget,
                           const std::string& sourcePath = {});
    // Opens the file (read, writing denied to others), runs a pass and closes it.
    bool ExtractFromFile(const std::string& path, const std::string& defaultTarget);

    // Ends the running pass after the current block.
    void Stop() { continue_ = false; }
    bool IsBusy() const { return busy_; }

    // The progress range, set by the owner before a pass: positions run from Base
    // over Span x Factor / 100 points, never beyond Max. Span 0 gives plain percentages.
    int32_t ProgressBase = 0;
    int32_t ProgressMax = 100;
    int32_t ProgressSpan = 0;
    double ProgressFactor = 0;

    // Free for the owner (start-up keeps its pass number here).
    uint8_t PassTag = 0;

    int32_t ErrorCode() const { return errorCode_; }
    int32_t ExtractedCount() const { return extractedCount_; }
    uint32_t TotalSize() const { return totalSize_; }
    int32_t MemberCount() const { return memberCount_; }
    uint64_t BytesDone() const { return bytesDone_; }
    int32_t CurrentMemberId() const { return currentMemberId_; }
    const std::string& CurrentTargetPath() const { return currentTarget_; }
    const std::string& CurrentVolumePath() const { return volumePath_; }
    int32_t OwnerValue() const { return ownerValue_; }

    // The progress position for a number of bytes done under the current range.
    int32_t PositionFor(uint64_t bytesDone) const;
    // The position of the final progress call of a pass.
    int32_t FinalPosition() const;
    // x rounded to the nearest whole number, a half going to the even neighbour.
    static double Nearest(double x);

    // Where member data goes; null restores the real file system. Not owned.
    void SetFiles(ArchiveFiles* files) { files_ = files ? files : &ArchiveFiles::Default(); }

    // Events; an unbound event is skipped.
    // (member id, -2 for the final call; position; var continue) after every block.
    Event<int32_t, int32_t, bool&> OnProgress;
    // (volume number; var volume path; var continue) until the volume file can be
    // opened or continue is cleared.
    Event<uint16_t, std::string&, bool&> OnNeedVolume;
    // (member id; var target path; var extract; MS-DOS date and time; var owner value)
    // before each member.
    Event<int32_t, std::string&, bool&, int32_t, int32_t&> OnRestoreFile;
    // (member id; target path; the open output file; owner value) once a member's
    // data is complete, before its file is closed.
    Event<int32_t, const std::string&, OutputFile&, int32_t> OnFileRestored;
    // (member id; target path) when an existing target cannot be deleted.
    Event<int32_t, const std::string&> OnCannotReplace;
    // (error code) when a block cannot be decompressed.
    Event<int32_t> OnError;
    // (text) for each message record.
    Event<const std::string&> OnMessage;
    // After every block, before OnProgress: the user interface handles pending
    // window messages here, so a Cancel button can call Stop during a pass.
    Event<> OnProcessMessages;

private:
    // The member whose target file is being written. Its completion (the count,
    // OnFileRestored, the date) waits until the record after its data shows that
    // no continuation follows in the next volume.
    struct OpenMember {
        bool active = false;
        bool dataComplete = false;
        int32_t id = 0;
        int32_t dosDateTime = 0;
        int32_t ownerValue = 0;
        std::string path;
        std::unique_ptr<OutputFile> file;
    };

    void ReadHeader();
    void ReadRecords(const std::string& defaultTarget);
    void ReadMember(int32_t id, const std::string& defaultTarget);
    std::unique_ptr<OutputFile> CreateMemberTarget(int32_t id, const std::string& target, bool& extract);
    void ReadMessage();
    void SwitchVolume();
    std::unique_ptr<InputStream> WaitForVolume(int number);
    bool NextIsMemberData();
    bool ReopenMember();
    void CompleteMember();
    void CloseMember();
    bool ReadMemberData(bool writing);
    void WriteCompressedBlock(uint32_t length);
    void WriteStoredBlock(uint64_t length);
    void SkipBlock(uint64_t length);
    bool Decompress(uint32_t length, size_t& produced);
    void Fail(int32_t code);

    int32_t ReadI32(const char* what);
    void Need(uint64_t n, const char* what);
    [[noreturn]] void Damaged(const std::string& problem) const;

    ArchiveFiles* files_;
    InputStream* in_ = nullptr;
    std::unique_ptr<InputStream> volume_; // a volume file this reader opened
    std::vector<uint8_t> packed_;         // compressed bytes, read in chunks
    std::vector<uint8_t> data_;           // one decompressed block
    TBZip2Memory memory_;                 // libbzip2's, kept from block to block
    OpenMember member_;
    std::set<std::string> preparedFolders_; // the targets' folders made or found this pass

    int32_t errorCode_ = kNoError;
    int32_t extractedCount_ = 0;
    uint32_t totalSize_ = 0;
    int32_t memberCount_ = 0;
    uint64_t bytesDone_ = 0;
    int32_t currentMemberId_ = 0;
    int32_t lastMemberId_ = 0;
    int32_t ownerValue_ = 0;
    int32_t volumeNumber_ = 1; // the archive's start counts as volume 1
    std::string currentTarget_;
    std::string volumePath_;
    bool continue_ = false;
    bool busy_ = false;
};

} // namespace cvn
