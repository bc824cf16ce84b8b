#include "settings_dialog/layout.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace {

using dialog::ControlKind;

TEST(DialogPlacement, CentredAcrossAndAThirdDown) {
    struct Case { int sw, sh, ww, wh, left, top; } cases[] = {
        {1024, 768, 471, 220, 276, 182},  // 553 / 2, 548 / 3: remainders dropped
        {1920, 1080, 471, 220, 724, 286},
        {471, 220, 471, 220, 0, 0},
        {400, 200, 471, 220, -35, -6},    // -71 / 2 = -35.5 and -20 / 3 = -6.67 go toward zero
        {470, 219, 471, 220, 0, 0},       // -1 / 2 and -1 / 3 are 0, not -1
        {0, 0, 471, 220, -235, -73},
    };
    for (const auto& c : cases) {
        fw::Point p = dialog::PlaceWindow(c.sw, c.sh, c.ww, c.wh);
        EXPECT_EQ(p.x, c.left) << c.sw << "x" << c.sh;
        EXPECT_EQ(p.y, c.top) << c.sw << "x" << c.sh;
    }
}

TEST(DialogLayout, NamesAreUniqueAndParentsExist) {
    std::set<std::string> names;
    for (const auto& c : dialog::Controls()) {
        EXPECT_TRUE(names.insert(dialog::FullName(c)).second) << dialog::FullName(c);
        if (c.parent) {
            const auto* parent = dialog::FindControl(c.parent);
            ASSERT_NE(parent, nullptr) << dialog::FullName(c);
            EXPECT_TRUE(parent->flags & dialog::kContainer);
        }
    }
}

TEST(DialogLayout, TabOrderRunsWithoutGapsOrRepeats) {
    std::map<int, std::string> byTab;
    for (const auto& c : dialog::Controls())
        if (c.tabIndex != dialog::kNoTab) {
            EXPECT_TRUE(byTab.emplace(c.tabIndex, dialog::FullName(c)).second) << c.tabIndex;
        }
    ASSERT_EQ(byTab.size(), 17u);
    EXPECT_EQ(byTab.begin()->first, 0);
    EXPECT_EQ(byTab.rbegin()->first, 16);
    EXPECT_EQ(byTab[0], "Pic_1");
    EXPECT_EQ(byTab[1], "BGM_Repeat");
    EXPECT_EQ(byTab[13], "Cmd_Set");
    EXPECT_EQ(byTab[14], "Cmd_Can");
}

TEST(DialogLayout, ButtonsInControlOrder) {
    std::vector<std::string> buttons;
    for (const auto& c : dialog::Controls())
        if (c.kind == ControlKind::Button) buttons.push_back(c.name);
    EXPECT_EQ(buttons, (std::vector<std::string>{"Cmd_Can", "Cmd_Set", "Cmd_BGM"}));
}

TEST(DialogLayout, PlacesAndSizes) {
    struct Case { const char* name; int index; const char* parent; int l, t, w, h; } cases[] = {
        {"Pic_1", -1, nullptr, 16, 16, 433, 117},      {"Pic_Mbl", -1, nullptr, 12, 236, 556, 20},
        {"Cmd_Set", -1, nullptr, 284, 148, 81, 25},    {"Cmd_Can", -1, nullptr, 368, 148, 81, 25},
        {"Cmd_BGM", -1, "Pic_1", 120, 72, 29, 21},     {"HS_Fast", -1, "Pic_1", 276, 36, 77, 17},
        {"BGM_Repeat", -1, "Pic_1", 120, 32, 41, 20},  {"lbl_Fname", -1, "Pic_1", 152, 72, 269, 33},
        {"Img_BGM", 1, "Pic_1", 36, 36, 13, 13},       {"Img_BGM", 0, "Pic_1", 36, 56, 13, 13},
        {"Img_BGM", 2, "Pic_1", 36, 76, 13, 13},       {"lbl_BGM", 2, "Pic_1", 52, 76, 60, 13},
        {"lbl_URL", -1, nullptr, 16, 156, 207, 13},    {"Img_Ra", 1, nullptr, 672, 44, 12, 12},
    };
    for (const auto& c : cases) {
        const auto* s = dialog::FindControl(c.name, c.index);
        ASSERT_NE(s, nullptr) << c.name;
        EXPECT_STREQ(s->parent ? s->parent : "(form)", c.parent ? c.parent : "(form)") << c.name;
        EXPECT_EQ((std::vector<int>{s->left, s->top, s->width, s->height}), (std::vector<int>{c.l, c.t, c.w, c.h}))
            << dialog::FullName(*s);
    }
}

TEST(DialogLayout, EverythingOnTheFormStaysInsideTheClientAreaButTheStoredPictures) {
    for (const auto& c : dialog::Controls()) {
        if (c.parent) continue;
        bool inside = c.left + c.width <= dialog::kClientWidth && c.top + c.height <= dialog::kClientHeight;
        bool stored = std::string(c.name) == "Pic_Mbl" || std::string(c.name) == "Img_Ra";
        EXPECT_NE(inside, stored) << dialog::FullName(c);
    }
}

TEST(DialogLayout, OptionsCarryTheirMusicKindAsIndex) {
    EXPECT_STREQ(dialog::FindControl("lbl_BGM", 0)->caption, "無し");
    EXPECT_STREQ(dialog::FindControl("lbl_BGM", 1)->caption, "音楽CD");
    EXPECT_STREQ(dialog::FindControl("lbl_BGM", 2)->caption, "MP3、WAV");
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(dialog::FindControl("Img_BGM", i)->flags & dialog::kClickable);
        EXPECT_TRUE(dialog::FindControl("lbl_BGM", i)->flags & dialog::kClickable);
        // Indicator and caption share a row.
        EXPECT_EQ(dialog::FindControl("Img_BGM", i)->top, dialog::FindControl("lbl_BGM", i)->top);
    }
    EXPECT_EQ(dialog::FindControl("Img_BGM", 3), nullptr);
}

TEST(DialogLayout, EveryLabelIsTransparent) {
    for (const auto& c : dialog::Controls())
        if (c.kind == ControlKind::Label) {
            EXPECT_TRUE(c.flags & dialog::kTransparent) << dialog::FullName(c);
        }
    const auto* url = dialog::FindControl("lbl_URL");
    EXPECT_EQ(url->flags & (dialog::kWhiteText | dialog::kUnderlined | dialog::kHandCursor | dialog::kClickable),
              dialog::kWhiteText | dialog::kUnderlined | dialog::kHandCursor | dialog::kClickable);
    EXPECT_STREQ(url->caption, "https://fluttera.example.jp/");
}

}  // namespace
