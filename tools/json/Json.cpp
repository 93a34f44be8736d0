#include "Json.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace cvn::json {

Value Value::Boolean(bool b) {
    Value v;
    v.kind_ = Kind::Bool;
    v.number_ = b ? 1 : 0;
    return v;
}

Value Value::Number(double n) {
    Value v;
    v.kind_ = Kind::Number;
    v.number_ = n;
    return v;
}

Value Value::Text(std::string s) {
    Value v;
    v.kind_ = Kind::String;
    v.text_ = std::move(s);
    return v;
}

Value Value::MakeArray() {
    Value v;
    v.kind_ = Kind::Array;
    return v;
}

Value Value::MakeObject() {
    Value v;
    v.kind_ = Kind::Object;
    return v;
}

Value& Value::Push(Value v) {
    items_.push_back(std::move(v));
    return items_.back();
}

Value& Value::Set(std::string key, Value v) {
    members_.emplace_back(std::move(key), std::move(v));
    return members_.back().second;
}

const Value* Value::Find(std::string_view key) const {
    for (const auto& [k, v] : members_)
        if (k == key) return &v;
    return nullptr;
}

const char* Value::KindName(Kind k) {
    switch (k) {
    case Kind::Null:
        return "null";
    case Kind::Bool:
        return "a boolean";
    case Kind::Number:
        return "a number";
    case Kind::String:
        return "a string";
    case Kind::Array:
        return "an array";
    case Kind::Object:
        return "an object";
    }
    return "?";
}

namespace {

void PrintString(std::string& out, const std::string& s) {
    out += '"';
    for (unsigned char c : s) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += char(c);
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c < 0x20 || c >= 0x7F) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04X", c);
            out += buf;
        } else {
            out += char(c);
        }
    }
    out += '"';
}

void PrintNumber(std::string& out, double n) {
    if (n == 0) n = 0; // -0 prints as 0, the number a reader gets back
    char buf[32];
    if (std::nearbyint(n) == n && std::fabs(n) < 1e15)
        std::snprintf(buf, sizeof buf, "%.0f", n);
    else
        std::snprintf(buf, sizeof buf, "%.17g", n);
    out += buf;
}

bool IsFlat(const Value& v) {
    for (const auto& item : v.Items())
        if (item.IsArray() || item.IsObject()) return false;
    return true;
}

void PrintValue(std::string& out, const Value& v, int indent) {
    std::string pad(size_t(indent + 1) * 2, ' ');
    switch (v.GetKind()) {
    case Value::Kind::Null:
        out += "null";
        return;
    case Value::Kind::Bool:
        out += v.AsBool() ? "true" : "false";
        return;
    case Value::Kind::Number:
        PrintNumber(out, v.AsNumber());
        return;
    case Value::Kind::String:
        PrintString(out, v.AsString());
        return;
    case Value::Kind::Array:
        if (v.Items().empty()) {
            out += "[]";
            return;
        }
        if (IsFlat(v) && v.Items().size() <= 8) {
            out += '[';
            for (size_t i = 0; i < v.Items().size(); ++i) {
                if (i) out += ", ";
                PrintValue(out, v.Items()[i], indent);
            }
            out += ']';
            return;
        }
        out += "[\n";
        for (size_t i = 0; i < v.Items().size(); ++i) {
            out += pad;
            PrintValue(out, v.Items()[i], indent + 1);
            out += i + 1 < v.Items().size() ? ",\n" : "\n";
        }
        out += std::string(size_t(indent) * 2, ' ') + "]";
        return;
    case Value::Kind::Object:
        if (v.Members().empty()) {
            out += "{}";
            return;
        }
        out += "{\n";
        for (size_t i = 0; i < v.Members().size(); ++i) {
            out += pad;
            PrintString(out, v.Members()[i].first);
            out += ": ";
            PrintValue(out, v.Members()[i].second, indent + 1);
            out += i + 1 < v.Members().size() ? ",\n" : "\n";
        }
        out += std::string(size_t(indent) * 2, ' ') + "}";
        return;
    }
}

