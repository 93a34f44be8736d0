#include "install/HotSync.h"
#include "install/HotSyncUsers.h"

#include "core/ByteWriter.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

using namespace cvn;

namespace {

struct UserSpec {
    uint16_t id;
    std::string name;
    std::string folder;
    // Bytes between the fixed part and the end marker of the record; the desktop
    // software stores sync settings here.
    std::vector<uint8_t> filler = {0x00, 0x07, 0x01, 0x02, 0x33};
};

// users.dat as the desktop software writes it: count, header, then the records, each
// but the last followed by its variable part and the 0x01 0x80 marker.
std::vector<uint8_t> UsersDat(const std::vector<UserSpec>& users, int count = -1) {
    ByteWriter w;
    w.U8(uint8_t(count < 0 ? users.size() : size_t(count)));
    w.Bytes(std::string(12, '\xEE'));
    for (size_t i = 0; i < users.size(); ++i) {
        const auto& u = users[i];
        w.U16(u.id);
        w.U16(0x5A5A);
        w.U8(uint8_t(u.name.size()));
        w.Bytes(u.name);
        w.U8(uint8_t(u.folder.size()));
        w.Bytes(u.folder);
        w.U8(0);
        if (i + 1 < users.size()) {
            w.Bytes(std::span<const uint8_t>(u.filler));
            w.U8(0x01);
            w.U8(0x80);
        }
    }
    return w.Take();
}

const std::vector<UserSpec> kThreeUsers = {
    {1, "Alice Smith", "SmithA"},
    {2, "Bob Jones", "JonesB"},
    {258, "Carol", "Carol"},
};

class FakeEnvironment : public THotSyncEnvironment {
public:
    std::set<std::string> keys;
    std::map<std::pair<std::string, std::string>, std::string> values;
    std::map<std::string, std::vector<uint8_t>> files;

    bool UserKeyExists(const std::string& key) override { return keys.count(key) > 0; }
    bool ReadUserText(const std::string& key, const std::string& name, std::string& value) override {
        auto it = values.find({key, name});
        if (it == values.end()) return false;
        value = it->second;
        return true;
    }
    std::string WindowsDir() override { return "C:\\WINDOWS"; }
    bool ReadFile(const std::string& path, std::vector<uint8_t>& data) override {
        auto it = files.find(path);
        if (it == files.end()) return false;
        data = it->second;
        return true;
    }

    void InstallPalm(const std::string& base, const std::string& lastUser, std::vector<uint8_t> usersDat) {
        keys.insert(base);
        values[{base + "\\Pilot Desktop\\Preferences", "LastUserName"}] = lastUser;
        values[{base + "\\Pilot Desktop\\Core", "Path"}] = "C:\\Palm";
        values[{base + "\\Pilot Desktop\\Core", "HotSyncPath"}] = "C:\\Palm\\HotSync.exe";
        files["C:\\Palm\\users.dat"] = std::move(usersDat);
    }
};

} // namespace

TEST(UsersDat, ReadsEveryRecordThroughTheMarkerScan) {
    auto users = kThreeUsers;
    // A 0x01 not followed by 0x80 does not end the scan, nor does 0x01 0x01 0x80:
    // the second 0x01 is the byte after the first one and is passed over with it.
    users[0].filler = {0x01, 0x00, 0x01, 0x01, 0x80, 0x80};
    auto file = ParseUsersDat(UsersDat(users));
    ASSERT_TRUE(file.complete);
    ASSERT_EQ(file.users.size(), 3u);
    EXPECT_EQ(file.users[0].userId, 1);
    EXPECT_EQ(file.users[0].name, "Alice Smith");
    EXPECT_EQ(file.users[0].folder, "SmithA");
    EXPECT_EQ(file.users[1].name, "Bob Jones");
    EXPECT_EQ(file.users[2].userId, 258);
    EXPECT_EQ(file.users[2].folder, "Carol");
}

TEST(UsersDat, CurrentUserIsTheLastWholeNameMatchIgnoringCase) {
    auto file = ParseUsersDat(UsersDat(kThreeUsers));
    EXPECT_EQ(FindCurrentHotSyncUser(file, "bob JONES"), 1);
    EXPECT_EQ(FindCurrentHotSyncUser(file, "Bob"), 0) << "a prefix is not a match";
    EXPECT_EQ(FindCurrentHotSyncUser(file, "nobody"), 0);

    auto twice = kThreeUsers;
    twice[2].name = "Bob Jones";
    EXPECT_EQ(FindCurrentHotSyncUser(ParseUsersDat(UsersDat(twice)), "Bob Jones"), 2);
}

TEST(UsersDat, LongNamesAndFoldersAreCutTo31Characters) {
    std::string longName(40, 'N');
    longName[35] = 'x';
    auto users = kThreeUsers;
    users[1].name = longName;
    users[1].folder = std::string(200, 'F');
    auto file = ParseUsersDat(UsersDat(users));
    ASSERT_EQ(file.users.size(), 3u);
    EXPECT_EQ(file.users[1].name, std::string(31, 'N'));
    EXPECT_EQ(file.users[1].folder, std::string(31, 'F'));
    EXPECT_EQ(file.users[2].name, "Carol") << "the whole long field is passed over";
    EXPECT_EQ(FindCurrentHotSyncUser(file, longName), 1) << "the full stored name identifies the user";
}

