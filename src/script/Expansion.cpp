#include "script/Variables.h"

#include "script/ReplacementText.h"

#include <algorithm>

// Variable expansion: the fixed folder and name list, the computed system values,
// the command-line argument and the stored variables, in that order. A name is
// replaced only when the text as given contains it, so references that arrive
// inside inserted values are left alone and expansion always terminates.

namespace cvn {

namespace {

std::string_view DropTrailingBackslash(std::string_view s) {
    if (!s.empty() && s.back() == '\\') s.remove_suffix(1);
    return s;
}

std::string WithTrailingBackslash(std::string s) {
    if (s.empty() || s.back() != '\\') s += '\\';
    return s;
}

// "C:" for a drive path, "\\server\share" for a network path, else empty.
std::string DriveOf(std::string_view path) {
    if (path.size() >= 2 && path[1] == ':') return std::string(path.substr(0, 2));
    if (path.size() >= 2 && path[0] == '\\' && path[1] == '\\') {
        size_t server = path.find('\\', 2);
        if (server == std::string_view::npos) return std::string(path);
        size_t share = path.find('\\', server + 1);
        return std::string(path.substr(0, share));
    }
    return {};
}

std::string DoubleAmpersands(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (char c : s) {
        out += c;
        if (c == '&') out += '&';
    }
    return out;
}

std::string TwoDigits(int v) {
    std::string s = std::to_string(v);
    return s.size() < 2 ? "0" + s : s;
}

std::string FourDigits(int v) {
    std::string s = std::to_string(v);
    return s.size() < 4 ? std::string(4 - s.size(), '0') + s : s;
}

// The "%...%" stretches of the input, upper-cased. Every delimited name that
// occurs in the input is one of them, because its closing "%" is the first one
// after its opening "%".
class TInputNames {
public:
    explicit TInputNames(std::string_view text) : text_(text) {
        size_t p = text.find('%');
        while (p != std::string_view::npos) {
            size_t q = text.find('%', p + 1);
            if (q == std::string_view::npos) break;
            tokens_.push_back(AsciiUpperCopy(text.substr(p, q - p + 1)));
            p = q;
        }
        std::sort(tokens_.begin(), tokens_.end());
        tokens_.erase(std::unique(tokens_.begin(), tokens_.end()), tokens_.end());
    }

