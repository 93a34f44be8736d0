#include "ui/WizardControls.h"

#include "core/Stream.h"
#include "core/SystemLibrary_win.h"
#include "ui/Application.h"
#include "ui/Form.h"
#include "ui/Picture.h"
#include "ui/FolderControls.h"
#include "ui/WizardGraphics.h"
#include "wizard/CheckList.h"

#include <commctrl.h>
#include <richedit.h>
#include <shellapi.h>

#include <algorithm>

namespace cvn {

namespace {

constexpr const char* kPanelClass = "CvnWizardPanel";

LRESULT CALLBACK PanelProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    try {
        switch (msg) {
        case WM_COMMAND:
            if (lp) {
                if (TWinControl* c = TWinControl::FromWindow(reinterpret_cast<HWND>(lp)))
                    c->Command(HIWORD(wp));
                return 0;
            }
            break;
        case WM_DRAWITEM: {
            auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lp);
            if (TWinControl* c = TWinControl::FromWindow(item->hwndItem)) {
                c->DrawItem(*item);
                return TRUE;
            }
            break;
        }
        case WM_NOTIFY: {
            // A press on a link that the licence viewer detected opens it.
            const auto* link = reinterpret_cast<const ENLINK*>(lp);
            if (link->nmhdr.code == EN_LINK && link->msg == WM_LBUTTONDOWN) {
                std::string url(size_t(link->chrg.cpMax - link->chrg.cpMin) + 1, '\0');
                TEXTRANGEA range{link->chrg, url.data()};
                url.resize(size_t(SendMessageA(link->nmhdr.hwndFrom, EM_GETTEXTRANGE, 0,
                                               reinterpret_cast<LPARAM>(&range))));
                ShellExecuteA(hwnd, "open", url.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
                return 1;
            }
            break;
        }
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            if (TWinControl* c = TWinControl::FromWindow(reinterpret_cast<HWND>(lp))) {
                HDC dc = reinterpret_cast<HDC>(wp);
                SetTextColor(dc, c->TextColour());
                SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
                if (c->Transparent()) SetBkMode(dc, TRANSPARENT);
                return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
            }
            break;
        default:
            break;
        }
    } catch (...) {
        // A script behind the control failed; the page stays usable.
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

void RegisterPanelClass() {
    static bool registered = false;
    if (registered) return;
    WNDCLASSA wc{};
    wc.lpfnWndProc = PanelProc;
    wc.hInstance = TApplication::Instance().ModuleInstance();
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kPanelClass;
    RegisterClassA(&wc);
    registered = true;
}

// The rich edit library for licence texts, loaded from the system folder with the
// first viewer and kept for the program's life; the older one when the newer is missing.
const char* RichEditClass() {
    static const char* cls = [] {
        if (LoadSystemLibrary("riched20.dll").Release()) return RICHEDIT_CLASSA;
        if (LoadSystemLibrary("riched32.dll").Release()) return "RICHEDIT";
        return "EDIT";
    }();
    return cls;
}

std::string JoinLines(const std::vector<std::string>& lines) {
    std::string text;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i) text += "\r\n";
        text += lines[i];
    }
    return text;
}

// The check lists' window procedure in front of the list box's own: a press on an
// item's check box or the Space key toggles the item.
LRESULT CALLBACK CheckListProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    TWinControl* c = TWinControl::FromWindow(hwnd);
    WNDPROC base = reinterpret_cast<WNDPROC>(GetPropA(hwnd, "CvnBaseProc"));
    if (c) {
        try {
            if (msg == WM_LBUTTONDOWN) {
                const LRESULT hit = SendMessageA(hwnd, LB_ITEMFROMPOINT, 0, lp);
                RECT item{};
                if (!HIWORD(hit) &&
                    SendMessageA(hwnd, LB_GETITEMRECT, LOWORD(hit), reinterpret_cast<LPARAM>(&item)) !=
                        LB_ERR &&
                    HitsCheckBox(short(LOWORD(lp)) - item.left, int(CheckBoxSize().cx)))
                    c->ToggleItem(int(LOWORD(hit)));
            } else if (msg == WM_KEYDOWN && wp == VK_SPACE) {
                c->ToggleItem(int(SendMessageA(hwnd, LB_GETCURSEL, 0, 0)));
                return 0;
            }
        } catch (...) {
            // The script behind the change failed; the list stays usable.
        }
    }
    return base ? CallWindowProcA(base, hwnd, msg, wp, lp) : DefWindowProcA(hwnd, msg, wp, lp);
}

