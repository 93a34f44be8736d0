#include "PackageJson.h"

#include "PackageFields.h"

#include "package/StatementCodes.h"

#include <cmath>
#include <limits>
#include <optional>
#include <type_traits>
#include <vector>

namespace cvn::json {

namespace {

using namespace cvn::fields;

// ---- printing

template <typename T> Value ToJson(const T& x);

struct Printer {
    Value obj = Value::MakeObject();

    template <typename T> void operator()(const char* key, const T& x) { obj.Set(key, ToJson(x)); }
    template <size_t N> void Prefix(const char* key, const std::array<std::string, N>& a, int n) {
        Value arr = Value::MakeArray();
        for (int i = 0; i < n && size_t(i) < N; ++i)
            arr.Push(Value::Text(a[i]));
        obj.Set(key, std::move(arr));
    }
};

Value StatementToJson(const TScriptStatement& s) {
    Value o = Value::MakeObject();
    o.Set("command", Value::Text(std::string(StatementName(s.code))));
    o.Set("code", Value::Number(s.code));
    Value params = Value::MakeArray();
    for (int i = 0; i < StatementParamCount(s.code); ++i)
        params.Push(Value::Text(s.param[i]));
    o.Set("params", std::move(params));
    o.Set("condition", Value::Text(s.condition));
    return o;
}

template <typename T> Value ToJson(const T& x) {
    if constexpr (std::is_same_v<T, std::string>) {
        return Value::Text(x);
    } else if constexpr (std::is_arithmetic_v<T>) {
        return Value::Number(double(x));
    } else if constexpr (IsVector<T>::value || IsArray<T>::value) {
        Value arr = Value::MakeArray();
        for (const auto& item : x)
            arr.Push(ToJson(item));
        return arr;
    } else if constexpr (IsOptional<T>::value) {
        return x ? ToJson(*x) : Value();
    } else if constexpr (std::is_same_v<T, TScriptStatement>) {
        return StatementToJson(x);
    } else {
        Printer p;
        // Describe takes the record by non-const reference for the parser's sake;
        // the printer only reads it.
        Describe(p, const_cast<T&>(x));
        return std::move(p.obj);
    }
}

// ---- parsing

class ParseError {
public:
    explicit ParseError(std::string m) : message(std::move(m)) {}
    std::string message;
};

[[noreturn]] void Fail(const std::string& path, const std::string& what) {
    throw ParseError((path.empty() ? std::string("top level") : path) + ": " + what);
}

void Expect(const Value& v, Value::Kind kind, const std::string& path) {
    if (v.GetKind() != kind)
        Fail(path,
             std::string("expected ") + Value::KindName(kind) + ", found " + Value::KindName(v.GetKind()));
}

template <typename T> void FromJson(const Value& v, T& x, const std::string& path);

struct Reader {
    const Value& obj;
    const std::string& path;
    std::vector<std::string> seen;

    std::string Sub(const char* key) const { return path.empty() ? key : path + "." + key; }

