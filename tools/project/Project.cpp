#include "Project.h"

#include "PackageFields.h"
#include "ProjectDefaults.h"
#include "ScriptText.h"
#include "TextEncoding.h"

#include "package/ControlNames.h"
#include "script/Selection.h"

#include <toml++/toml.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>
#include <tuple>

namespace cvn::project {

namespace {

using namespace cvn::fields;
namespace fs = std::filesystem;

// The names of the seven event scripts, in stored order.
constexpr std::array<const char*, kEventScriptCount> kEventScriptNames = {
    "start", "beforeInstall", "afterInstall", "finish", "error", "beforeUninstall", "afterUninstall",
};

// ---- reading

struct TContext {
    std::string file;
    std::vector<std::string> lines; // the file's lines, for where a script's text starts
    std::vector<std::string>& errors;

    void Error(const toml::node& at, const std::string& path, const std::string& message) {
        Error(int(at.source().begin.line), (path.empty() ? std::string() : path + ": ") + message);
    }
    void Error(int line, const std::string& message) {
        errors.push_back(file + ":" + std::to_string(line) + ": " + message);
    }
};

template <typename T> void FromToml(const toml::node& n, T& x, const std::string& path, TContext& ctx);

struct TTomlReader {
    const toml::table& table;
    std::string path;
    TContext& ctx;
    std::vector<std::string> seen;

    std::string Sub(const char* key) const { return path.empty() ? key : path + "." + key; }