// The directory list's window procedure in front of the list box's own: Enter opens the
// chosen folder as a double click does, instead of pressing the page's default button.
LRESULT CALLBACK DirListProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    TWinControl* c = TWinControl::FromWindow(hwnd);
    WNDPROC base = reinterpret_cast<WNDPROC>(GetPropA(hwnd, "CvnBaseProc"));
    if (!base) return DefWindowProcA(hwnd, msg, wp, lp);
    if (c && msg == WM_GETDLGCODE && lp) {
        const auto* key = reinterpret_cast<const MSG*>(lp);
        if (key->message == WM_KEYDOWN && key->wParam == VK_RETURN)
            return DLGC_WANTMESSAGE | CallWindowProcA(base, hwnd, msg, wp, lp);
    }
    if (c && msg == WM_KEYDOWN && wp == VK_RETURN) {
        try {
            c->Command(LBN_DBLCLK);
        } catch (...) {
            // The script behind the change failed; the list stays usable.
        }
        return 0;
    }
    return CallWindowProcA(base, hwnd, msg, wp, lp);
}

} // namespace

TWinPanel::TWinPanel(HWND parent, const std::string& name) : TWizardPanel(name) {
    RegisterPanelClass();
    hwnd_ = CreateWindowExA(WS_EX_CONTROLPARENT, kPanelClass, "", WS_CHILD | WS_CLIPSIBLINGS, 0, 0, 10, 10,
                            parent, nullptr, TApplication::Instance().ModuleInstance(), nullptr);
}

TWinPanel::~TWinPanel() {
    controls.clear();
    panels.clear();
    if (hwnd_ && IsWindow(hwnd_)) DestroyWindow(hwnd_);
}

void TWinPanel::SetVisible(bool visible) {
    ShowWindow(hwnd_, visible ? SW_SHOW : SW_HIDE);
}

bool TWinPanel::Visible() const {
    return IsWindowVisible(hwnd_);
}

void TWinPanel::SetBounds(int left, int top, int width, int height) {
    // A style without a page area gives -1: the page keeps the style's whole panel.
    if (left < 0 || top < 0) left = top = 0;
    if (width < 0 || height < 0) {
        RECT r{};
        GetClientRect(GetParent(hwnd_), &r);
        width = r.right, height = r.bottom;
    }
    MoveWindow(hwnd_, left, top, width, height, TRUE);
}

void TWinPanel::SetFont(const TFontRecord&) {
    // Every control gets its own font from its definition.
}