    template <typename T> void operator()(const char* key, T& x) {
        seen.emplace_back(key);
        if (const Value* v = obj.Find(key)) FromJson(*v, x, Sub(key));
    }
    template <size_t N> void Prefix(const char* key, std::array<std::string, N>& a, int n) {
        seen.emplace_back(key);
        const Value* v = obj.Find(key);
        if (!v) return;
        Expect(*v, Value::Kind::Array, Sub(key));
        if (v->Items().size() > size_t(n))
            Fail(Sub(key), "holds " + std::to_string(v->Items().size()) + " texts, but only " +
                               std::to_string(n) + " are stored for this kind");
        a = {};
        for (size_t i = 0; i < v->Items().size(); ++i)
            FromJson(v->Items()[i], a[i], Sub(key) + "[" + std::to_string(i) + "]");
    }
    void CheckUnknown(const std::vector<std::string>& alsoAllowed = {}) const {
        for (const auto& [k, value] : obj.Members()) {
            bool known = false;
            for (const auto& s : seen)
                known = known || s == k;
            for (const auto& s : alsoAllowed)
                known = known || s == k;
            if (!known) Fail(path, "unknown field \"" + k + "\"");
        }
    }
};

void StatementFromJson(const Value& v, TScriptStatement& s, const std::string& path) {
    Expect(v, Value::Kind::Object, path);
    std::optional<uint8_t> code;
    if (const Value* c = v.Find("command"); c && !(c->IsString() && c->AsString().empty())) {
        Expect(*c, Value::Kind::String, path + ".command");
        code = FindStatementCode(c->AsString());
        if (!code) Fail(path + ".command", "unknown command \"" + c->AsString() + "\"");
    }
    if (const Value* c = v.Find("code")) {
        uint8_t byCode = 0;
        FromJson(*c, byCode, path + ".code");
        if (code && *code != byCode)
            Fail(path, "command and code disagree (" + std::to_string(*code) + " and " +
                           std::to_string(byCode) + ")");
        code = byCode;
    }
    if (!code) Fail(path, "a statement needs a command or a code");
    s = {};
    s.code = *code;
    std::vector<std::string> seen = {"command", "code"};
    Reader r{v, path, std::move(seen)};
    r.Prefix("params", s.param, StatementParamCount(s.code));
    r("condition", s.condition);
    r.CheckUnknown();
}

template <typename Int> void IntegerFromJson(const Value& v, Int& x, const std::string& path) {
    Expect(v, Value::Kind::Number, path);
    double d = v.AsNumber();
    if (std::nearbyint(d) != d) Fail(path, "expected a whole number");
    // int32 fields also take 0x80000000-0xFFFFFFFF written as positive numbers
    // (colours and processor sets read more naturally that way).
    using Wide = std::conditional_t<std::is_same_v<Int, int32_t>, uint32_t, Int>;
    double low = double(std::numeric_limits<Int>::min());
    double high = double(std::numeric_limits<Wide>::max());
    if (d < low || d > high) Fail(path, "number out of range");
    x = d < 0 ? Int(int64_t(d)) : Int(Wide(uint64_t(d)));
}

template <typename T> void FromJson(const Value& v, T& x, const std::string& path) {
    if constexpr (std::is_same_v<T, std::string>) {
        Expect(v, Value::Kind::String, path);
        x = v.AsString();
    } else if constexpr (std::is_same_v<T, double>) {
        Expect(v, Value::Kind::Number, path);
        x = v.AsNumber();
    } else if constexpr (std::is_integral_v<T>) {
        if (v.IsBool())
            x = T(v.AsBool());
        else
            IntegerFromJson(v, x, path);
    } else if constexpr (IsVector<T>::value) {
        Expect(v, Value::Kind::Array, path);
        x.clear();
        x.resize(v.Items().size());
        for (size_t i = 0; i < x.size(); ++i)
            FromJson(v.Items()[i], x[i], path + "[" + std::to_string(i) + "]");
    } else if constexpr (IsArray<T>::value) {
        Expect(v, Value::Kind::Array, path);
        if (v.Items().size() > x.size())
            Fail(path, "holds " + std::to_string(v.Items().size()) + " items, at most " +
                           std::to_string(x.size()) + " are allowed");
        x = {};
        for (size_t i = 0; i < v.Items().size(); ++i)
            FromJson(v.Items()[i], x[i], path + "[" + std::to_string(i) + "]");
    } else if constexpr (IsOptional<T>::value) {
        if (v.GetKind() == Value::Kind::Null) {
            x.reset();
        } else {
            x.emplace();
            FromJson(v, *x, path);
        }
    } else if constexpr (std::is_same_v<T, TScriptStatement>) {
        StatementFromJson(v, x, path);
    } else {
        Expect(v, Value::Kind::Object, path);
        Reader r{v, path, {}};
        Describe(r, x);
        r.CheckUnknown();
    }
}

} // namespace

Value PackageToJson(const TPackage& p, const TPackageLayout* layout) {
    Value out = Value::MakeObject();
    if (layout) {
        Value l = Value::MakeObject();
        l.Set("fileSize", Value::Number(double(layout->fileSize)));
        l.Set("tableOffset", Value::Number(layout->tableOffset));
        l.Set("archiveOffset", Value::Number(layout->archiveOffset));
        l.Set("magic", Value::Number(layout->magic));
        Value sections = Value::MakeArray();
        for (int k = 0; k < kSectionCount; ++k) {
            Value s = Value::MakeObject();
            s.Set("index", Value::Number(k));
            s.Set("name", Value::Text(SectionName(k)));
            s.Set("offset", Value::Number(double(layout->SectionStart(k))));
            s.Set("size", Value::Number(double(layout->SectionSize(k))));
            sections.Push(std::move(s));
        }
        l.Set("sections", std::move(sections));
        out.Set("layout", std::move(l));
    }
    Value pages = Value::MakeObject();
    if (auto range = FindWizardPageRange(p.dialogs)) {
        pages.Set("first", Value::Text(p.dialogs[range->first].name));
        pages.Set("last", Value::Text(p.dialogs[range->last].name));
    }
    out.Set("wizardPages", std::move(pages));
    Value model = ToJson(p);
    for (const auto& [k, v] : model.Members())
        out.Set(k, v);
    return out;
}

bool PackageFromJson(const Value& v, TPackage& out, std::string& error) {
    try {
        Expect(v, Value::Kind::Object, "");
        TPackage p;
        const std::string root;
        Reader r{v, root, {}};
        Describe(r, p);
        r.CheckUnknown({"layout", "wizardPages", "archives"});
        out = std::move(p);
        return true;
    } catch (const ParseError& e) {
        error = e.message;
        return false;
    }
}

} // namespace cvn::json
