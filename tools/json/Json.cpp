#include "Json.h"

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

class Parser {
public:
    explicit Parser(std::string_view text) : s_(text) {}

    std::optional<Value> Document(std::string& error) {
        std::optional<Value> v = ParseValue(0);
        if (v) {
            SkipSpace();
            if (pos_ != s_.size()) Error("unexpected text after the document");
        }
        if (!error_.empty()) {
            error = error_;
            return std::nullopt;
        }
        return v;
    }

private:
    static constexpr int kMaxDepth = 200;

    void Error(const std::string& what) {
        if (!error_.empty()) return;
        size_t line = 1, col = 1;
        for (size_t i = 0; i < pos_ && i < s_.size(); ++i) {
            if (s_[i] == '\n') {
                ++line;
                col = 1;
            } else {
                ++col;
            }
        }
        error_ = "line " + std::to_string(line) + ", column " + std::to_string(col) + ": " + what;
    }

    void SkipSpace() {
        while (pos_ < s_.size() &&
               (s_[pos_] == ' ' || s_[pos_] == '\t' || s_[pos_] == '\n' || s_[pos_] == '\r'))
            ++pos_;
    }

    bool Literal(std::string_view word) {
        if (s_.substr(pos_, word.size()) != word) return false;
        pos_ += word.size();
        return true;
    }

    std::optional<Value> ParseValue(int depth) {
        if (depth > kMaxDepth) {
            Error("nesting too deep");
            return std::nullopt;
        }
        SkipSpace();
        if (pos_ >= s_.size()) {
            Error("unexpected end of the document");
            return std::nullopt;
        }
        char c = s_[pos_];
        if (c == '{') return ParseObject(depth);
        if (c == '[') return ParseArray(depth);
        if (c == '"') {
            std::string text;
            if (!ParseString(text)) return std::nullopt;
            return Value::Text(std::move(text));
        }
        if (Literal("true")) return Value::Boolean(true);
        if (Literal("false")) return Value::Boolean(false);
        if (Literal("null")) return Value();
        if (c == '-' || (c >= '0' && c <= '9')) return ParseNumber();
        Error(std::string("unexpected character '") + c + "'");
        return std::nullopt;
    }

    std::optional<Value> ParseNumber() {
        size_t start = pos_;
        if (s_[pos_] == '-') ++pos_;
        auto digits = [&] {
            size_t from = pos_;
            while (pos_ < s_.size() && s_[pos_] >= '0' && s_[pos_] <= '9')
                ++pos_;
            return pos_ > from;
        };
        bool ok = digits();
        if (ok && pos_ < s_.size() && s_[pos_] == '.') {
            ++pos_;
            ok = digits();
        }
        if (ok && pos_ < s_.size() && (s_[pos_] == 'e' || s_[pos_] == 'E')) {
            ++pos_;
            if (pos_ < s_.size() && (s_[pos_] == '+' || s_[pos_] == '-')) ++pos_;
            ok = digits();
        }
        if (!ok) {
            Error("malformed number");
            return std::nullopt;
        }
        std::string text(s_.substr(start, pos_ - start));
        return Value::Number(std::strtod(text.c_str(), nullptr));
    }

    bool Hex4(uint32_t& out) {
        if (pos_ + 4 > s_.size()) return false;
        out = 0;
        for (int i = 0; i < 4; ++i) {
            char c = s_[pos_++];
            out <<= 4;
            if (c >= '0' && c <= '9')
                out |= uint32_t(c - '0');
            else if (c >= 'a' && c <= 'f')
                out |= uint32_t(c - 'a' + 10);
            else if (c >= 'A' && c <= 'F')
                out |= uint32_t(c - 'A' + 10);
            else
                return false;
        }
        return true;
    }

    // One UTF-8 sequence starting at pos_; false when malformed.
    bool Utf8(uint32_t& cp) {
        unsigned char c = static_cast<unsigned char>(s_[pos_]);
        int extra = c >= 0xF8 ? -1 : c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : -1;
        if (extra < 0 || s_.size() - pos_ <= size_t(extra)) return false;
        cp = c & (0x3F >> extra);
        for (int i = 1; i <= extra; ++i) {
            unsigned char d = static_cast<unsigned char>(s_[pos_ + size_t(i)]);
            if ((d & 0xC0) != 0x80) return false;
            cp = cp << 6 | (d & 0x3F);
        }
        pos_ += size_t(extra) + 1;
        return true;
    }