void TWinPanel::Repaint() {
    RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

TWinControl::TWinControl(HWND parent, TControlClass cls, const TControlDefinition& d,
                         const TListPictures* pictures)
    : TWizardControl(cls, d), pictures_(pictures) {
    const char* windowClass = "STATIC";
    DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
    DWORD exStyle = 0;
    int width = d.width, height = d.height;
    switch (cls) {
    case TControlClass::Label:
        style |= SS_NOTIFY | SS_NOPREFIX;
        transparent_ = d.text[2] == "1";
        break;
    case TControlClass::Edit:
        windowClass = "EDIT";
        style |= WS_TABSTOP | ES_AUTOHSCROLL;
        exStyle = WS_EX_CLIENTEDGE;
        break;
    case TControlClass::Button:
        windowClass = "BUTTON";
        style |= WS_TABSTOP | BS_PUSHBUTTON;
        break;
    case TControlClass::CheckBox:
        windowClass = "BUTTON";
        style |= WS_TABSTOP | BS_AUTOCHECKBOX;
        break;
    case TControlClass::RadioButton:
        windowClass = "BUTTON";
        style |= WS_TABSTOP | BS_AUTORADIOBUTTON;
        break;
    case TControlClass::Frame:
        windowClass = GraphicWindowClass();
        break;
    case TControlClass::ListBox:
    case TControlClass::DirList:
        windowClass = "LISTBOX";
        style |= WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT;
        if (cls == TControlClass::ListBox && d.text[5] == "1") style |= LBS_EXTENDEDSEL;
        // The component and program-group lists draw their items themselves.
        if (cls == TControlClass::ListBox && (d.role == 4 || d.role == 2))
            style |= LBS_OWNERDRAWFIXED | LBS_HASSTRINGS;
        // The directory list draws its folder pictures.
        if (cls == TControlClass::DirList) style |= LBS_OWNERDRAWFIXED | LBS_HASSTRINGS;
        exStyle = WS_EX_CLIENTEDGE;
        break;
    case TControlClass::ComboBox:
    case TControlClass::DriveCombo:
        windowClass = "COMBOBOX";
        style |= WS_TABSTOP | WS_VSCROLL |
                 (cls == TControlClass::DriveCombo || d.text[1] == "1" ? CBS_DROPDOWNLIST : CBS_DROPDOWN);
        // The drive combo draws the drives' pictures.
        if (cls == TControlClass::DriveCombo) style |= CBS_OWNERDRAWFIXED | CBS_HASSTRINGS;
        height += 200; // the drop-down part
        break;
    case TControlClass::License:
        windowClass = RichEditClass();
        style |= WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_READONLY;
        exStyle = WS_EX_CLIENTEDGE;
        break;
    case TControlClass::MemoList:
    case TControlClass::NotDeletedList:
        windowClass = "EDIT";
        style |= WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_READONLY;
        exStyle = WS_EX_CLIENTEDGE;
        break;
    case TControlClass::Progress:
        windowClass = PROGRESS_CLASSA;
        style |= PBS_SMOOTH;
        break;
    case TControlClass::Image:
    case TControlClass::ImageButton:
    case TControlClass::Line:
    case TControlClass::Shape:
        windowClass = GraphicWindowClass();
        width = std::max(width, 10);
        height = std::max(height, cls == TControlClass::Line ? 4 : 10);
        break;
    }
    hwnd_ = CreateWindowExA(exStyle, windowClass, "", style, d.left, d.top, width, height, parent, nullptr,
                            TApplication::Instance().ModuleInstance(), nullptr);
    if (!hwnd_) return;
    SetWindowLongPtrA(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    PlaceInZOrder(hwnd_, parent);
    // Check boxes, radio buttons and transparent labels let a picture beneath them show.
    if (cls == TControlClass::CheckBox || cls == TControlClass::RadioButton || transparent_)
        transparentPaint_ = std::make_unique<TTransparentPaint>(hwnd_);
    if ((style & LBS_OWNERDRAWFIXED) && cls == TControlClass::ListBox) {
        SetPropA(hwnd_, "CvnBaseProc", reinterpret_cast<HANDLE>(GetWindowLongPtrA(hwnd_, GWLP_WNDPROC)));
        SetWindowLongPtrA(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CheckListProc));
    }
    if (cls == TControlClass::DirList) {
        SetPropA(hwnd_, "CvnBaseProc", reinterpret_cast<HANDLE>(GetWindowLongPtrA(hwnd_, GWLP_WNDPROC)));
        SetWindowLongPtrA(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(DirListProc));
    }
    if (cls == TControlClass::License) {
        SendMessageA(hwnd_, EM_AUTOURLDETECT, TRUE, 0);
        SendMessageA(hwnd_, EM_SETEVENTMASK, 0, SendMessageA(hwnd_, EM_GETEVENTMASK, 0, 0) | ENM_LINK);
        SendMessageA(hwnd_, EM_SETBKGNDCOLOR, 0, LPARAM(GetSysColor(COLOR_WINDOW)));
    }
}

TWinControl* TWinControl::FromWindow(HWND hwnd) {
    return reinterpret_cast<TWinControl*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
}

TWinControl::~TWinControl() {
    transparentPaint_.reset();
    if (hwnd_ && IsWindow(hwnd_)) {
        SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
        if (HANDLE base = GetPropA(hwnd_, "CvnBaseProc")) {
            SetWindowLongPtrA(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(base));
            RemovePropA(hwnd_, "CvnBaseProc");
        }
        DestroyWindow(hwnd_);
    }
}

bool TWinControl::IsList() const {
    return Class() == TControlClass::ListBox || Class() == TControlClass::DirList;
}

bool TWinControl::IsCombo() const {
    return Class() == TControlClass::ComboBox || Class() == TControlClass::DriveCombo;
}

bool TWinControl::IsMemo() const {
    return Class() == TControlClass::MemoList || Class() == TControlClass::NotDeletedList ||
           Class() == TControlClass::License;
}

void TWinControl::Command(int code) {
    switch (Class()) {
    case TControlClass::Label:
    case TControlClass::Image:
    case TControlClass::ImageButton:
        if (code == STN_CLICKED) FireEvent();
        return;
    case TControlClass::Button:
    case TControlClass::CheckBox:
    case TControlClass::RadioButton:
        if (code == BN_CLICKED) FireEvent();
        return;
    case TControlClass::Edit:
        if (code == EN_CHANGE) FireEvent();
        return;
    case TControlClass::ListBox:
        if (code == LBN_SELCHANGE) {
            UserChangedSelection();
        }
        return;
    case TControlClass::ComboBox:
        if (code == CBN_SELCHANGE || code == CBN_EDITCHANGE) UserChangedSelection();
        return;
    case TControlClass::DriveCombo:
        if (code == CBN_SELCHANGE) {
            int index = int(SendMessageA(hwnd_, CB_GETCURSEL, 0, 0));
            std::vector<std::string> items = Items();
            if (index >= 0 && size_t(index) < items.size())
                folder_ = items[size_t(index)].substr(0, 2) + "\\";
            FireEvent();
        }
        return;
    case TControlClass::DirList:
        if (code == LBN_DBLCLK) {
            int index = int(SendMessageA(hwnd_, LB_GETCURSEL, 0, 0));
            if (index < 0 || size_t(index) >= entryPaths_.size()) return;
            std::string target = entryPaths_[size_t(index)];
            SetFolder(target);
            FireEvent();
        }
        return;
    default:
        return;
    }
}

void TWinControl::SetText(const std::string& text) {
    if (IsCombo() && Class() == TControlClass::ComboBox) {
        SetWindowTextA(hwnd_, text.c_str());
        return;
    }
    if (IsMemo() || IsList()) return;
    // The same text again is no change: a text box reports none.
    if (Text() != text) SetWindowTextA(hwnd_, text.c_str());
}

std::string TWinControl::Text() const {
    int length = GetWindowTextLengthA(hwnd_);
    std::string text(size_t(length) + 1, '\0');
    GetWindowTextA(hwnd_, text.data(), length + 1);
    text.resize(size_t(length));
    return text;
}

void TWinControl::SetEnabled(bool enabled) {
    EnableWindow(hwnd_, enabled);
}

void TWinControl::SetFont(const TFontRecord& font) {
    TFontSpec face = FontSpecFromRecord(font);
    // Drawn over a picture through a colour key, smoothed edges would keep a rim of the
    // background they were blended with.
    if (transparentPaint_) face.quality = NONANTIALIASED_QUALITY;
    colour_ = face.color;
    font_ = CreateFontFromSpec(face);
    SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), TRUE);
    UpdateItemHeight();
}

