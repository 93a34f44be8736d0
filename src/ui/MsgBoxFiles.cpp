#include "ui/MsgBoxFiles.h"

#include "script/SizeText.h"

#include <shellapi.h>

namespace cvn {

namespace {

constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 23;
constexpr int kFiveButtonX[] = {12, 92, 172, 251, 331};
constexpr int kFourButtonX[] = {51, 131, 211, 291};

std::string DateTimeText(const SYSTEMTIME& st) {
    char date[64] = {};
    char time[64] = {};
    GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, date, sizeof date);
    GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &st, nullptr, time, sizeof time);
    return std::string(date) + "   " + time;
}

} // namespace

std::string FileFactsText(uint64_t size, uint32_t dosDateTime) {
    std::string text = SizeText(size, TSizeUnit::Bytes, SystemDecimalSeparator()) + "\r\n";
    FILETIME ft{};
    SYSTEMTIME st{};
    // MS-DOS date-times are local already; an invalid one leaves the date out.
    if (DosDateTimeToFileTime(WORD(dosDateTime >> 16), WORD(dosDateTime & 0xFFFF), &ft) &&
        FileTimeToSystemTime(&ft, &st))
        text += DateTimeText(st);
    return text;
}

std::string ExistingFileText(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return {};
    uint64_t size = (uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    std::string text = SizeText(size, TSizeUnit::Bytes, SystemDecimalSeparator()) + "\r\n";
    FILETIME local{};
    SYSTEMTIME st{};
    if (FileTimeToLocalFileTime(&data.ftLastWriteTime, &local) && FileTimeToSystemTime(&local, &st))
        text += DateTimeText(st);
    return text;
}

TfrmMsgBoxFiles::~TfrmMsgBoxFiles() {
    DestroyForm();
    if (fileIcon_) DestroyIcon(fileIcon_);
}

bool TfrmMsgBoxFiles::Create(HWND owner, const TFontSpec& font) {
    if (!CreateForm(owner, TBorder::Dialog, 418, 269, "*")) return false;
    SetFont(font);
    return true;
}

void TfrmMsgBoxFiles::FormCreate() {
    imgInfo_ = &AddImage(15, 16, 32, 32);
    imgInfo_->icon = LoadIconA(nullptr, IDI_QUESTION);
    lblMsg_ = &AddLabel(59, 12, 349, 41);
    lblMsg_->wordWrap = true;
    lblMsg_->centreVertically = true;
    lblExistent_ = &AddLabel(59, 64, 349, 17);
    imgFile1_ = &AddImage(76, 88, 32, 32);
    lblFile1_ = &AddLabel(120, 88, 285, 32);
    lblFile1_->wordWrap = true;
    lblDestination_ = &AddLabel(59, 140, 349, 17);
    imgFile2_ = &AddImage(76, 164, 32, 32);
    lblFile2_ = &AddLabel(120, 164, 285, 32);
    lblFile2_->wordWrap = true;

    AddButton(btnYes, "&Yes", kFiveButtonX[0], 231, kButtonWidth, kButtonHeight);
    AddButton(btnYesToAll, "Yes To &All", kFiveButtonX[1], 231, kButtonWidth, kButtonHeight);
    AddButton(btnNo, "&No", kFiveButtonX[2], 231, kButtonWidth, kButtonHeight, true);
    AddButton(btnNoToAll, "N&o To All", kFiveButtonX[3], 231, kButtonWidth, kButtonHeight);
    AddButton(btnCancel, "Cancel", kFiveButtonX[4], 231, kButtonWidth, kButtonHeight, false, true);
    OnClick(btnYes, [this] { SetModalResult(mrYes); });
    OnClick(btnYesToAll, [this] { SetModalResult(mrYesToAll); });
    OnClick(btnNo, [this] { SetModalResult(mrNo); });
    OnClick(btnNoToAll, [this] { SetModalResult(mrNoToAll); });
    OnClick(btnCancel, [this] { SetModalResult(mrCancel); });
}

void TfrmMsgBoxFiles::SetFileRowsVisible(bool first, bool second) {
    lblExistent_->visible = first;
    imgFile1_->visible = first && fileIcon_;
    lblFile1_->visible = first;
    lblDestination_->visible = second;
    imgFile2_->visible = second && fileIcon_;
    lblFile2_->visible = second;
}

void TfrmMsgBoxFiles::MoveButtons(int top, bool fourButtons) {
    for (int i = 0; i < 5; ++i) {
        HWND button = Control(btnYes + i);
        int x = kFiveButtonX[i];
        if (fourButtons && i < 4) x = kFourButtonX[i];
        SetWindowPos(button, nullptr, x, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    ShowWindow(Control(btnCancel), fourButtons ? SW_HIDE : SW_SHOW);
}

void TfrmMsgBoxFiles::Prepare(const TMsgBoxFilesTexts& texts, int mode, const std::string& filePath,
                              uint32_t newSize, uint32_t newDosDateTime, bool fourButtons) {
    SetCaption(texts.caption);
    lblMsg_->caption = texts.message;
    lblExistent_->caption = texts.existentLabel;
    lblDestination_->caption = texts.destinationLabel;
    SetControlText(btnYes, texts.yes);
    SetControlText(btnYesToAll, texts.yesToAll);
    SetControlText(btnNo, texts.no);
    SetControlText(btnNoToAll, texts.noToAll);
    SetControlText(btnCancel, texts.cancel);

    int buttonsTop = 64;
    int height = 133;
    if (mode >= mdOneFile) {
        if (fileIcon_) DestroyIcon(fileIcon_);
        fileIcon_ = nullptr;
        // The icon of the shell's small system icon list (16 x 16), drawn at its own
        // size in the 32 x 32 image.
        SHFILEINFOA info{};
        if (SHGetFileInfoA(filePath.c_str(), 0, &info, sizeof info, SHGFI_ICON | SHGFI_SMALLICON) &&
            info.hIcon)
            fileIcon_ = info.hIcon;
        imgFile1_->icon = fileIcon_;
        imgFile2_->icon = fileIcon_;
        int labelX = fileIcon_ ? 120 : 76;
        int labelWidth = fileIcon_ ? 285 : 329;
        lblFile1_->bounds.left = lblFile2_->bounds.left = labelX;
        lblFile1_->bounds.right = lblFile2_->bounds.right = labelX + labelWidth;
        lblFile1_->caption = ExistingFileText(filePath);
        if (mode >= mdTwoFiles) lblFile2_->caption = FileFactsText(newSize, newDosDateTime);
    }
    if (mode == mdOneFile) {
        buttonsTop = 139;
        height = 204;
    } else if (mode >= mdTwoFiles) {
        buttonsTop = 231;
        height = 296;
    }
    SetFileRowsVisible(mode >= mdOneFile, mode >= mdTwoFiles);
    MoveButtons(buttonsTop, fourButtons);
    // The heights are those of the whole window; the client area follows from the frame.
    SetWindowPos(Handle(), nullptr, 0, 0, Width(), height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    CentreOnScreen();
    InvalidateRect(Handle(), nullptr, TRUE);
}

int TfrmMsgBoxFiles::Execute() {
    MessageBeep(MB_ICONASTERISK);
    return ShowModal();
}

int AskOverwrite(HWND owner, const TFontSpec& font, const TMsgBoxFilesTexts& texts, uint32_t newSize,
                 uint32_t newDosDateTime, const std::string& filePath, int mode) {
    TfrmMsgBoxFiles form;
    if (!form.Create(owner, font)) return mrCancel;
    form.Prepare(texts, mode, filePath, newSize, newDosDateTime, false);
    return form.Execute();
}

int AskDelete(HWND owner, const TFontSpec& font, const TMsgBoxFilesTexts& texts,
              const std::string& filePath) {
    TfrmMsgBoxFiles form;
    if (!form.Create(owner, font)) return mrNo;
    form.Prepare(texts, TfrmMsgBoxFiles::mdOneFile, filePath, 0, 0, true);
    return form.Execute();
}

} // namespace cvn