    bool ParseString(std::string& out) {
        ++pos_; // opening quote
        while (true) {
            if (pos_ >= s_.size()) {
                Error("unterminated string");
                return false;
            }
            unsigned char c = static_cast<unsigned char>(s_[pos_]);
            if (c == '"') {
                ++pos_;
                return true;
            }
            if (c < 0x20) {
                Error("control character in a string");
                return false;
            }
            uint32_t cp = c;
            if (c == '\\') {
                if (++pos_ >= s_.size()) {
                    Error("unterminated string");
                    return false;
                }
                char e = s_[pos_++];
                switch (e) {
                case '"':
                case '\\':
                case '/':
                    cp = uint32_t(e);
                    break;
                case 'b':
                    cp = '\b';
                    break;
                case 'f':
                    cp = '\f';
                    break;
                case 'n':
                    cp = '\n';
                    break;
                case 'r':
                    cp = '\r';
                    break;
                case 't':
                    cp = '\t';
                    break;
                case 'u':
                    if (!Hex4(cp)) {
                        Error("malformed \\u escape");
                        return false;
                    }
                    break;
                default:
                    Error(std::string("unknown escape \\") + e);
                    return false;
                }
            } else if (c >= 0x80) {
                if (!Utf8(cp)) {
                    Error("malformed UTF-8 in a string");
                    return false;
                }
            } else {
                ++pos_;
            }
            if (cp > 0xFF) {
                Error("character U+" + std::to_string(cp) + " does not fit a single-byte text");
                return false;
            }
            out += char(cp);
        }
    }

    std::optional<Value> ParseArray(int depth) {
        ++pos_;
        Value arr = Value::MakeArray();
        SkipSpace();
        if (pos_ < s_.size() && s_[pos_] == ']') {
            ++pos_;
            return arr;
        }
        while (true) {
            std::optional<Value> item = ParseValue(depth + 1);
            if (!item) return std::nullopt;
            arr.Push(std::move(*item));
            SkipSpace();
            if (pos_ < s_.size() && s_[pos_] == ',') {
                ++pos_;
                continue;
            }
            if (pos_ < s_.size() && s_[pos_] == ']') {
                ++pos_;
                return arr;
            }
            Error("expected ',' or ']' in an array");
            return std::nullopt;
        }
    }

    std::optional<Value> ParseObject(int depth) {
        ++pos_;
        Value obj = Value::MakeObject();
        SkipSpace();
        if (pos_ < s_.size() && s_[pos_] == '}') {
            ++pos_;
            return obj;
        }
        while (true) {
            SkipSpace();
            if (pos_ >= s_.size() || s_[pos_] != '"') {
                Error("expected a key string");
                return std::nullopt;
            }
            std::string key;
            if (!ParseString(key)) return std::nullopt;
            if (obj.Find(key)) {
                Error("duplicate key \"" + key + "\"");
                return std::nullopt;
            }
            SkipSpace();
            if (pos_ >= s_.size() || s_[pos_] != ':') {
                Error("expected ':' after a key");
                return std::nullopt;
            }
            ++pos_;
            std::optional<Value> v = ParseValue(depth + 1);
            if (!v) return std::nullopt;
            obj.Set(std::move(key), std::move(*v));
            SkipSpace();
            if (pos_ < s_.size() && s_[pos_] == ',') {
                ++pos_;
                continue;
            }
            if (pos_ < s_.size() && s_[pos_] == '}') {
                ++pos_;
                return obj;
            }
            Error("expected ',' or '}' in an object");
            return std::nullopt;
        }
    }

    std::string_view s_;
    size_t pos_ = 0;
    std::string error_;
};

} // namespace

std::string Print(const Value& v) {
    std::string out;
    PrintValue(out, v, 0);
    out += '\n';
    return out;
}

std::optional<Value> Parse(std::string_view text, std::string& error) {
    return Parser(text).Document(error);
}

} // namespace cvn::json