void TWinControl::UpdateItemHeight() {
    if (Class() == TControlClass::DriveCombo) {
        const int height = FolderEntryHeight(hwnd_, static_cast<HFONT>(font_.Get()));
        SendMessageA(hwnd_, CB_SETITEMHEIGHT, WPARAM(-1), height); // the selection field
        SendMessageA(hwnd_, CB_SETITEMHEIGHT, 0, height);
        return;
    }
    if (!(GetWindowLongA(hwnd_, GWL_STYLE) & LBS_OWNERDRAWFIXED)) return;
    if (Class() == TControlClass::DirList) {
        SendMessageA(hwnd_, LB_SETITEMHEIGHT, 0, FolderEntryHeight(hwnd_, static_cast<HFONT>(font_.Get())));
        return;
    }
    HDC dc = GetDC(hwnd_);
    HGDIOBJ old = SelectObject(dc, font_ ? font_.Get() : GetStockObject(DEFAULT_GUI_FONT));
    SIZE text{};
    GetTextExtentPoint32A(dc, "Wg", 2, &text);
    SelectObject(dc, old);
    ReleaseDC(hwnd_, dc);
    const int pictureHeight = pictures_ && !pictures_->Empty() ? TListPictures::kSize : 0;
    const int height = CheckListItemHeight(int(text.cy), pictureHeight, int(CheckBoxSize().cy), look_);
    SendMessageA(hwnd_, LB_SETITEMHEIGHT, 0, height);
}

