#include "install/HotSyncUsers.h"

#include "script/VariableList.h"

namespace cvn {

namespace {

// The first user record begins after the count byte and twelve header bytes this
// program has no use for.
constexpr size_t kFirstRecordOffset = 13;

// Sequential reads that fail instead of running past the end of the file.
class UsersDatCursor {
public:
    explicit UsersDatCursor(std::span<const uint8_t> data) : data_(data) {}

    bool Byte(uint8_t& v) {
        if (pos_ >= data_.size()) return false;
        v = data_[pos_++];
        return true;
    }
    bool Skip(size_t n) {
        if (n > data_.size() - pos_) return false;
        pos_ += n;
        return true;
    }
    // A byte-counted text.
    bool Text(std::string& out) {
        uint8_t len;
        if (!Byte(len) || len > data_.size() - pos_) return false;
        out.assign(reinterpret_cast<const char*>(data_.data() + pos_), len);
        pos_ += len;
        return true;
    }
    void Seek(size_t pos) { pos_ = pos <= data_.size() ? pos : data_.size(); }

private:
    std::span<const uint8_t> data_;
    size_t pos_ = 0;
};

bool ReadRecord(UsersDatCursor& in, THotSyncUser& user, std::string& fullName) {
    uint8_t lo, hi;
    std::string folder;
    if (!in.Byte(lo) || !in.Byte(hi) || !in.Skip(2) || !in.Text(fullName) || !in.Text(folder) || !in.Skip(1))
        return false;
    user.userId = uint16_t(lo | hi << 8);
    user.name = fullName.substr(0, kHotSyncNameLength);
    user.folder = folder.substr(0, kHotSyncNameLength);
    return true;
}

// Records differ in length after the fixed part; the next one starts after the
// marker bytes 0x01 0x80. Any other byte after 0x01 does not end the scan.
bool SkipToNextRecord(UsersDatCursor& in) {
    uint8_t b;
    while (in.Byte(b)) {
        if (b != 0x01) continue;
        if (!in.Byte(b)) return false;
        if (b == 0x80) return true;
    }
    return false;
}

} // namespace

THotSyncUsersFile ParseUsersDat(std::span<const uint8_t> data) {
    THotSyncUsersFile file;
    UsersDatCursor in(data);
    uint8_t count = 0;
    if (!in.Byte(count)) {
        file.complete = data.empty();
        return file;
    }
    in.Seek(kFirstRecordOffset);
    for (unsigned i = 0; i < count; ++i) {
        THotSyncUser user;
        std::string fullName;
        if (!ReadRecord(in, user, fullName)) {
            file.complete = false;
            break;
        }
        file.users.push_back(std::move(user));
        file.fullNames.push_back(std::move(fullName));
        if (i + 1 < count && !SkipToNextRecord(in)) {
            file.complete = false;
            break;
        }
    }
    return file;
}

int FindCurrentHotSyncUser(const THotSyncUsersFile& file, const std::string& name) {
    int current = 0;
    for (size_t i = 0; i < file.fullNames.size(); ++i)
        if (EqualsNoCase(file.fullNames[i], name)) current = int(i);
    return current;
}

} // namespace cvn
