#pragma once

#include "core/Handle_win.h"
#include "package/PackageRecords.h"

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace cvn {

// Results of a modal form, with the values the setup's callers compare against.
enum TModalResult : int {
    mrNone = 0,
    mrOk = 1,
    mrCancel = 2,
    mrAbort = 3,
    mrYes = 6,
    mrNo = 7,
    mrNoToAll = 9,
    mrYesToAll = 10,
};

// A font described the way forms and packages describe fonts.
struct TFontSpec {
    std::string face = "Arial";
    int points = 8;
    COLORREF color = RGB(0, 0, 0);
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    BYTE charset = DEFAULT_CHARSET;
    BYTE quality = DEFAULT_QUALITY;
};

GdiObject CreateFontFromSpec(const TFontSpec& font);

// A package colour: 0x00BBGGRR, or a system colour as 0x80000000 + its index.
COLORREF ColourFromRecord(int32_t colour);

// The form's font description of a package font record; an empty face or size keeps
// the default.
TFontSpec FontSpecFromRecord(const TFontRecord& record);

// A windowless text element painted by its form (no window handle of its own), so
// that it can be transparent over a picture.
struct TLabel {
    RECT bounds{};
    std::string caption;
    HFONT font = nullptr;         // null: the form's font
    COLORREF color = CLR_INVALID; // CLR_INVALID: the form font's colour
    bool transparent = true;
    COLORREF background = CLR_INVALID; // used when not transparent; CLR_INVALID: the form colour
    bool wordWrap = false;
    UINT align = DT_LEFT; // DT_LEFT, DT_CENTER or DT_RIGHT
    bool centreVertically = false;
    bool visible = true;
};

// A windowless picture painted by its form.
struct TImage {
    RECT bounds{};
    HBITMAP bitmap = nullptr; // not owned
    HICON icon = nullptr;     // not owned; drawn instead of a bitmap when set
    bool stretch = false;     // fills the bounds; otherwise drawn at its own size
    bool transparent = false; // the bottom-left pixel's colour is not drawn
    bool visible = true;
};

// Base of every fixed window of the setup. One window procedure forwards to the
// virtual handlers (`FormCreate`, `FormCloseQuery`, ...) and to the click handlers
// that derived forms bind to their buttons (`btnOKClick`). No exception leaves the
// window procedure.
class TForm {
public:
    enum class TBorder { Dialog, None, ToolWindow };

    TForm();
    virtual ~TForm();
    TForm(const TForm&) = delete;
    TForm& operator=(const TForm&) = delete;

    // Creates the window (hidden) with the given client size and runs FormCreate.
    bool CreateForm(HWND owner, TBorder border, int clientWidth, int clientHeight, const std::string& caption,
                    DWORD extraExStyle = 0);
    HWND Handle() const { return hwnd_; }
    // Destroys the window, running FormDestroy. Forms whose FormDestroy matters call
    // this from their own destructor, while their part of the object still exists.
    void DestroyForm();

    void SetCaption(const std::string& caption);
    std::string Caption() const;
    void SetClientSize(int width, int height);
    void SetPosition(int left, int top);
    void CentreOnScreen(bool horizontally = true, bool vertically = true);
    int Left() const;
    int Top() const;
    int Width() const;  // outer size
    int Height() const; // outer size
    void SetTopMost(bool topMost);

    void SetFont(const TFontSpec& font);
    HFONT Font() const { return font_ ? static_cast<HFONT>(font_.Get()) : nullptr; }
    const TFontSpec& FontSpec() const { return fontSpec_; }
    void SetColor(COLORREF colour);

    void Show();
    void Hide();
    bool Visible() const;
    void Repaint(); // invalidates and paints at once

    // Shows the form modally (its owner disabled) until a modal result is set.
    int ShowModal();
    void SetModalResult(int result) { modalResult_ = result; }
    int ModalResult() const { return modalResult_; }
    // Asks the form to close: FormCloseQuery decides.
    void Close();

    // Child controls. Ids are the form's own; the first click handler bound to an
    // id runs when that control is clicked.
    HWND AddControl(const char* className, int id, const std::string& text, DWORD style, int x, int y, int w,
                    int h, DWORD exStyle = 0);
    HWND AddButton(int id, const std::string& text, int x, int y, int w, int h, bool isDefault = false,
                   bool isCancel = false);
    HWND AddEdit(int id, const std::string& text, int x, int y, int w, int h, DWORD extraStyle = 0);
    HWND Control(int id) const { return GetDlgItem(hwnd_, id); }
    void OnClick(int id, std::function<void()> handler) { clicks_[id] = std::move(handler); }
    void SetControlText(int id, const std::string& text);
    std::string ControlText(int id) const;

    TLabel& AddLabel(int x, int y, int w, int h, const std::string& caption = {});
    TImage& AddImage(int x, int y, int w, int h);
    void InvalidateItem(const RECT& bounds);

protected:
    virtual void FormCreate() {}
    virtual void FormDestroy() {}
    virtual void FormCloseQuery(bool& canClose) { (void)canClose; }
    virtual void FormShow() {}
    // Paints the background picture; labels and images are painted afterwards.
    virtual void FormPaint(HDC dc) { (void)dc; }
    // Any other message; set `handled` to keep the default processing away.
    virtual LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp, bool& handled);

private:
    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT Dispatch(UINT msg, WPARAM wp, LPARAM lp);
    void Paint();
    void ApplyFontToChildren();
    void Click(int id);

    HWND hwnd_ = nullptr;
    HWND owner_ = nullptr;
    int modalResult_ = mrNone;
    bool modal_ = false;
    int defaultButton_ = 0;
    int cancelButton_ = 0;
    TFontSpec fontSpec_;
    GdiObject font_;
    COLORREF colour_;
    GdiObject brush_;
    std::map<int, std::function<void()>> clicks_;
    std::vector<std::unique_ptr<TLabel>> labels_;
    std::vector<std::unique_ptr<TImage>> images_;
};

} // namespace cvn