void TWinControl::Repaint() {
    InvalidateRect(hwnd_, nullptr, TRUE);
    UpdateWindow(hwnd_);
}

void TWinControl::SetChecked(bool checked) {
    SendMessageA(hwnd_, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool TWinControl::Checked() const {
    return SendMessageA(hwnd_, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void TWinControl::SetItems(const std::vector<std::string>& items) {
    if (IsMemo()) {
        SetWindowTextA(hwnd_, JoinLines(items).c_str());
        return;
    }
    objects_.clear();
    const UINT reset = IsList() ? LB_RESETCONTENT : CB_RESETCONTENT;
    const UINT add = IsList() ? LB_ADDSTRING : CB_ADDSTRING;
    SendMessageA(hwnd_, reset, 0, 0);
    for (const std::string& item : items)
        SendMessageA(hwnd_, add, 0, reinterpret_cast<LPARAM>(item.c_str()));
}

std::vector<std::string> TWinControl::Items() const {
    std::vector<std::string> items;
    if (IsMemo()) {
        const std::string text = Text();
        for (size_t start = 0; start < text.size();) {
            const size_t end = text.find("\r\n", start);
            items.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
            if (end == std::string::npos) break;
            start = end + 2;
        }
        return items;
    }
    if (!objects_.empty()) {
        for (const TItemObject& item : objects_)
            items.push_back(item.name);
        return items;
    }
    const int count = int(SendMessageA(hwnd_, IsList() ? LB_GETCOUNT : CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i)
        items.push_back(WindowItemText(i));
    return items;
}

std::string TWinControl::WindowItemText(int index) const {
    const int length = int(SendMessageA(hwnd_, IsList() ? LB_GETTEXTLEN : CB_GETLBTEXTLEN, WPARAM(index), 0));
    std::string text(size_t(length > 0 ? length : 0) + 1, '\0');
    SendMessageA(hwnd_, IsList() ? LB_GETTEXT : CB_GETLBTEXT, WPARAM(index),
                 reinterpret_cast<LPARAM>(text.data()));
    text.resize(size_t(length > 0 ? length : 0));
    return text;
}

void TWinControl::SetSelected(int index, bool selected) {
    if (IsCombo()) {
        if (selected) SendMessageA(hwnd_, CB_SETCURSEL, WPARAM(index), 0);
        return;
    }
    if (GetWindowLongA(hwnd_, GWL_STYLE) & LBS_EXTENDEDSEL)
        SendMessageA(hwnd_, LB_SETSEL, selected, LPARAM(index));
    else if (selected)
        SendMessageA(hwnd_, LB_SETCURSEL, WPARAM(index), 0);
    else if (SelectedIndex() == index)
        SendMessageA(hwnd_, LB_SETCURSEL, WPARAM(-1), 0);
}

bool TWinControl::Selected(int index) const {
    if (IsCombo()) return SelectedIndex() == index;
    return SendMessageA(hwnd_, LB_GETSEL, WPARAM(index), 0) > 0;
}

int TWinControl::SelectedIndex() const {
    if (IsCombo()) return int(SendMessageA(hwnd_, CB_GETCURSEL, 0, 0));
    if (GetWindowLongA(hwnd_, GWL_STYLE) & LBS_EXTENDEDSEL) {
        const int count = int(SendMessageA(hwnd_, LB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i)
            if (Selected(i)) return i;
        return -1;
    }
    return int(SendMessageA(hwnd_, LB_GETCURSEL, 0, 0));
}

void TWinControl::SetItemObjects(const std::vector<TItemObject>& items, const TListLook& look) {
    SendMessageA(hwnd_, LB_RESETCONTENT, 0, 0);
    objects_ = items;
    look_ = look;
    UpdateItemHeight();
    for (const TItemObject& item : items)
        SendMessageA(hwnd_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.name.c_str()));
}

bool TWinControl::ItemEnabled(const TItemObject& item) const {
    return CheckListItemEnabled(item, look_, IsWindowEnabled(hwnd_));
}

void TWinControl::ToggleItem(int index) {
    if (index < 0 || size_t(index) >= objects_.size() || !look_.showChecks) return;
    TItemObject& item = objects_[size_t(index)];
    if (item.locked || !ItemEnabled(item)) return;
    item.state = NextCheckState(item.state, look_.allowGrayed);
    RECT row{};
    if (SendMessageA(hwnd_, LB_GETITEMRECT, WPARAM(index), reinterpret_cast<LPARAM>(&row)) != LB_ERR)
        InvalidateRect(hwnd_, &row, TRUE);
    FireEvent();
}

void TWinControl::DrawItem(const DRAWITEMSTRUCT& d) {
    if (d.itemID == UINT(-1)) return;
    if (Class() == TControlClass::DirList) {
        if (d.itemID < entryDepths_.size())
            DrawFolderEntry(d, WindowItemText(int(d.itemID)), entryDepths_[d.itemID], d.itemID < openEntries_,
                            static_cast<HFONT>(font_.Get()));
        return;
    }
    if (Class() == TControlClass::DriveCombo) {
        DrawDriveEntry(d, WindowItemText(int(d.itemID)), static_cast<HFONT>(font_.Get()));
        return;
    }
    if (d.itemID < objects_.size()) {
        // A disabled item whose check box is hidden cannot stay chosen: it is unchecked
        // the first time it is drawn, and the list reports the change.
        TItemObject& item = objects_[d.itemID];
        if (!look_.showDisabledChecks && item.state != 0 && !ItemEnabled(item)) {
            item.state = 0;
            FireEvent();
        }
    }
    const TItemObject* item = d.itemID < objects_.size() ? &objects_[d.itemID] : nullptr;
    DrawCheckListItem(hwnd_, d, item, look_, !item || ItemEnabled(*item), static_cast<HFONT>(font_.Get()),
                      pictures_);
}

void TWinControl::SetReadOnly(bool readOnly) {
    if (Class() == TControlClass::Edit) SendMessageA(hwnd_, EM_SETREADONLY, readOnly, 0);
}

void TWinControl::SetButtonKind(int kind) {
    if (kind == 2) SendMessageA(hwnd_, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
}

void TWinControl::SetProgress(int position) {
    SendMessageA(hwnd_, PBM_SETPOS, WPARAM(position), 0);
}

void TWinControl::SetProgressMaximum(int maximum) {
    SendMessageA(hwnd_, PBM_SETRANGE32, 0, LPARAM(maximum));
}

void TWinControl::LoadPicture(const std::string& path) {
    picture_ = LoadPictureFile(path);
    RepaintGraphic();
}

void TWinControl::RepaintGraphic() {
    // The controls over the picture or shape paint again too: they show it through.
    HWND parent = GetParent(hwnd_);
    RECT r{};
    GetWindowRect(hwnd_, &r);
    MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
    RedrawWindow(parent, &r, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void TWinControl::ShowApplicationIcon() {
    HICON icon = LoadIconA(TApplication::Instance().ModuleInstance(), "MAINICON");
    const int width = GetSystemMetrics(SM_CXICON), height = GetSystemMetrics(SM_CYICON);
    HDC screen = GetDC(hwnd_);
    GdiObject bitmap(CreateCompatibleBitmap(screen, width, height));
    {
        TMemoryDC memory(screen, static_cast<HBITMAP>(bitmap.Get()));
        RECT all{0, 0, width, height};
        FillRect(memory.Get(), &all, GetSysColorBrush(COLOR_BTNFACE));
        if (icon) DrawIcon(memory.Get(), 0, 0, icon);
    }
    ReleaseDC(hwnd_, screen);
    picture_ = std::move(bitmap);
    RepaintGraphic();
}

void TWinControl::SetImageFlags(bool stretch, bool transparent, bool border) {
    stretch_ = stretch;
    pictureTransparent_ = transparent;
    border_ = border;
    RepaintGraphic();
}

void TWinControl::SetShape(int shape, int penColour, int brushColour) {
    shape_ = shape;
    pen_ = ColourFromNumber(penColour);
    brush_ = ColourFromNumber(brushColour);
    RepaintGraphic();
}

void TWinControl::LoadTextFile(const std::string& path) {
    auto in = FileInputStream::Open(path);
    if (!in) return;
    std::string text(size_t(in->Size()), '\0');
    text.resize(in->Read(text.data(), text.size()));
    SetWindowTextA(hwnd_, text.c_str());
}

void TWinControl::SetFolder(const std::string& folder) {
    folder_ = folder;
    if (Class() == TControlClass::DriveCombo) {
        SendMessageA(hwnd_, CB_RESETCONTENT, 0, 0);
        const DWORD drives = GetLogicalDrives();
        int chosen = -1, n = 0;
        for (int i = 0; i < 26; ++i) {
            if (!(drives & (1u << i))) continue;
            const std::string item = DriveText(char('a' + i));
            SendMessageA(hwnd_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
            if (!folder.empty() && (folder[0] | 0x20) == item[0]) chosen = n;
            ++n;
        }
        SendMessageA(hwnd_, CB_SETCURSEL, WPARAM(chosen), 0);
        return;
    }
    // The directory list: the folder's path from the root down, then its subfolders.
    SendMessageA(hwnd_, LB_RESETCONTENT, 0, 0);
    entryPaths_.clear();
    entryDepths_.clear();
    std::string path = folder;
    while (path.size() > 3 && path.back() == '\\')
        path.pop_back();
    int depth = 0;
    size_t start = 0;
    while (start < path.size()) {
        size_t slash = path.find('\\', start);
        std::string part = path.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
        if (!part.empty()) {
            SendMessageA(hwnd_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(part.c_str()));
            entryPaths_.push_back(depth == 0 ? part + "\\" : path.substr(0, slash));
            entryDepths_.push_back(depth++);
        }
        if (slash == std::string::npos) break;
        start = slash + 1;
    }
    openEntries_ = entryPaths_.size();
    SendMessageA(hwnd_, LB_SETCURSEL, WPARAM(depth - 1), 0);
    WIN32_FIND_DATAA data;
    std::string pattern = (path.back() == '\\' ? path : path + "\\") + "*";
    HANDLE find = FindFirstFileA(pattern.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        const std::string name = data.cFileName;
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || name == "." || name == "..") continue;
        SendMessageA(hwnd_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
        entryPaths_.push_back((path.back() == '\\' ? path : path + "\\") + name);
        entryDepths_.push_back(depth);
    } while (FindNextFileA(find, &data));
    FindClose(find);
}

} // namespace cvn
