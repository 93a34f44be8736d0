#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace cvn {

// The desktop software keeps names and folders in 32-byte fields: 31 characters
// and a terminating zero. Longer names found in users.dat are cut to this length.
inline constexpr size_t kHotSyncNameLength = 31;
// The user count is a single byte in users.dat.
inline constexpr size_t kMaxHotSyncUsers = 255;

struct THotSyncUser {
    uint16_t userId = 0;
    std::string name;   // at most kHotSyncNameLength characters
    std::string folder; // at most kHotSyncNameLength characters, relative to the desktop data folder
};

struct THotSyncUsersFile {
    std::vector<THotSyncUser> users;
    // The names as stored, before cutting: the current user is matched against these
    // so that a long LastUserName still finds its user.
    std::vector<std::string> fullNames;
    // False when the file ended before the count of users it announces had been read;
    // the users read completely up to that point are kept.
    bool complete = true;
};

// Parses the Palm desktop's users.dat. The records are found by the same scan the
// desktop software's readers use (see the .cpp); nothing is read past the end of
// `data`, and a record that is cut short is dropped.
THotSyncUsersFile ParseUsersDat(std::span<const uint8_t> data);

// Index of the user whose whole stored name equals `name` without regard to ASCII
// case, the last one when several match; 0 when none does.
int FindCurrentHotSyncUser(const THotSyncUsersFile& file, const std::string& name);

} // namespace cvn