    template <typename T> void operator()(const char* key, T& x) {
        seen.emplace_back(key);
        if (const toml::node* n = table.get(key)) FromToml(*n, x, Sub(key), ctx);
    }
    template <size_t N> void Prefix(const char* key, std::array<std::string, N>& a, int count) {
        seen.emplace_back(key);
        const toml::node* n = table.get(key);
        if (!n) return;
        const toml::array* arr = n->as_array();
        if (!arr) return ctx.Error(*n, Sub(key), "expected a list of texts");
        if (arr->size() > size_t(count))
            return ctx.Error(*n, Sub(key),
                             "holds " + std::to_string(arr->size()) + " texts, but only " +
                                 std::to_string(count) + " are stored for this kind");
        a = {};
        for (size_t i = 0; i < arr->size(); ++i)
            FromToml(*arr->get(i), a[i], Sub(key), ctx);
    }
    void CheckUnknown(std::initializer_list<const char*> alsoAllowed = {}) const {
        for (auto&& [k, v] : table) {
            bool known = false;
            for (const auto& s : seen)
                known = known || s == k.str();
            for (const char* s : alsoAllowed)
                known = known || k.str() == s;
            if (!known) ctx.Error(v, path, "unknown field \"" + std::string(k.str()) + "\"");
        }
    }
};

// The line of a string's first character: a multi-line string's opening quotes
// followed by the end of their line do not count.
int FirstTextLine(const toml::node& n, const TContext& ctx) {
    int line = int(n.source().begin.line);
    size_t col = n.source().begin.column;
    if (line < 1 || size_t(line) > ctx.lines.size() || col < 1) return line;
    const std::string& text = ctx.lines[size_t(line - 1)];
    std::string rest = col - 1 < text.size() ? text.substr(col - 1) : std::string();
    if (rest.rfind("\"\"\"", 0) == 0 || rest.rfind("'''", 0) == 0) {
        rest = rest.substr(3);
        if (rest.empty() || rest == "\r") return line + 1;
    }
    return line;
}

void ScriptFromToml(const toml::node& n, TScript& x, const std::string& path, TContext& ctx) {
    const toml::value<std::string>* s = n.as_string();
    if (!s) return ctx.Error(n, path, "expected the script as text");
    std::optional<std::string> text = Utf8ToAnsi(s->get());
    if (!text) return ctx.Error(n, path, "the script holds characters a package cannot store");
    std::vector<TTextError> errors;
    if (!CompileScript(*text, FirstTextLine(n, ctx), x, errors))
        for (const TTextError& e : errors)
            ctx.Error(e.line, e.message);
}

void MessagesFromToml(const toml::node& n, TMessageTable& x, const std::string& path, TContext& ctx) {
    const toml::table* t = n.as_table();
    if (!t) return ctx.Error(n, path, "expected a table of message numbers and texts");
    x = EnglishMessages();
    for (auto&& [k, v] : *t) {
        std::string key(k.str());
        int number = -1;
        if (!key.empty() && key.size() <= 2 && key.find_first_not_of("0123456789") == std::string::npos)
            number = std::stoi(key);
        if (number < 0 || number >= kMessageCount) {
            ctx.Error(v, path, "\"" + key + "\" is not a message number (0 to 68)");
            continue;
        }
        FromToml(v, x[size_t(number)], path + "." + key, ctx);
    }
}

void EventScriptsFromToml(const toml::node& n, std::array<TScript, kEventScriptCount>& x,
                          const std::string& path, TContext& ctx) {
    const toml::table* t = n.as_table();
    if (!t) return ctx.Error(n, path, "expected a table of scripts");
    for (auto&& [k, v] : *t) {
        size_t i = 0;
        while (i < kEventScriptNames.size() && k.str() != kEventScriptNames[i])
            ++i;
        if (i == kEventScriptNames.size()) {
            ctx.Error(v, path, "unknown event script \"" + std::string(k.str()) + "\"");
            continue;
        }
        ScriptFromToml(v, x[i], path + "." + std::string(k.str()), ctx);
    }
}

template <typename Int>
void IntegerFromToml(const toml::node& n, Int& x, const std::string& path, TContext& ctx) {
    if (const toml::value<bool>* b = n.as_boolean()) {
        x = Int(b->get());
        return;
    }
    const toml::value<int64_t>* v = n.as_integer();
    if (!v) return ctx.Error(n, path, "expected a whole number");
    int64_t d = v->get();
    // int32 fields also take 0x80000000-0xFFFFFFFF written as positive numbers
    // (colours and processor sets read more naturally that way).
    using Wide = std::conditional_t<std::is_same_v<Int, int32_t>, uint32_t, Int>;
    if (d < int64_t(std::numeric_limits<Int>::min()) ||
        (d > 0 && uint64_t(d) > uint64_t(std::numeric_limits<Wide>::max())))
        return ctx.Error(n, path, "number out of range");
    x = d < 0 ? Int(d) : Int(Wide(uint64_t(d)));
}

// A control's kind and role by name (ControlNames.h) or by number.
void ControlFromToml(const toml::node& n, TControlDefinition& x, const std::string& path, TContext& ctx) {
    const toml::table* t = n.as_table();
    if (!t) return ctx.Error(n, path, "expected a table");
    toml::table numbered = *t;
    for (auto [key, byName, what] : {std::tuple{"kind", &ControlKindByName, "control kind"},
                                     std::tuple{"role", &ControlRoleByName, "role"}}) {
        const toml::node* v = t->get(key);
        if (!v || !v->as_string()) continue;
        std::optional<uint8_t> number = byName(v->as_string()->get());
        if (!number) {
            ctx.Error(*v, path + "." + key,
                      std::string("unknown ") + what + " \"" + v->as_string()->get() + "\"");
            numbered.erase(key);
            continue;
        }
        numbered.insert_or_assign(key, int64_t(*number));
    }
    TTomlReader r{numbered, path, ctx, {}};
    Describe(r, x);
    r.CheckUnknown();
}

template <typename T> void FromToml(const toml::node& n, T& x, const std::string& path, TContext& ctx) {
    if constexpr (std::is_same_v<T, TControlDefinition>) {
        ControlFromToml(n, x, path, ctx);
    } else if constexpr (std::is_same_v<T, std::string>) {
        const toml::value<std::string>* s = n.as_string();
        if (!s) return ctx.Error(n, path, "expected a text");
        std::optional<std::string> ansi = Utf8ToAnsi(s->get());
        if (!ansi) return ctx.Error(n, path, "the text holds characters a package cannot store");
        x = std::move(*ansi);
    } else if constexpr (std::is_same_v<T, double>) {
        if (const toml::value<double>* f = n.as_floating_point())
            x = f->get();
        else if (const toml::value<int64_t>* i = n.as_integer())
            x = double(i->get());
        else
            ctx.Error(n, path, "expected a number");
    } else if constexpr (std::is_integral_v<T>) {
        IntegerFromToml(n, x, path, ctx);
    } else if constexpr (std::is_same_v<T, TScript>) {
        ScriptFromToml(n, x, path, ctx);
    } else if constexpr (std::is_same_v<T, TMessageTable>) {
        MessagesFromToml(n, x, path, ctx);
    } else if constexpr (std::is_same_v<T, std::array<TScript, kEventScriptCount>>) {
        EventScriptsFromToml(n, x, path, ctx);
    } else if constexpr (IsVector<T>::value || IsArray<T>::value) {
        const toml::array* arr = n.as_array();
        if (!arr) return ctx.Error(n, path, "expected a list");
        if constexpr (IsVector<T>::value) {
            x.assign(arr->size(), DefaultOf<typename T::value_type>());
        } else {
            if (arr->size() > x.size())
                return ctx.Error(n, path,
                                 "holds " + std::to_string(arr->size()) + " items, at most " +
                                     std::to_string(x.size()) + " are allowed");
            x = {};
        }
        for (size_t i = 0; i < arr->size(); ++i)
            FromToml(*arr->get(i), x[i], path + "[" + std::to_string(i) + "]", ctx);
    } else if constexpr (IsOptional<T>::value) {
        x = DefaultOf<typename T::value_type>();
        FromToml(n, *x, path, ctx);
    } else {
        const toml::table* t = n.as_table();
        if (!t) return ctx.Error(n, path, "expected a table");
        TTomlReader r{*t, path, ctx, {}};
        Describe(r, x);
        r.CheckUnknown();
    }
}

bool Matches(std::string_view pattern, std::string_view name) {
    if (pattern.empty()) return name.empty();
    if (pattern[0] == '*')
        return Matches(pattern.substr(1), name) || (!name.empty() && Matches(pattern, name.substr(1)));
    return !name.empty() && (pattern[0] == '?' || pattern[0] == name[0]) &&
           Matches(pattern.substr(1), name.substr(1));
}

// The files a `source` names, each with the folder below the source it lies in:
// one file, every file below a folder, or the files of a folder matching a
// pattern of * and ? in the last part. Sorted, so a package does not depend on
// the order a file system lists them in.
std::vector<std::pair<fs::path, std::string>> Expand(const fs::path& base, const std::string& source) {
    std::vector<std::pair<fs::path, std::string>> found;
    fs::path full = base / fs::path(source).make_preferred();
    std::error_code ec;
    std::string leaf = full.filename().string();
    if (leaf.find_first_of("*?") != std::string::npos) {
        for (const auto& e : fs::directory_iterator(full.parent_path(), ec))
            if (e.is_regular_file() && Matches(leaf, e.path().filename().string()))
                found.push_back({e.path(), ""});
    } else if (fs::is_directory(full, ec)) {
        for (const auto& e : fs::recursive_directory_iterator(full, ec))
            if (e.is_regular_file()) {
                std::string sub = e.path().parent_path().lexically_relative(full).string();
                if (sub == ".") sub.clear();
                for (char& c : sub)
                    if (c == '/') c = '\\';
                found.push_back({e.path(), sub});
            }
    } else if (fs::is_regular_file(full, ec)) {
        found.push_back({full, ""});
    }
    std::sort(found.begin(), found.end());
    return found;
}

// `[[file]]` entries: the file list's fields and a `source`, expanded into file
// records and main-archive members.
void AddFiles(const toml::array& list, const fs::path& base, TProject& project, TContext& ctx) {
    int32_t nextId = 0;
    for (const TArchiveMember& m : project.members)
        nextId = std::max(nextId, m.id + 1);
    for (const auto& list : project.componentMembers)
        for (const TArchiveMember& m : list)
            nextId = std::max(nextId, m.id + 1);
    for (const TSupportFile& s : project.package.supportFiles)
        nextId = std::max(nextId, s.memberId + 1);
    for (const TFileRecord& f : project.package.files)
        nextId = std::max(nextId, f.memberId + 1);
    for (size_t i = 0; i < list.size(); ++i) {
        const toml::node& n = *list.get(i);
        std::string path = "file[" + std::to_string(i) + "]";
        const toml::table* t = n.as_table();
        if (!t) {
            ctx.Error(n, path, "expected a table");
            continue;
        }
        TFileEntry entry;
        entry.targetDir = "%InstallDir%";
        TTomlReader r{*t, path, ctx, {}};
        Describe(r, entry);
        r.CheckUnknown({"source"});
        std::string source;
        const toml::node* s = t->get("source");
        if (!s || !s->as_string()) {
            ctx.Error(n, path, "\"source\" must name the file, folder or pattern to install");
            continue;
        }
        source = s->as_string()->get();
        std::string declared;
        for (const TComponentRecord& c : project.package.components)
            declared += c.name + "|";
        for (const std::string& name : ComponentNames(entry.components)) {
            // Compared as the installer compares them.
            if (!ComponentListContains(declared, name))
                ctx.Error(t->get("components") ? *t->get("components") : n, path,
                          "unknown component \"" + name + "\"");
        }
        auto files = Expand(base, source);
        if (files.empty()) ctx.Error(*s, path, "no file found for \"" + source + "\"");
        for (const auto& [file, sub] : files) {
            TFileRecord rec;
            rec.memberId = nextId++;
            rec.entry = entry;
            if (!t->get("sourceName")) rec.entry.sourceName = file.filename().string();
            if (!sub.empty()) rec.entry.targetDir += "\\" + sub;
            project.package.files.push_back(rec);
            project.members.push_back({rec.memberId, file.string(), std::nullopt});
        }
    }
}

void MemberListFromToml(const toml::node& n, std::vector<TArchiveMember>& out, const fs::path& base,
                        const std::string& path, TContext& ctx) {
    const toml::array* list = n.as_array();
    if (!list) return ctx.Error(n, path, "expected a list of members");
    for (const toml::node& m : *list) {
        const toml::table* mt = m.as_table();
        TArchiveMember member;
        if (!mt || !mt->get("id") || !mt->get("file") || !(*mt)["file"].as_string()) {
            ctx.Error(m, path, "a member needs an id and a file");
            continue;
        }
        IntegerFromToml(*mt->get("id"), member.id, path + ".id", ctx);
        member.file = (base / fs::path((*mt)["file"].as_string()->get())).string();
        if (const toml::node* d = mt->get("date")) {
            member.date = 0;
            IntegerFromToml(*d, *member.date, path + ".date", ctx);
        }
        out.push_back(member);
    }
}

// `[[archive.components]]`: a component's own archive, named by the component.
void ComponentArchivesFromToml(const toml::node& n, TProject& project, const fs::path& base, TContext& ctx) {
    const toml::array* list = n.as_array();
    if (!list) return ctx.Error(n, "archive.components", "expected [[archive.components]] entries");
    const std::vector<TComponentRecord>& comps = project.package.components;
    project.componentMembers.resize(comps.size());
    for (const toml::node& c : *list) {
        const toml::table* t = c.as_table();
        const toml::node* name = t ? t->get("component") : nullptr;
        if (!name || !name->as_string()) {
            ctx.Error(c, "archive.components", "\"component\" must name the component the archive is for");
            continue;
        }
        const std::string wanted = Utf8ToAnsi(name->as_string()->get()).value_or("");
        size_t i = 0;
        while (i < comps.size() && comps[i].name != wanted)
            ++i;
        if (i == comps.size()) {
            ctx.Error(*name, "archive.components", "unknown component \"" + name->as_string()->get() + "\"");
            continue;
        }
        for (auto&& [k, v] : *t)
            if (k.str() != "component" && k.str() != "members")
                ctx.Error(v, "archive.components", "unknown field \"" + std::string(k.str()) + "\"");
        if (const toml::node* m = t->get("members"))
            MemberListFromToml(*m, project.componentMembers[i], base, "archive.components.members", ctx);
    }
}

void MembersFromToml(const toml::node& n, TProject& project, const fs::path& base, TContext& ctx) {
    const toml::table* t = n.as_table();
    if (!t) return ctx.Error(n, "archive", "expected a table");
    for (auto&& [k, v] : *t) {
        if (k.str() == "headerText") {
            project.headerText.emplace();
            FromToml(v, *project.headerText, "archive.headerText", ctx);
        } else if (k.str() == "volumeSize") {
            IntegerFromToml(v, project.volumeSize, "archive.volumeSize", ctx);
        } else if (k.str() == "members") {
            MemberListFromToml(v, project.members, base, "archive.members", ctx);
        } else if (k.str() == "components") {
            ComponentArchivesFromToml(v, project, base, ctx);
        } else {
            ctx.Error(v, "archive", "unknown field \"" + std::string(k.str()) + "\"");
        }
    }
}

// ---- writing

template <typename T> std::unique_ptr<toml::node> ToToml(const T& x);

std::string Render(const toml::node& n) {
    std::ostringstream out;
    toml::table wrap;
    wrap.insert("v", n);
    out << toml::toml_formatter(wrap);
    return out.str();
}

struct TTomlWriter {
    toml::table table;

