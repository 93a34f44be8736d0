#pragma once

#include "ui/Form.h"

#include <cstdint>
#include <string>

namespace cvn {

// What the overwrite prompt shows: the question, the captions and the files.
struct TMsgBoxFilesTexts {
    std::string caption;
    std::string message;
    std::string existentLabel;    // above the existing file
    std::string destinationLabel; // above the file from the package
    std::string yes, yesToAll, no, noToAll, cancel;
};

// The overwrite prompt: a question with up to two file rows (the existing file and
// the one that would replace it) and five buttons, or four without Cancel.
class TfrmMsgBoxFiles : public TForm {
public:
    enum TControlId : int { btnYes = 101, btnYesToAll, btnNo, btnNoToAll, btnCancel };
    // 0: the message only; 1: the existing file; 2: the existing and the new file.
    enum TMode : int { mdTextOnly = 0, mdOneFile = 1, mdTwoFiles = 2 };

    ~TfrmMsgBoxFiles() override;

    bool Create(HWND owner, const TFontSpec& font);
    // Fills in the texts and the file facts, then lays the window out for `mode`.
    void Prepare(const TMsgBoxFilesTexts& texts, int mode, const std::string& filePath, uint32_t newSize,
                 uint32_t newDosDateTime, bool fourButtons);
    // Beeps and shows the window modally; returns its modal result.
    int Execute();

    const TLabel& Message() const { return *lblMsg_; }
    const TLabel& File1() const { return *lblFile1_; }
    const TLabel& File2() const { return *lblFile2_; }
    const TImage& Image1() const { return *imgFile1_; }
    const TImage& Image2() const { return *imgFile2_; }
    const TLabel& Existent() const { return *lblExistent_; }
    const TLabel& Destination() const { return *lblDestination_; }

protected:
    void FormCreate() override;

private:
    void SetFileRowsVisible(bool first, bool second);
    void MoveButtons(int top, bool fourButtons);

    TImage* imgInfo_ = nullptr;
    TLabel* lblMsg_ = nullptr;
    TLabel* lblExistent_ = nullptr;
    TImage* imgFile1_ = nullptr;
    TLabel* lblFile1_ = nullptr;
    TLabel* lblDestination_ = nullptr;
    TImage* imgFile2_ = nullptr;
    TLabel* lblFile2_ = nullptr;
    HICON fileIcon_ = nullptr; // owned
};

// Size and modification time of a file as the prompt writes them: the size text, a
// line break, the date, three spaces and the time. Empty when the file is missing.
std::string ExistingFileText(const std::string& path);
// The same for a size and an MS-DOS date-time (local time).
std::string FileFactsText(uint64_t size, uint32_t dosDateTime);

// The overwrite prompt with all five buttons; returns mrYes, mrYesToAll, mrNo,
// mrNoToAll or mrCancel.
int AskOverwrite(HWND owner, const TFontSpec& font, const TMsgBoxFilesTexts& texts, uint32_t newSize,
                 uint32_t newDosDateTime, const std::string& filePath, int mode);
// The four-button form (no Cancel) for one existing file, used before deleting it.
int AskDelete(HWND owner, const TFontSpec& font, const TMsgBoxFilesTexts& texts, const std::string& filePath);

} // namespace cvn
