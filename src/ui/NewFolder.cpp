#include "ui/NewFolder.h"

#include "ui/Application.h"

namespace cvn {

bool TfrmNewFolder::Create(HWND owner, const TFontSpec& font) {
    if (!CreateForm(owner, TBorder::Dialog, 345, 73, "New Folder")) return false;
    SetFont(font);
    CentreOnScreen();
    return true;
}

void TfrmNewFolder::FormCreate() {
    lblFolderName_ = &AddLabel(12, 16, 241, 14, "Folder Name");
    AddEdit(txtFolderName, "", 12, 32, 241, 22);
    AddButton(btnOK, "Add", 260, 32, 75, 20, true);
    OnClick(btnOK, [this] { btnOKClick(); });
}

void TfrmNewFolder::btnOKClick() {
    if (!FolderName().empty()) {
        SetModalResult(mrOk);
        return;
    }
    TApplication::Instance().ShowMessage("You need to type a value in the field " + lblFolderName_->caption +
                                             ".",
                                         MB_OK | MB_ICONINFORMATION, Handle());
}

} // namespace cvn
