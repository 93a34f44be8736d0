#pragma once

#include "ui/Form.h"

#include <string>

namespace cvn {

// Asks for the name of a folder to create; "Add" closes with OK only when a name is typed.
class TfrmNewFolder : public TForm {
public:
    enum TControlId : int { txtFolderName = 101, btnOK };

    ~TfrmNewFolder() override { DestroyForm(); }
    bool Create(HWND owner, const TFontSpec& font);
    std::string FolderName() const { return ControlText(txtFolderName); }
    const TLabel& FolderNameLabel() const { return *lblFolderName_; }

protected:
    void FormCreate() override;

private:
    void btnOKClick();

    TLabel* lblFolderName_ = nullptr;
};

} // namespace cvn
