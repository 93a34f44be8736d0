#pragma once

#include "PackageRecords.h"
#include "Script.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace cvn {

struct TControlDefinition {
    uint8_t kind = 0;
    std::string variable; // bound variable with its percent signs; empty for none
    uint8_t role = 0;
    int32_t left = 0;
    int32_t top = 0;
    int32_t height = 0;
    int32_t width = 0;
    std::array<std::string, 6> text; // text[0..n-1] stored, n by kind; the rest empty
    TScript eventScript;

    bool operator==(const TControlDefinition&) const = default;
};

struct TDialogDefinition {
    std::string name; // compared case-insensitively
    std::string caption;
    int32_t height = 0;
    int32_t width = 0;
    TFontRecord font;
    uint8_t outOfSequence = 0; // 0: a wizard page in the sequence
    std::string styleName;     // kept whole
    std::vector<TControlDefinition> controls;
    TScript beforeBuildScript;
    TScript afterBuildScript;
    TScript afterShowScript;
    TScript leaveScript;

    bool operator==(const TDialogDefinition&) const = default;
};

// How many texts a control of this kind stores (0 for unknown kinds).
int ControlTextCount(uint8_t kind);

TControlDefinition ReadControlDefinition(ByteReader& r);
void WriteControlDefinition(ByteWriter& w, const TControlDefinition& c);

TDialogDefinition ReadDialogDefinition(ByteReader& r);
void WriteDialogDefinition(ByteWriter& w, const TDialogDefinition& d);

// Section 9: int32 count, then the dialog definitions in package order.
std::vector<TDialogDefinition> ReadDialogSection(ByteReader& r);
void WriteDialogSection(ByteWriter& w, const std::vector<TDialogDefinition>& dialogs);

// The first and last wizard pages: dialogs in the sequence (out-of-sequence
// byte 0) other than the one named "INSTALL" (any case). Indexes into the list;
// nullopt when the package has no such page.
struct TWizardPageRange {
    size_t first = 0;
    size_t last = 0;

    bool operator==(const TWizardPageRange&) const = default;
};
std::optional<TWizardPageRange> FindWizardPageRange(const std::vector<TDialogDefinition>& dialogs);

} // namespace cvn
