// The help sentences and where their popup goes.
#include "app/ContextHelp.h"

#include "app/ControlIds.h"
#include "app/PanelView.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace dax {
namespace {

// A view whose controls sit at fixed screen rectangles; it logs the popup calls in order.
class HelpView : public PanelView {
public:
    struct Box {
        int id, x, y, w, h;
    };
    std::vector<Box> boxes;
    std::vector<std::string> calls;

    int ControlAtPoint(int x, int y) override {
        for (const Box& b : boxes)
            if (x >= b.x && x < b.x + b.w && y >= b.y && y < b.y + b.h)
                return IsControlEnabled(b.id) && IsControlVisible(b.id) ? b.id : IDC_NONE;
        return IDC_NONE;
    }
    void HideHelpPopup() override {
        calls.push_back("hide");
        PanelView::HideHelpPopup();
    }
    void ShowHelpPopup(const std::string& text, int left, int top, int width, int height) override {
        calls.push_back("show");
        PanelView::ShowHelpPopup(text, left, top, width, height);
    }
};

TEST(ContextHelp, PopupSitsCentredJustAboveThePointAndNeverLeftOfTheScreen) {
    HelpView view;
    view.boxes = {{IDC_STATUS, 100, 100, 400, 20}, {IDC_EXIT, 0, 300, 80, 24}};
    ShowContextHelp(view, 400, 110);
    const std::string status = GetHelpText(IDC_STATUS);
    const int w = int(status.size()) * 6; // the panel's nominal measure, 13 high
    EXPECT_EQ(view.helpPopup.text, status);
    EXPECT_EQ(view.helpPopup.left, 400 - w / 2);
    EXPECT_EQ(view.helpPopup.top, 110 - 13);
    EXPECT_EQ(view.helpPopup.width, w + 4);
    EXPECT_EQ(view.helpPopup.height, 13 + 4);
    EXPECT_EQ(view.calls, (std::vector<std::string>{"hide", "show"}));

    ShowContextHelp(view, 10, 310); // near the edge: starts at 0
    EXPECT_EQ(view.helpPopup.text, "Press to exit the program");
    EXPECT_EQ(view.helpPopup.left, 0);
    EXPECT_EQ(view.helpPopup.top, 310 - 13);

    // Odd widths halve toward zero; the keyboard's point (-1, -1) is clamped the same way.
    EXPECT_EQ(PlaceHelpPopup(100, 50, 31, 9).left, 85);
    const PopupRect keyboard = PlaceHelpPopup(-1, -1, 40, 10);
    EXPECT_EQ(keyboard.left, 0);
    EXPECT_EQ(keyboard.top, -11);
}

TEST(ContextHelp, DisabledHiddenOrUnknownControlsGiveTheNoHelpText) {
    HelpView view;
    view.boxes = {{IDC_FLASH_LEDS, 0, 0, 50, 20},
                  {IDC_TEST, 0, 30, 50, 20},
                  {IDC_COUNT_PRINT, 0, 60, 50, 20}};
    view.EnableControl(IDC_FLASH_LEDS, false);
    view.ShowControl(IDC_TEST, true);
    for (int y : {10, 40, 70, 500}) {
        ShowContextHelp(view, 25, y);
        EXPECT_EQ(view.helpPopup.text, kNoHelp) << y;
        EXPECT_TRUE(view.helpPopup.shown);
    }
    view.EnableControl(IDC_FLASH_LEDS, true);
    ShowContextHelp(view, 25, 10);
    EXPECT_EQ(view.helpPopup.text, GetHelpText(IDC_FLASH_LEDS));
}

} // namespace
} // namespace dax
