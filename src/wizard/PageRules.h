#pragma once

#include "package/DialogDefinition.h"

#include <string>
#include <string_view>
#include <vector>

namespace cvn {

class TWizardPanel;

// The fields of a "|"-separated text in order; none for an empty text.
std::vector<std::string> SplitBarList(const std::string& text);

// A dialog name as a panel name: each of . space \ / : * ? " < > | , - becomes "_".
std::string CleanDialogName(std::string_view name);
// "CV_" + stem + N for the first N (1 to 30000) that no control of the panel is
// named (any case); empty when all are taken.
std::string UniqueControlName(const TWizardPanel& parent, std::string_view stem);
// "face|size|colour|style|charset": five non-empty fields replace the default's
// values (the face only without keepDefaultFace); anything else gives the default.
TFontRecord ParseFontSpec(std::string_view text, const TFontRecord& defaultFont, bool keepDefaultFace);

// The first definition with this name (any case), or null.
const TDialogDefinition* FindDialog(const std::vector<TDialogDefinition>& dialogs, std::string_view name);

// The page sequence: the dialogs in package order that are not out of sequence.
// The first and last wizard pages are the first and last of them not named "INSTALL".
struct TPageSequence {
    const std::vector<TDialogDefinition>* dialogs = nullptr;
    std::string firstPage;
    std::string lastPage;

    // With no current page the first page; on the last page that page; else the next
    // page after the current one (or after dialogBeforeInstall on "INSTALL").
    std::string NextDialogName(const std::string& current, const std::string& dialogBeforeInstall) const;
    std::string PreviousDialogName(const std::string& current, const std::string& dialogBeforeInstall) const;
};

// A style's rectangle for its pages; the first one registered under a name counts.
struct TPageArea {
    std::string name;
    int left = -1;
    int top = -1;
    int width = -1;
    int height = -1;
};

class TPageAreas {
public:
    void Register(const std::string& name, int left, int width, int height, int top);
    // All four values -1 when the name has no area.
    TPageArea Find(std::string_view name) const;

private:
    std::vector<TPageArea> areas_;
};

} // namespace cvn
