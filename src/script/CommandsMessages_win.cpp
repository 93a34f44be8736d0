#include "script/CommandPlatform.h"
#include "script/SystemValues.h"

#include <windows.h>

namespace cvn {

namespace {

UINT IconFlag(TMessageIcon icon) {
    switch (icon) {
    case TMessageIcon::Question:
        return MB_ICONQUESTION;
    case TMessageIcon::Information:
        return MB_ICONINFORMATION;
    case TMessageIcon::Error:
        return MB_ICONERROR;
    case TMessageIcon::Warning:
        return MB_ICONWARNING;
    case TMessageIcon::None:
        break;
    }
    return 0;
}

class TWinMessageBoxes final : public TMessageBoxes {
public:
    explicit TWinMessageBoxes(TSystemValues& system) : system_(&system) {}

    void ShowMessage(const std::string& title, const std::string& text, TMessageIcon icon) override {
        MessageBoxA(Owner(), text.c_str(), title.c_str(), MB_OK | IconFlag(icon));
    }
    bool AskYesNo(const std::string& title, const std::string& text, TMessageIcon icon,
                  bool noIsDefault) override {
        UINT flags = MB_YESNO | IconFlag(icon) | (noIsDefault ? MB_DEFBUTTON2 : MB_DEFBUTTON1);
        return MessageBoxA(Owner(), text.c_str(), title.c_str(), flags) == IDYES;
    }

private:
    // The active form, or else the application's main window.
    HWND Owner() const {
        uintptr_t owner = system_->ActiveDialogHandle();
        if (!owner) owner = system_->MainWindowHandle();
        return reinterpret_cast<HWND>(owner);
    }

    TSystemValues* system_;
};

} // namespace

std::unique_ptr<TMessageBoxes> CreateWinMessageBoxes(TSystemValues& system) {
    return std::make_unique<TWinMessageBoxes>(system);
}

} // namespace cvn
