#include "install/HotSyncInstall.h"

#include "script/Variables.h"

namespace cvn {

uint32_t CreatorNumber(const std::string& creatorId) {
    std::string id = creatorId.substr(0, 4);
    id.resize(4, '0');
    uint32_t number = 0;
    for (char c : id)
        number = (number << 8) | uint8_t(c);
    return number;
}

bool THotSyncInstall::InstallForUser(const std::string& userName, const std::string& file) {
    const int user = hotSync_->FindUser(userName);
    if (user == -1) return false;
    const std::string folder = hotSync_->DesktopPath() + "\\" + hotSync_->GetUserFolder(user) + "\\Install";
    if (!store_->CreateFolder(folder)) return false;
    const std::string name = file.substr(file.find_last_of("\\/") + 1);
    if (!store_->CopyFileTo(file, folder + "\\" + name)) return false;
    const std::string base = ChooseHotSyncBase(*env_);
    if (base.empty()) return false;
    return store_->SetNumber(base + "Pilot Desktop\\HotSync Manager",
                             "Install" + std::to_string(hotSync_->GetUserID(user)), 1);
}

bool THotSyncInstall::RegisterConduit(const TConduitRecord& c) {
    if (!RemoveConduit(*env_, *store_, c.creatorId)) return false;
    const std::string base = ChooseHotSyncBase(*env_);
    if (base.empty()) return false;
    const std::string kind = c.kind == 0 ? "Application" : "Component";
    int n = 0;
    while (store_->KeyExists(base + "Pilot Desktop\\" + kind + std::to_string(n)))
        ++n;
    const std::string key = base + "Pilot Desktop\\" + kind + std::to_string(n);
    if (!store_->CreateKey(key)) return false;

    auto expand = [&](const std::string& text) { return variables_->ExpandVariables(text); };
    bool ok = store_->SetNumber(key, "Creator", CreatorNumber(c.creatorId));
    ok = store_->SetText(key, "Conduit", c.isCom ? "ComConduit.dll" : expand(c.conduitFile)) && ok;
    for (const auto& [name, text] : {std::pair{"Directory", &c.directory}, std::pair{"Remote0", &c.remote0},
                                     std::pair{"File0", &c.file0}})
        if (!text->empty()) ok = store_->SetText(key, name, expand(*text)) && ok;
    ok = store_->SetNumber(key, "Integrate", c.kind != 0 ? 1 : 0) && ok;
    if (!c.conduitName.empty()) ok = store_->SetText(key, "Name", expand(c.conduitName)) && ok;
    if (!c.information.empty()) ok = store_->SetText(key, "Information", expand(c.information)) && ok;
    ok = store_->SetNumber(key, "Priority", c.priority) && ok;
    if (c.kind == 0 && !c.module.empty()) ok = store_->SetText(key, "Module", expand(c.module)) && ok;
    if (c.isCom) ok = store_->SetText(key, "COMClient", expand(c.comClient)) && ok;
    // A registration that lost a value would leave HotSync with a half conduit.
    return ok;
}

namespace {

bool RemoveFromList(THotSyncEnvironment& env, THotSyncStore& store, const std::string& kind,
                    uint32_t creator) {
    const std::string base = ChooseHotSyncBase(env);
    if (base.empty()) return true;
    for (int n = 0;; ++n) {
        const std::string sub = kind + std::to_string(n);
        const std::string key = base + "Pilot Desktop\\" + sub;
        // The numbering is not closed up after a removal, so a scan stops at a gap.
        if (!store.KeyExists(key)) return true;
        uint32_t value = 0;
        if (store.ReadNumber(key, "Creator", value) && value == creator) {
            const bool values = store.DeleteValues(key);
            return store.DeleteKey(base + "Pilot Desktop", sub) && values;
        }
    }
}

} // namespace

bool RemoveConduit(THotSyncEnvironment& env, THotSyncStore& store, const std::string& creatorId) {
    const uint32_t creator = CreatorNumber(creatorId);
    const bool applications = RemoveFromList(env, store, "Application", creator);
    const bool components = RemoveFromList(env, store, "Component", creator);
    return applications && components;
}

} // namespace cvn
