#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace cvn::json {

// A JSON value for the package tools. Objects keep their keys in insertion
// order so that the inspector prints fields in stored order.
//
// Texts of the package are single-byte; in JSON each byte stands for the code
// point of the same number (0x00-0xFF), so every byte value survives a round
// trip. Printing escapes bytes from 0x80 up as \u0080-\u00FF; parsing (through
// nlohmann-json) accepts them escaped or as UTF-8, and refuses code points above 0xFF.
class Value {
public:
    enum class Kind { Null, Bool, Number, String, Array, Object };

    Value() = default;
    static Value Boolean(bool b);
    static Value Number(double n);
    static Value Text(std::string s);
    static Value MakeArray();
    static Value MakeObject();

    Kind GetKind() const { return kind_; }
    bool IsNumber() const { return kind_ == Kind::Number; }
    bool IsString() const { return kind_ == Kind::String; }
    bool IsArray() const { return kind_ == Kind::Array; }
    bool IsObject() const { return kind_ == Kind::Object; }
    bool IsBool() const { return kind_ == Kind::Bool; }

    double AsNumber() const { return number_; }
    bool AsBool() const { return number_ != 0; }
    const std::string& AsString() const { return text_; }
    const std::vector<Value>& Items() const { return items_; }
    const std::vector<std::pair<std::string, Value>>& Members() const { return members_; }

    // Array and object building.
    Value& Push(Value v);
    Value& Set(std::string key, Value v);
    // Object lookup; null when absent.
    const Value* Find(std::string_view key) const;

    static const char* KindName(Kind k);

private:
    Kind kind_ = Kind::Null;
    double number_ = 0;
    std::string text_;
    std::vector<Value> items_;
    std::vector<std::pair<std::string, Value>> members_;
};

// Pretty-printed with two-space indentation and a final newline.
std::string Print(const Value& v);

// Parses a whole document; on failure returns nullopt and sets `error` (a syntax
// error with its line and column).
std::optional<Value> Parse(std::string_view text, std::string& error);

} // namespace cvn::json
