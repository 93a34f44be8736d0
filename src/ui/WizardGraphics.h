#pragma once

#include <windows.h>

#include <string>

namespace cvn {

// The drawn controls of a page (pictures, lines, shapes), painted into dc over the
// client rectangle.
void PaintPicture(HDC dc, const RECT& client, HBITMAP bitmap, bool stretch, bool transparent, bool border);
void PaintPictureButton(HDC dc, const RECT& client, HBITMAP bitmap);
void PaintLine(HDC dc, const RECT& client);
// shape: 0 rectangle, 1 square, 2 rounded rectangle, 3 rounded square, 4 ellipse, 5 circle.
void PaintShape(HDC dc, const RECT& client, int shape, COLORREF pen, COLORREF brush);
// A group frame: its caption on the top border from x 7, the border from half the
// caption's height down; the visual style's group box where styles are active, else an
// etched (3D) or flat frame.
void PaintFrame(HWND window, HDC dc, const RECT& client, const std::string& caption, HFONT font,
                COLORREF textColour, bool enabled, bool ctl3d);

// The window class of pictures, lines, shapes and frames: they paint themselves over their
// parent's background (TWinControl::PaintGraphic) and report a click.
const char* GraphicWindowClass();
// Puts a new control of the panel above its topmost picture, line or shape.
void PlaceInZOrder(HWND control, HWND parent);

// A colour number of a control definition: a system colour (high bit set, the index in
// the low byte) or a plain RGB value.
COLORREF ColourFromNumber(int number);

} // namespace cvn
