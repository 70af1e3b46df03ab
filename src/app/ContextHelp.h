#pragma once

#include "app/DialogView.h"

#include <string>
#include <vector>

namespace dax {

// The main dialog's one-line help: a sentence per control, shown in a small popup just above
// the point that was right-clicked (or where the mouse was when F1 was pressed).
struct HelpEntry {
    int id;
    const char* text;
};

inline constexpr char kNoHelp[] = "No help available for this item";
// Text margin of the popup, in pixels, added to the measured text size.
inline constexpr int kHelpMarginX = 4;
inline constexpr int kHelpMarginY = 4;
inline constexpr int kHelpHideMs = 2000;

// The sentences in lookup order.
const std::vector<HelpEntry>& HelpTable();
// The sentence of a control; empty for controls without one.
std::string GetHelpText(int id);

struct PopupRect {
    int left;
    int top;
    int width;
    int height;
};
// Where a popup for a text of w x h pixels goes for the point (x, y): centred over it, one
// text height up, never left of the screen's edge.
PopupRect PlaceHelpPopup(int x, int y, int w, int h);
// The popup moved as far as needed to lie inside `area` (the work area of the screen the help
// was asked on), never cut, so the whole sentence stays readable.
PopupRect KeepInside(const PopupRect& popup, const PopupRect& area);

// The sentence of a control in `table`; empty for controls without one.
std::string GetHelpText(const std::vector<HelpEntry>& table, int id);

// Finds the control under the screen point and shows its sentence from `table` through the
// view: any view with the main dialog's four help calls (a calibration window too).
template <class View>
void ShowHelpFrom(View& view, const std::vector<HelpEntry>& table, int x, int y) {
    std::string text = GetHelpText(table, view.ControlAtPoint(x, y));
    if (text.empty())
        text = kNoHelp;
    view.HideHelpPopup();
    int w = 0;
    int h = 0;
    view.MeasureText(text, w, h);
    const PopupRect r = PlaceHelpPopup(x, y, w, h);
    view.ShowHelpPopup(text, r.left, r.top, r.width, r.height);
}

// The main dialog's: its own table.
void ShowContextHelp(DialogView& view, int x, int y);

} // namespace dax