    const std::vector<std::string>& Tokens() const { return tokens_; }
    // upperName must be upper case.
    bool Contains(std::string_view upperName) const {
        if (IsDelimitedName(upperName)) return std::binary_search(tokens_.begin(), tokens_.end(), upperName);
        if (upperName.empty()) return false;
        if (upper_.empty()) upper_ = AsciiUpperCopy(text_);
        return upper_.find(upperName) != std::string::npos;
    }

private:
    std::string_view text_;
    std::vector<std::string> tokens_;
    mutable std::string upper_; // whole text, only for names without delimiters
};

struct TExpandState {
    const TVariables& vars;
    bool escape;
    std::string programGroup; // %ProgramGroup% expanded one level, for %ProgramGroupDir%
};

std::string ShellFolder(const TExpandState& st, TShellFolderKind kind) {
    return st.vars.System().ShellFolder(kind, st.vars.AllUsersShellFolders());
}

struct TFixedName {
    std::string_view upperName;
    bool folder; // one trailing backslash is removed from the value
    std::string (*value)(const TExpandState&);
};

const TFixedName kFixedNames[] = {
    {"%SOFTWARENAME%", false,
     [](const TExpandState& st) {
         const auto& s = st.vars.Program().softwareName;
         return st.escape ? DoubleAmpersands(s) : s;
     }},
    {"%COMPANYNAME%", false,
     [](const TExpandState& st) {
         const auto& s = st.vars.Program().companyName;
         return st.escape ? DoubleAmpersands(s) : s;
     }},
    {"%TEMPSETUPDIR%", true, [](const TExpandState& st) { return st.vars.Program().tempSetupDir; }},
    {"%WINDIR%", true, [](const TExpandState& st) { return st.vars.System().WindowsDir(); }},
    {"%HELPDIR%", true,
     [](const TExpandState& st) { return WithTrailingBackslash(st.vars.System().WindowsDir()) + "Help"; }},
    {"%PROGRAMFILESDIR%", true, [](const TExpandState& st) { return st.vars.System().ProgramFilesDir(); }},
    {"%FONTSDIR%", true, [](const TExpandState& st) { return st.vars.System().FontsDir(); }},
    {"%ACTIVESYNCDIR%", true, [](const TExpandState& st) { return st.vars.System().ActiveSyncDir(); }},
    {"%SYSDIR%", true, [](const TExpandState& st) { return st.vars.System().SystemDir(); }},
    {"%COMMONFILESDIR%", true, [](const TExpandState& st) { return st.vars.System().CommonFilesDir(); }},
    {"%WINDRIVE%", true, [](const TExpandState& st) { return DriveOf(st.vars.System().WindowsDir()); }},
    {"%MYDOCUMENTSDIR%", true, [](const TExpandState& st) { return st.vars.System().PersonalDir(); }},
    {"%HOTSYNCDIR%", true, [](const TExpandState& st) { return st.vars.System().HotSyncDir(); }},
    {"%PROGRAMSDIR%", true,
     [](const TExpandState& st) { return ShellFolder(st, TShellFolderKind::Programs); }},
    {"%STARTUPDIR%", true, [](const TExpandState& st) { return ShellFolder(st, TShellFolderKind::Startup); }},
    {"%DESKTOPDIR%", true, [](const TExpandState& st) { return ShellFolder(st, TShellFolderKind::Desktop); }},
    {"%STARTMENUDIR%", true,
     [](const TExpandState& st) { return ShellFolder(st, TShellFolderKind::StartMenu); }},
    {"%PROGRAMGROUPDIR%", true,
     [](const TExpandState& st) {
         return WithTrailingBackslash(ShellFolder(st, TShellFolderKind::Programs)) + st.programGroup;
     }},
    {"%SOURCEDIR%", true, [](const TExpandState& st) { return st.vars.System().SourceDir(); }},
    {"%DOTNETDIR%", true, [](const TExpandState& st) { return st.vars.System().DotNetDir(); }},
};

std::string Flag(bool b) {
    return b ? "1" : "0";
}

// Date and time texts; "/" in the date formats stands for the user's date separator.
// The local time, read once per expansion so that a text combining several date
// and time names never mixes two moments (say, the date before midnight and the
// hour after it).
class TClock {
public:
    explicit TClock(TSystemValues& sys) : sys_(&sys) {}
    const TLocalTime& Now() {
        if (!read_) {
            now_ = sys_->LocalTime();
            read_ = true;
        }
        return now_;
    }

private:
    TSystemValues* sys_;
    TLocalTime now_;
    bool read_ = false;
};

std::string DatePart(const TVariables& vars, TClock& clock, char order) {
    const TLocalTime& t = clock.Now();
    std::string sep = vars.System().DateSeparator();
    std::string d = TwoDigits(t.day), m = TwoDigits(t.month), y = FourDigits(t.year);
    switch (order) {
    case 'U':
        return m + sep + d + sep + y;
    case 'E':
        return d + sep + m + sep + y;
    default:
        return y + "-" + m + "-" + d;
    }
}

struct TComputedName {
    std::string_view upperName;
    std::string (*value)(const TVariables&, TClock&);
};

// In the order expansion applies them; %CmdLineParam% comes last on its own.
const TComputedName kComputedNames[] = {
    {"%ISADMIN%", [](const TVariables& v, TClock&) { return Flag(v.System().IsAdmin()); }},
    {"%ISNT%", [](const TVariables& v, TClock&) { return Flag(v.System().IsNT()); }},
    {"%OSVERSION%",
     [](const TVariables& v, TClock&) {
         TSystemValues& s = v.System();
         return std::to_string(s.OSVersionPart(1)) + "." + std::to_string(s.OSVersionPart(2)) + "." +
                std::to_string(s.OSVersionPart(3));
     }},
    {"%OSMAJORVERSION%",
     [](const TVariables& v, TClock&) { return std::to_string(v.System().OSVersionPart(1)); }},
    {"%OSMINORVERSION%",
     [](const TVariables& v, TClock&) { return std::to_string(v.System().OSVersionPart(2)); }},
    {"%COLORDEPTH%", [](const TVariables& v, TClock&) { return std::to_string(v.System().ColorDepth()); }},
    {"%CURRENTDAY%", [](const TVariables&, TClock& c) { return TwoDigits(c.Now().day); }},
    {"%CURRENTHOUR%", [](const TVariables&, TClock& c) { return TwoDigits(c.Now().hour); }},
    {"%CURRENTMINUTE%", [](const TVariables&, TClock& c) { return TwoDigits(c.Now().minute); }},
    {"%CURRENTMONTH%", [](const TVariables&, TClock& c) { return TwoDigits(c.Now().month); }},
    {"%CURRENTSECOND%", [](const TVariables&, TClock& c) { return TwoDigits(c.Now().second); }},
    {"%CURRENTYEAR%", [](const TVariables&, TClock& c) { return FourDigits(c.Now().year); }},
    {"%DATE%", [](const TVariables& v, TClock& c) { return DatePart(v, c, 'U'); }},
    {"%EUROPEANDATE%", [](const TVariables& v, TClock& c) { return DatePart(v, c, 'E'); }},
    {"%ISODATE%", [](const TVariables& v, TClock& c) { return DatePart(v, c, 'I'); }},
    {"%SCREENHEIGHT%",
     [](const TVariables& v, TClock&) { return std::to_string(v.System().ScreenHeight()); }},
    {"%SCREENWIDTH%", [](const TVariables& v, TClock&) { return std::to_string(v.System().ScreenWidth()); }},
    {"%RAMMEMORY%",
     [](const TVariables& v, TClock&) { return std::to_string(v.System().PhysicalMemoryMB()); }},
    {"%SETUPHANDLE%",
     [](const TVariables& v, TClock&) { return std::to_string(v.System().MainWindowHandle()); }},
    {"%ACTIVEDIALOGHANDLE%",
     [](const TVariables& v, TClock&) { return std::to_string(v.System().ActiveDialogHandle()); }},
    {"%ISACTIVESYNCINSTALLED%",
     [](const TVariables& v, TClock&) { return Flag(v.System().IsActiveSyncInstalled()); }},
    {"%ISHOTSYNCINSTALLED%",
     [](const TVariables& v, TClock&) { return Flag(v.System().IsHotSyncInstalled()); }},
    {"%ISDOTNETINSTALLED%",
     [](const TVariables& v, TClock&) { return Flag(v.System().IsDotNetInstalled()); }},
    {"%DOTNETVERSION%", [](const TVariables& v, TClock&) { return v.System().DotNetVersion(); }},
    {"%ACTIVESYNCVERSION%", [](const TVariables& v, TClock&) { return v.System().ActiveSyncVersion(); }},
};

constexpr std::string_view kCmdLineParam = "%CMDLINEPARAM%";

std::string CommandLineParam(const TVariables& v) {
    int32_t index = NumberFromText(v.ExpandVariables("%CmdParamNum%"));
    std::vector<std::string> args = v.System().CommandLineArgs();
    return index >= 0 && size_t(index) < args.size() ? args[size_t(index)] : std::string();
}

const TComputedName* FindComputed(std::string_view name) {
    for (const auto& c : kComputedNames)
        if (EqualsNoCase(c.upperName, name)) return &c;
    return nullptr;
}

} // namespace

std::string TVariables::ExpandVariables(std::string_view text, bool escapeAmpersands) const {
    return Expand(text, escapeAmpersands, false);
}

std::string TVariables::Expand(std::string_view text, bool escapeAmpersands, bool inner) const {
    const TInputNames input(text);
    // Every name, stored or computed, is "%Name%" unless the store holds odd ones;
    // a text without such a stretch has nothing to replace.
    if (input.Tokens().empty() && store_.UndelimitedCount() == 0) return std::string(text);

    TExpandState st{*this, escapeAmpersands, {}};
    // The one-level expansion of %ProgramGroup% is only needed for %ProgramGroupDir%.
    if (!inner && input.Contains("%PROGRAMGROUPDIR%"))
        st.programGroup = Expand("%ProgramGroup%", escapeAmpersands, true);

    // The names the text contains, in the order they apply, with their values.
    struct TStep {
        std::string_view name;
        std::string value;
    };
    std::vector<TStep> steps;
    for (const auto& f : kFixedNames) {
        if (!input.Contains(f.upperName)) continue;
        std::string value = f.value(st);
        if (f.folder && !value.empty() && value.back() == '\\') value.pop_back();
        steps.push_back({f.upperName, std::move(value)});
    }
    TClock clock(*system_);
    for (const auto& c : kComputedNames)
        if (input.Contains(c.upperName)) steps.push_back({c.upperName, c.value(*this, clock)});
    if (!inner && input.Contains(kCmdLineParam)) steps.push_back({kCmdLineParam, CommandLineParam(*this)});

    // Stored names, in the store's sorted order.
    std::vector<int> hits;
    for (const std::string& token : input.Tokens())
        if (int i = store_.IndexOf(token); i >= 0) hits.push_back(i);
    bool allDelimited = true;
    if (store_.UndelimitedCount() > 0) {
        const auto& entries = store_.Entries();
        for (size_t i = 0; i < entries.size(); ++i)
            if (!IsDelimitedName(entries[i].first) && input.Contains(AsciiUpperCopy(entries[i].first))) {
                hits.push_back(int(i));
                allDelimited = false;
            }
    }
    std::sort(hits.begin(), hits.end());
    hits.erase(std::unique(hits.begin(), hits.end()), hits.end());
    for (int i : hits) {
        const auto& [name, value] = store_.Entries()[size_t(i)];
        steps.push_back({name, std::string(IsFolderVariable(name) ? DropTrailingBackslash(value) : value)});
    }

    if (steps.empty()) return std::string(text);
    if (!allDelimited) {
        std::string result(text);
        for (const auto& step : steps)
            ReplaceAllNoCase(result, step.name, step.value);
        return result;
    }
    size_t longest = 0;
    for (const auto& step : steps)
        longest = std::max(longest, step.name.size());
    TReplacementText result(text, longest);
    for (auto& step : steps)
        result.Replace(AsciiUpperCopy(step.name), std::move(step.value));
    return result.Result();
}

bool TVariables::IsFolderVariable(std::string_view name) const {
    if (EqualsNoCase(name, "%InstallDir%")) return true;
    for (const auto& folder : program_.folderVariableList)
        if (folder.size() == name.size() + 1 && folder.back() == '\\' &&
            EqualsNoCase(std::string_view(folder).substr(0, name.size()), name))
            return true;
    return false;
}

bool IsComputedVariable(std::string_view name) {
    return FindComputed(name) != nullptr || EqualsNoCase(name, kCmdLineParam);
}

std::string TVariables::GetSystemValue(std::string_view name, bool fallback) const {
    TClock clock(*system_);
    if (const TComputedName* c = FindComputed(name)) return c->value(*this, clock);
    if (EqualsNoCase(name, kCmdLineParam)) return CommandLineParam(*this);
    return fallback ? ExpandVariables(name) : std::string();
}

std::string TVariables::ResolveOperand(std::string_view text) const {
    return IsComputedVariable(text) ? GetSystemValue(text, false) : ExpandVariables(text);
}

} // namespace cvn