    template <typename T> void operator()(const char* key, const T& x) {
        if (auto n = ToToml(x)) table.insert(key, *n);
    }
    template <size_t N> void Prefix(const char* key, const std::array<std::string, N>& a, int count) {
        size_t used = 0;
        for (size_t i = 0; i < size_t(count) && i < N; ++i)
            if (!a[i].empty()) used = i + 1;
        toml::array arr;
        for (size_t i = 0; i < used; ++i)
            arr.push_back(AnsiToUtf8(a[i]));
        table.insert(key, std::move(arr));
    }
};

template <typename T> toml::table RecordToToml(const T& x) {
    TTomlWriter mine, defaults;
    Describe(mine, const_cast<T&>(x));
    T d = DefaultOf<T>();
    Describe(defaults, d);
    toml::table out;
    for (auto&& [k, v] : mine.table) {
        const toml::node* dv = defaults.table.get(k.str());
        if (!dv || Render(*dv) != Render(v)) out.insert(k, v);
    }
    return out;
}

template <typename T> std::unique_ptr<toml::node> ToToml(const T& x) {
    if constexpr (std::is_same_v<T, std::string>) {
        return std::make_unique<toml::value<std::string>>(AnsiToUtf8(x));
    } else if constexpr (std::is_same_v<T, double>) {
        return std::make_unique<toml::value<double>>(x);
    } else if constexpr (std::is_integral_v<T>) {
        return std::make_unique<toml::value<int64_t>>(int64_t(x));
    } else if constexpr (std::is_same_v<T, TScript>) {
        return std::make_unique<toml::value<std::string>>(AnsiToUtf8(ScriptToText(x)));
    } else if constexpr (std::is_same_v<T, TMessageTable>) {
        auto t = std::make_unique<toml::table>();
        for (size_t i = 0; i < x.size(); ++i)
            if (x[i] != EnglishMessages()[i]) t->insert(std::to_string(i), AnsiToUtf8(x[i]));
        return t;
    } else if constexpr (std::is_same_v<T, std::array<TScript, kEventScriptCount>>) {
        auto t = std::make_unique<toml::table>();
        for (size_t i = 0; i < x.size(); ++i)
            if (!x[i].empty()) t->insert(kEventScriptNames[i], AnsiToUtf8(ScriptToText(x[i])));
        return t;
    } else if constexpr (IsVector<T>::value || IsArray<T>::value) {
        auto arr = std::make_unique<toml::array>();
        size_t used = x.size();
        if constexpr (IsArray<T>::value)
            while (used > 0 && x[used - 1] == typename T::value_type{})
                --used;
        for (size_t i = 0; i < used; ++i)
            arr->push_back(*ToToml(x[i]));
        return arr;
    } else if constexpr (IsOptional<T>::value) {
        return x ? ToToml(*x) : nullptr;
    } else if constexpr (std::is_same_v<T, TControlDefinition>) {
        auto t = std::make_unique<toml::table>(RecordToToml(x));
        if (std::string_view name = ControlKindName(x.kind); !name.empty())
            t->insert_or_assign("kind", std::string(name));
        if (std::string_view name = ControlRoleName(x.role); !name.empty())
            t->insert_or_assign("role", std::string(name));
        return t;
    } else {
        return std::make_unique<toml::table>(RecordToToml(x));
    }
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

} // namespace

bool ReadProject(const std::string& path, TProject& out, std::vector<std::string>& errors) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        errors.push_back(path + ": cannot open the project file");
        return false;
    }
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    TContext ctx{path, SplitLines(text), errors};
    size_t before = errors.size();
    toml::table doc;
    try {
        doc = toml::parse(text, path);
    } catch (const toml::parse_error& e) {
        ctx.Error(int(e.source().begin.line), std::string(e.description()));
        return false;
    }
    TProject project;
    project.package = DefaultOf<TPackage>();
    fs::path base = fs::path(path).parent_path();
    {
        TTomlReader r{doc, "", ctx, {}};
        Describe(r, project.package);
        r.CheckUnknown({"file", "archive"});
    }
    if (const toml::node* a = doc.get("archive")) MembersFromToml(*a, project, base, ctx);
    if (const toml::node* f = doc.get("file")) {
        if (const toml::array* list = f->as_array())
            AddFiles(*list, base, project, ctx);
        else
            ctx.Error(*f, "file", "expected [[file]] entries");
    }
    if (errors.size() != before) return false;
    out = std::move(project);
    return true;
}