TEST(UsersDat, FileCutShortKeepsTheCompleteRecordsAndNeverReadsPastTheEnd) {
    const auto whole = UsersDat(kThreeUsers);
    // Where the fixed part of each record ends, counted by hand from the layout:
    // 13 header bytes; Alice 2+2+1+11+1+6+1 = 24 bytes, then 5 filler and 2 marker bytes;
    // Bob 2+2+1+9+1+6+1 = 22, filler and marker again; Carol 2+2+1+5+1+5+1 = 17.
    constexpr size_t kAliceEnd = 37, kBobEnd = 66, kCarolEnd = 90;
    ASSERT_EQ(whole.size(), kCarolEnd);
    for (size_t len = 0; len < whole.size(); ++len) {
        // An exact-size copy, so a read past the end shows up under the sanitizers.
        std::vector<uint8_t> cut(whole.begin(), whole.begin() + long(len));
        auto file = ParseUsersDat(cut);
        const size_t expected = len >= kBobEnd ? 2 : len >= kAliceEnd ? 1 : 0;
        ASSERT_EQ(file.users.size(), expected) << "cut at " << len;
        EXPECT_EQ(file.complete, len == 0) << len; // an empty file simply lists nobody
        if (expected >= 1) {
            EXPECT_EQ(file.users[0].userId, 1) << len;
            EXPECT_EQ(file.users[0].name, "Alice Smith") << len;
            EXPECT_EQ(file.users[0].folder, "SmithA") << len;
        }
        if (expected == 2) {
            EXPECT_EQ(file.users[1].userId, 2) << len;
            EXPECT_EQ(file.users[1].name, "Bob Jones") << len;
            EXPECT_EQ(file.users[1].folder, "JonesB") << len;
        }
    }
    // A count larger than the records present.
    auto file = ParseUsersDat(UsersDat(kThreeUsers, 200));
    EXPECT_FALSE(file.complete);
    ASSERT_EQ(file.users.size(), 3u);
    EXPECT_EQ(file.users[2].name, "Carol");
    // Count 255 over a file of 0x01 bytes: one record (id 0x0101, one-byte name and
    // folder), then the marker scan runs to the end of the file without finding 0x80.
    std::vector<uint8_t> noise(5000, 0x01);
    noise[0] = 255;
    auto garbage = ParseUsersDat(noise);
    EXPECT_FALSE(garbage.complete);
    ASSERT_EQ(garbage.users.size(), 1u);
    EXPECT_EQ(garbage.users[0].userId, 0x0101);
    EXPECT_EQ(garbage.users[0].name, "\x01");
}

TEST(HotSync, NotInstalledWithoutEitherVendorKey) {
    FakeEnvironment env;
    THotSync hs;
    hs.LoadHotSyncInfo(env);
    EXPECT_FALSE(hs.IsHotSyncInstalled());
    EXPECT_EQ(hs.GetHotSyncDir(), "C:\\WINDOWS\\");
    EXPECT_EQ(hs.GetUserCount(), 0);
    EXPECT_EQ(hs.GetCurrentUserName(), "");
    EXPECT_EQ(hs.FindUser(""), -1);
}

TEST(HotSync, LoadsUsersCurrentUserAndFolderFromTheChosenArea) {
    FakeEnvironment env;
    env.InstallPalm("Software\\Palm Computing", "bob jones", UsersDat(kThreeUsers));
    THotSync hs;
    hs.LoadHotSyncInfo(env);
    EXPECT_TRUE(hs.IsHotSyncInstalled());
    EXPECT_EQ(hs.RegistryBase(), "Software\\Palm Computing\\");
    EXPECT_EQ(hs.GetHotSyncDir(), "C:\\Palm\\");
    EXPECT_EQ(hs.GetUserCount(), 3);
    EXPECT_EQ(hs.CurrentUserIndex(), 1);
    EXPECT_EQ(hs.GetCurrentUserName(), "Bob Jones");
    EXPECT_EQ(hs.FindUser("CAROL"), 2);
    EXPECT_EQ(hs.FindUser("Dave"), -1);
    EXPECT_EQ(hs.GetUserID(2), 258);
    EXPECT_EQ(hs.GetUserFolder(0), "SmithA");
    for (int bad : {-1, 3, 1000}) {
        EXPECT_EQ(hs.GetUserName(bad), "");
        EXPECT_EQ(hs.GetUserFolder(bad), "");
        EXPECT_EQ(hs.GetUserID(bad), 0);
    }
}

TEST(HotSync, OlderVendorAreaWinsAndReloadingStartsAfresh) {
    FakeEnvironment env;
    env.InstallPalm("Software\\Palm Computing", "Carol", UsersDat(kThreeUsers));
    env.keys.insert("Software\\U.S. Robotics");
    env.values[{"Software\\U.S. Robotics\\Pilot Desktop\\Preferences", "LastUserName"}] = "Alice Smith";
    THotSync hs;
    hs.LoadHotSyncInfo(env);
    EXPECT_EQ(hs.RegistryBase(), "Software\\U.S. Robotics\\");
    EXPECT_EQ(hs.LastUserName(), "Alice Smith");
    // The older area names no data folder: no users, and the Windows folder stays.
    EXPECT_EQ(hs.GetUserCount(), 0);
    EXPECT_EQ(hs.GetHotSyncDir(), "C:\\WINDOWS\\");

    env.keys.erase("Software\\U.S. Robotics");
    hs.LoadHotSyncInfo(env);
    EXPECT_EQ(hs.GetCurrentUserName(), "Carol");
    env.keys.clear();
    hs.LoadHotSyncInfo(env);
    EXPECT_EQ(hs.GetUserCount(), 0);
    EXPECT_EQ(hs.CurrentUserIndex(), 0);
}