// Builds Values from nlohmann's SAX events. Its texts are UTF-8; each code point up to
// 0xFF becomes the byte of that number, so \u00E9 and a UTF-8 "é" both read as 0xE9.
class Builder final : public nlohmann::json_sax<nlohmann::json> {
public:
    std::optional<Value> root;
    std::string error;

    bool null() override { return Add(Value()); }
    bool boolean(bool b) override { return Add(Value::Boolean(b)); }
    bool number_integer(number_integer_t n) override { return Add(Value::Number(double(n))); }
    bool number_unsigned(number_unsigned_t n) override { return Add(Value::Number(double(n))); }
    bool number_float(number_float_t n, const string_t&) override { return Add(Value::Number(n)); }
    bool string(string_t& s) override {
        std::optional<std::string> bytes = Bytes(s);
        return bytes && Add(Value::Text(std::move(*bytes)));
    }
    bool binary(binary_t&) override { return Fail("binary values are not JSON"); }
    bool start_object(std::size_t) override { return Open(Value::MakeObject()); }
    bool key(string_t& k) override {
        std::optional<std::string> bytes = Bytes(k);
        if (!bytes) return false;
        if (open_.back()->Find(*bytes)) return Fail("duplicate key \"" + *bytes + "\"");
        key_ = std::move(*bytes);
        return true;
    }
    bool end_object() override { return Close(); }
    bool start_array(std::size_t) override { return Open(Value::MakeArray()); }
    bool end_array() override { return Close(); }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception& e) override {
        // "[json.exception.parse_error.101] parse error at line 1, column 6: ..." without its tag.
        std::string what = e.what();
        size_t at = what.find("line ");
        return Fail(at == std::string::npos ? what : what.substr(at));
    }

private:
    static constexpr size_t kMaxDepth = 200;

    bool Fail(const std::string& what) {
        if (error.empty()) error = what;
        return false;
    }

    std::optional<std::string> Bytes(const std::string& utf8) {
        std::string out;
        for (size_t i = 0; i < utf8.size();) {
            unsigned char c = static_cast<unsigned char>(utf8[i]);
            // The library has checked the UTF-8: a lead byte and its continuation bytes.
            int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
            uint32_t cp = extra ? c & (0x3F >> extra) : c;
            for (int k = 1; k <= extra; ++k)
                cp = cp << 6 | (static_cast<unsigned char>(utf8[i + size_t(k)]) & 0x3F);
            if (cp > 0xFF) {
                char buf[16];
                std::snprintf(buf, sizeof buf, "U+%04X", unsigned(cp));
                Fail(std::string("character ") + buf + " does not fit a single-byte text");
                return std::nullopt;
            }
            out += char(cp);
            i += size_t(extra) + 1;
        }
        return out;
    }

    // Places a finished value in the open array or object, or as the document.
    Value* Place(Value v) {
        if (open_.empty()) {
            root = std::move(v);
            return &*root;
        }
        Value& parent = *open_.back();
        return parent.IsArray() ? &parent.Push(std::move(v)) : &parent.Set(std::move(key_), std::move(v));
    }
    bool Add(Value v) {
        Place(std::move(v));
        return true;
    }
    bool Open(Value v) {
        if (open_.size() >= kMaxDepth) return Fail("nesting too deep");
        open_.push_back(Place(std::move(v)));
        return true;
    }
    bool Close() {
        open_.pop_back();
        return true;
    }

    // The arrays and objects being filled; each lives in its parent, which is not
    // touched again until it is closed, so the pointers stay valid.
    std::vector<Value*> open_;
    std::string key_;
};

} // namespace

std::string Print(const Value& v) {
    std::string out;
    PrintValue(out, v, 0);
    out += '\n';
    return out;
}

std::optional<Value> Parse(std::string_view text, std::string& error) {
    Builder builder;
    if (!nlohmann::json::sax_parse(text.begin(), text.end(), &builder) || !builder.root) {
        error = builder.error.empty() ? "not a JSON document" : builder.error;
        return std::nullopt;
    }
    return std::move(builder.root);
}

} // namespace cvn::json