namespace {

toml::array MemberListToToml(const std::vector<TArchiveMember>& members) {
    toml::array list;
    for (const TArchiveMember& m : members) {
        toml::table t;
        t.insert("id", int64_t(m.id));
        t.insert("file", m.file);
        if (m.date) t.insert("date", int64_t(*m.date));
        list.push_back(std::move(t));
    }
    return list;
}

} // namespace

std::string WriteProject(const TProject& project) {
    toml::table doc = RecordToToml(project.package);
    // Derived when the package is written; a project need not say them.
    doc.erase("progress");
    if (toml::array* comps = doc["components"].as_array())
        for (toml::node& c : *comps)
            if (toml::table* t = c.as_table()) {
                t->erase("archiveOffset");
                t->erase("archiveSize");
                t->erase("progressStart");
            }
    bool anyComponentArchive = false;
    for (const auto& list : project.componentMembers)
        anyComponentArchive = anyComponentArchive || !list.empty();
    if (!project.members.empty() || project.headerText || project.volumeSize || anyComponentArchive) {
        toml::table archive;
        if (project.headerText) archive.insert("headerText", AnsiToUtf8(*project.headerText));
        if (project.volumeSize) archive.insert("volumeSize", int64_t(project.volumeSize));
        archive.insert("members", MemberListToToml(project.members));
        toml::array comps;
        for (size_t i = 0; i < project.componentMembers.size() && i < project.package.components.size(); ++i)
            if (!project.componentMembers[i].empty()) {
                toml::table t;
                t.insert("component", AnsiToUtf8(project.package.components[i].name));
                t.insert("members", MemberListToToml(project.componentMembers[i]));
                comps.push_back(std::move(t));
            }
        if (!comps.empty()) archive.insert("components", std::move(comps));
        doc.insert("archive", std::move(archive));
    }
    std::ostringstream out;
    out << "# Written by cvndump --project; pack it with cvnpack.\n\n" << toml::toml_formatter(doc) << "\n";
    return out.str();
}

} // namespace cvn::project
