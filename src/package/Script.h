#pragma once

#include "core/ByteReader.h"
#include "core/ByteWriter.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace cvn {

// Parameters and conditions longer than this are cut when read or written.
inline constexpr size_t kMaxStatementText = 1000;

// Stored script texts are XOR-scrambled with this key, byte i with key[i % 10].
inline constexpr std::string_view kScriptKey = "tmq-ribbon";

struct TScriptStatement {
    uint8_t code = 0;
    std::array<std::string, 5> param; // param1..param5; those the code does not store are empty
    std::string condition;            // empty: always

    bool operator==(const TScriptStatement&) const = default;
};

// An ordered statement list; an absent script is an empty one.
using TScript = std::vector<TScriptStatement>;

// Scrambling is its own inverse.
std::string ScrambleScriptText(std::string_view text);

// Stored form: int32 count, then per statement an int32 code (low byte counts),
// the parameters the code's arity says are present, and the condition, each a
// scrambled counted text. Throws FormatError on data that does not fit the reader.
TScriptStatement ReadScriptStatement(ByteReader& r);
TScript ReadScript(ByteReader& r);

void WriteScriptStatement(ByteWriter& w, const TScriptStatement& s);
void WriteScript(ByteWriter& w, const TScript& script);

} // namespace cvn
