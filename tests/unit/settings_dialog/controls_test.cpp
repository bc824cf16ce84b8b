#include "settings_dialog/controls.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

using dialog::ControlSpec;

std::string Name(const ControlSpec* c) { return c ? dialog::FullName(*c) : "(none)"; }

TEST(DialogTabOrder, StopsAreTheFocusableControlsByTabIndex) {
    std::vector<std::string> names;
    for (const ControlSpec* c : dialog::TabStops()) names.push_back(Name(c));
    // The hidden texture strip has a tab index but never takes the focus.
    EXPECT_EQ(names, (std::vector<std::string>{"Pic_1", "BGM_Repeat", "HS_Fast", "Cmd_Set", "Cmd_Can", "Cmd_BGM"}));
}

TEST(DialogTabOrder, TabWalksTheStopsAndWraps) {
    auto all = [](const ControlSpec&) { return true; };
    struct Case { const char* from; bool forward; const char* to; } cases[] = {
        {"Pic_1", true, "BGM_Repeat"},  {"BGM_Repeat", true, "HS_Fast"}, {"HS_Fast", true, "Cmd_Set"},
        {"Cmd_Set", true, "Cmd_Can"},   {"Cmd_Can", true, "Cmd_BGM"},    {"Cmd_BGM", true, "Pic_1"},
        {"Pic_1", false, "Cmd_BGM"},    {"Cmd_Set", false, "HS_Fast"},   {"BGM_Repeat", false, "Pic_1"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Name(dialog::NextTabStop(dialog::FindControl(c.from), c.forward, all)), c.to)
            << c.from << (c.forward ? " forward" : " back");
}

TEST(DialogTabOrder, FocusOutsideTheStopsStartsAtAnEnd) {
    auto all = [](const ControlSpec&) { return true; };
    EXPECT_EQ(Name(dialog::NextTabStop(nullptr, true, all)), "Pic_1");
    EXPECT_EQ(Name(dialog::NextTabStop(nullptr, false, all)), "Cmd_BGM");
    // A label is no stop: Tab from it acts as from outside.
    EXPECT_EQ(Name(dialog::NextTabStop(dialog::FindControl("lbl_URL"), true, all)), "Pic_1");
}

TEST(DialogTabOrder, UnavailableStopsArePassedOver) {
    // Without the buttons (not created), the walk closes over the three others.
    auto noButtons = [](const ControlSpec& c) { return c.kind != dialog::ControlKind::Button; };
    EXPECT_EQ(Name(dialog::NextTabStop(dialog::FindControl("HS_Fast"), true, noButtons)), "Pic_1");
    EXPECT_EQ(Name(dialog::NextTabStop(dialog::FindControl("Pic_1"), false, noButtons)), "HS_Fast");
    // The only one left comes back to itself; none at all gives none.
    auto onlyBar = [](const ControlSpec& c) { return std::string(c.name) == "HS_Fast"; };
    EXPECT_EQ(Name(dialog::NextTabStop(dialog::FindControl("HS_Fast"), true, onlyBar)), "HS_Fast");
    EXPECT_EQ(dialog::NextTabStop(dialog::FindControl("HS_Fast"), true, [](const ControlSpec&) { return false; }),
              nullptr);
}

TEST(DialogWindowless, ClicksLandOnOptionsAndTheLink) {
    struct Case { const char* parent; int x, y; const char* hit; } cases[] = {
        {"Pic_1", 36, 36, "Img_BGM(1)"},  {"Pic_1", 48, 48, "Img_BGM(1)"},  // both corners of 13 x 13
        {"Pic_1", 49, 36, "(none)"},      {"Pic_1", 36, 49, "(none)"},      // right and bottom edges are outside
        {"Pic_1", 60, 40, "lbl_BGM(1)"},  {"Pic_1", 40, 60, "Img_BGM(0)"},  {"Pic_1", 74, 60, "lbl_BGM(0)"},
        {"Pic_1", 75, 60, "(none)"},      {"Pic_1", 40, 80, "Img_BGM(2)"},  {"Pic_1", 111, 80, "lbl_BGM(2)"},
        {"Pic_1", 170, 40, "(none)"},     // "曲目をﾘﾋﾟｰﾄ" is no option
        {"Pic_1", 200, 80, "(none)"},     // the file name box only shows
        {nullptr, 16, 156, "lbl_URL"},    {nullptr, 222, 168, "lbl_URL"},   {nullptr, 223, 160, "(none)"},
        {nullptr, 40, 60, "(none)"},      // panel coordinates asked of the form
        {"Pic_1", 16, 156, "(none)"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Name(dialog::ClickableAt(c.parent, c.x, c.y)), c.hit)
            << (c.parent ? c.parent : "form") << " " << c.x << "," << c.y;
}

TEST(DialogWindowless, OnlyTheLinkTakesTheHand) {
    EXPECT_TRUE(dialog::HandCursorAt(nullptr, 100, 160));
    EXPECT_FALSE(dialog::HandCursorAt(nullptr, 100, 145));  // the credit line above it
    EXPECT_FALSE(dialog::HandCursorAt("Pic_1", 60, 40));   // options are clickable, with the arrow
}

TEST(DialogWindowless, KindsWithoutWindows) {
    std::set<std::string> windowed;
    for (const ControlSpec& c : dialog::Controls())
        if (!dialog::IsWindowless(c)) windowed.insert(Name(&c));
    EXPECT_EQ(windowed, (std::set<std::string>{"Pic_Mbl", "Pic_1", "Cmd_Can", "Cmd_Set", "Cmd_BGM", "HS_Fast",
                                               "BGM_Repeat"}));
}

TEST(DialogWindowless, LabelColours) {
    using dialog::TextColour;
    struct Case { const char* name; int index; TextColour colour; } cases[] = {
        {"lbl", 4, TextColour::Black},          {"lbl", 1, TextColour::Black},
        {"lbl_URL", -1, TextColour::White},     {"lbl_Fname", -1, TextColour::WindowText},
        {"lbl_Fast", -1, TextColour::ButtonText}, {"lbl_BGM", 0, TextColour::ButtonText},
        {"lbl", 2, TextColour::ButtonText},     {"lbl", 7, TextColour::ButtonText},
    };
    for (const auto& c : cases)
        EXPECT_EQ(dialog::LabelTextColour(*dialog::FindControl(c.name, c.index)), c.colour) << c.name << c.index;
}

}  // namespace
