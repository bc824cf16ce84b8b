#include "button/command.h"
#include "button/stored_instances.h"
#include "fake_painter.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using button::FacePicture;
using button::PropertyBag;
using button_test::Rig;

using Pictures = std::vector<FacePicture>;

TEST(ButtonProperties, FreshInstanceBecomesEnabledOnFirstRead) {
    Rig rig;
    EXPECT_FALSE(rig.cmd.fields().enabled);
    EXPECT_EQ(rig.cmd.fields().firstRun, 0);
    EXPECT_EQ(rig.cmd.fields().faceState, 0);
    EXPECT_EQ(rig.painter.captionText, "Command");  // the label as laid out
    rig.Forget();

    EXPECT_TRUE(rig.cmd.Enabled());
    EXPECT_TRUE(rig.cmd.fields().enabled);
    EXPECT_EQ(rig.cmd.fields().firstRun, 1);
    // The first-use redraw happens while still disabled, so only the enabled face shows.
    EXPECT_EQ(rig.painter.Pictures(), Pictures{FacePicture::Normal});
    EXPECT_TRUE(rig.site.notified.empty());
}

TEST(ButtonProperties, InitializeStartsThePointerWatchAndDrawsNothing) {
    Rig rig;
    rig.Forget();
    rig.cmd.Initialize();
    EXPECT_EQ(rig.cmd.fields().faceState, button::kStateNormal);
    EXPECT_TRUE(rig.cmd.pointerWatch().enabled);
    EXPECT_EQ(rig.cmd.pointerWatch().intervalMs, 100u);
    EXPECT_TRUE(rig.site.watchEnabled);
    EXPECT_EQ(rig.site.watchInterval, 100u);
    EXPECT_TRUE(rig.painter.faces.empty());
    EXPECT_TRUE(rig.site.notified.empty());
}

TEST(ButtonProperties, VisibleReadsBack255AndZeroWithoutRedraw) {
    Rig rig;
    rig.LoadStored();
    rig.cmd.SetVisible(1);
    EXPECT_EQ(rig.site.notified, std::vector<std::string>{"Visible"});
    EXPECT_EQ(rig.painter.backStyle, 1);
    rig.Forget();
    EXPECT_EQ(rig.cmd.Visible(), 255);
    EXPECT_EQ(rig.painter.Pictures(), Pictures{FacePicture::Normal});

    rig.cmd.SetVisible(0);
    EXPECT_EQ(rig.painter.backStyle, 0);
    rig.Forget();
    EXPECT_EQ(rig.cmd.Visible(), 0);
    EXPECT_TRUE(rig.painter.faces.empty());
    // Any non-zero value shows the face.
    rig.cmd.SetVisible(7);
    EXPECT_EQ(rig.cmd.backStyle(), 1);
}

TEST(ButtonProperties, RedrawingGettersReplaceTheHoverFaceWithNormal) {
    struct Case { const char* name; void (*read)(button::Command&); } cases[] = {
        {"Enabled", [](button::Command& c) { EXPECT_TRUE(c.Enabled()); }},
        {"FontColour", [](button::Command& c) { EXPECT_EQ(c.FontColour(), 0u); }},
        {"Visible", [](button::Command& c) { EXPECT_EQ(c.Visible(), 255); }},
    };
    for (const auto& c : cases) {
        Rig rig;
        rig.LoadStored();
        rig.cmd.OnMouseMove(0, 0);
        rig.Forget();
        c.read(rig.cmd);
        EXPECT_EQ(rig.painter.Pictures(), Pictures{FacePicture::Normal}) << c.name;
        EXPECT_EQ(rig.cmd.fields().faceState, button::kStateHighLight) << c.name;
        EXPECT_TRUE(rig.site.notified.empty()) << c.name;
        // The state has not changed, so moving on draws nothing more.
        rig.cmd.OnMouseMove(0, 0);
        EXPECT_EQ(rig.painter.faces.size(), 1u) << c.name;
    }
}

TEST(ButtonProperties, ReadingEnabledOnADisabledButtonDrawsDisable) {
    Rig rig;
    PropertyBag bag;
    bag.Set("Enabled", false);
    rig.cmd.ReadProperties(bag, button::DesignFont());
    rig.Forget();
    EXPECT_FALSE(rig.cmd.Enabled());
    EXPECT_EQ(rig.painter.Pictures(), Pictures{FacePicture::Disable});
    // The other redrawing getters do nothing while disabled.
    rig.Forget();
    rig.cmd.FontColour();
    rig.cmd.Visible();
    EXPECT_TRUE(rig.painter.faces.empty());
}

TEST(ButtonProperties, SettersNotifyTheirKeyInOrder) {
    Rig rig;
    rig.LoadStored();
    rig.cmd.SetEnabled(false);
    // The notice goes out before the face is redrawn.
    auto notice = std::find(rig.journal.begin(), rig.journal.end(), "Notify Enabled");
    auto clear = std::find(rig.journal.begin(), rig.journal.end(), "Clear");
    ASSERT_NE(notice, rig.journal.end()) << "no notice";
    ASSERT_NE(clear, rig.journal.end()) << "no redraw";
    EXPECT_LT(notice, clear);
    rig.Forget();

    rig.cmd.SetCaption("設定");
    rig.cmd.SetFont(button::FontSpec{"IPAPGothic", 12, 700, 128});
    EXPECT_EQ(rig.site.notified, (std::vector<std::string>{"Caption", "Font"}));
    EXPECT_TRUE(rig.painter.faces.empty());  // caption and font never redraw
    EXPECT_EQ(rig.painter.captionText, "設定");
    EXPECT_EQ(rig.painter.captionFont.faceName, "IPAPGothic");
    EXPECT_EQ(rig.cmd.Caption(), "設定");
    EXPECT_EQ(rig.cmd.Font().weight, 700);
}

TEST(ButtonProperties, FontColourRefusedKeepsColourRedrawsAndDoesNotNotify) {
    Rig rig;
    rig.LoadStored();
    rig.cmd.SetFontColour(0x0000FF);
    EXPECT_EQ(rig.site.notified, std::vector<std::string>{"FontColour"});
    EXPECT_EQ(rig.cmd.caption().colour, 0x0000FFu);
    EXPECT_EQ(rig.painter.Pictures(), Pictures{FacePicture::Normal});

    struct Case { uint32_t colour; bool labelRefuses; } refused[] = {
        {0x12345678, false},  // not a colour
        {0x800000FF, false},  // no such system colour
        {0x00FF00, true},     // the label says no
    };
    for (const auto& c : refused) {
        rig.Forget();
        rig.painter.refuseColour = c.labelRefuses;
        rig.cmd.SetFontColour(c.colour);
        EXPECT_TRUE(rig.site.notified.empty()) << std::hex << c.colour;
        EXPECT_EQ(rig.cmd.caption().colour, 0x0000FFu);
        EXPECT_EQ(rig.painter.Pictures(), Pictures{FacePicture::Normal});
    }
    rig.painter.refuseColour = false;
    rig.cmd.SetFontColour(0x80000012);  // the system button-text colour
    EXPECT_EQ(rig.cmd.caption().colour, 0x80000012u);
}

TEST(ButtonProperties, RefreshLookTurnsTheCaptionBlackWhenAStepFails) {
    Rig rig;
    rig.LoadStored();
    rig.cmd.SetFontColour(0x0000FF);
    rig.painter.failCaptionEnable = true;
    rig.Forget();
    rig.cmd.RefreshLook();
    EXPECT_EQ(rig.cmd.caption().colour, 0u);
    EXPECT_EQ(rig.painter.captionColour, 0u);
    EXPECT_EQ(rig.painter.Pictures(), Pictures{FacePicture::Normal});  // the draw still runs
}

TEST(ButtonProperties, RefreshLookBeforeFirstUseSetsBlack) {
    Rig rig;
    PropertyBag bag;
    bag.Set("FirstRun", int32_t{0});
    bag.Set("FontColour", int32_t{0xFF});
    rig.cmd.ReadProperties(bag, button::DesignFont());  // ends with RefreshLook
    EXPECT_EQ(rig.cmd.fields().firstRun, 0);
    EXPECT_EQ(rig.cmd.caption().colour, 0u);
}

// --- Property bag --------------------------------------------------------------------

button::FontSpec AmbientFont() { return button::FontSpec{"Ambient UI", 9, 400, 1}; }

std::string RoundTripCaption(const std::string& caption, PropertyBag* saved = nullptr) {
    Rig writer;
    writer.LoadStored();
    writer.cmd.SetCaption(caption);
    PropertyBag bag;
    writer.cmd.WriteProperties(bag, AmbientFont());
    if (saved) *saved = bag;
    Rig reader;
    reader.cmd.SetCaption("something else");
    reader.cmd.ReadProperties(bag, AmbientFont());
    return reader.cmd.Caption();
}

TEST(ButtonBag, EveryCaptionSurvivesSaveAndLoad) {
    for (const std::string caption : {"Command", "Command1", "", "ｷｬﾝｾﾙ", "設定", "...", "command"}) {
        EXPECT_EQ(RoundTripCaption(caption), caption);
    }
    PropertyBag saved;
    RoundTripCaption("Command", &saved);
    EXPECT_EQ(saved.Find("Caption"), nullptr);  // the default is left out
    RoundTripCaption("Command1", &saved);
    ASSERT_NE(saved.Find("Caption"), nullptr);
}

TEST(ButtonBag, AnEmptyBagGivesTheDefaults) {
    Rig rig;
    rig.cmd.SetCaption("x");
    rig.Forget();
    rig.cmd.ReadProperties(PropertyBag{}, AmbientFont());
    EXPECT_TRUE(rig.cmd.fields().enabled);
    EXPECT_EQ(rig.cmd.fields().firstRun, 1);
    EXPECT_EQ(rig.cmd.Caption(), "Command");
    EXPECT_EQ(rig.cmd.Font(), AmbientFont());
    EXPECT_EQ(rig.cmd.caption().colour, 0u);  // black
    EXPECT_EQ(rig.cmd.backStyle(), 1);        // shown
    EXPECT_EQ(rig.painter.Pictures(), Pictures{FacePicture::Normal});
    EXPECT_TRUE(rig.site.notified.empty());
}

TEST(ButtonBag, MissingEntriesOverrideWhatTheButtonHeld) {
    Rig rig;
    rig.LoadStored();
    rig.cmd.SetFontColour(0xFF);
    rig.cmd.SetVisible(0);
    rig.cmd.ReadProperties(PropertyBag{}, AmbientFont());
    EXPECT_EQ(rig.cmd.caption().colour, 0u);
    EXPECT_EQ(rig.painter.captionColour, 0u);
    EXPECT_EQ(rig.cmd.backStyle(), 1);
    EXPECT_EQ(rig.painter.backStyle, 1);
}

TEST(ButtonBag, WrongEntriesAreSkippedOneByOne) {
    Rig rig;
    rig.LoadStored();
    rig.cmd.SetCaption("kept");
    rig.cmd.SetFontColour(0xFF);
    PropertyBag bag;
    bag.Set("Enabled", AmbientFont());      // not a Boolean
    bag.Set("Caption", int32_t{5});         // not a text
    bag.Set("Font", std::string("Arial"));  // not a font
    bag.Set("FirstRun", int32_t{300});      // does not fit a byte
    bag.Set("FontColour", std::string("&H8000")); // a number text: taken (-32768 is no colour, so refused)
    bag.Set("Visible", int32_t{5});         // no such back style
    rig.cmd.ReadProperties(bag, AmbientFont());
    EXPECT_TRUE(rig.cmd.fields().enabled);
    EXPECT_EQ(rig.cmd.Caption(), "kept");
    EXPECT_EQ(rig.cmd.Font(), button::DesignFont());
    EXPECT_EQ(rig.cmd.fields().firstRun, 1);
    EXPECT_EQ(rig.cmd.caption().colour, 0xFFu);
    EXPECT_EQ(rig.cmd.backStyle(), 1);

    // Texts that are numbers convert to the entry's type.
    PropertyBag texts;
    texts.Set("Enabled", std::string("0"));
    texts.Set("FontColour", std::string("16711680"));
    texts.Set("Visible", std::string("0"));
    texts.Set("FirstRun", std::string(" 1 "));
    rig.cmd.ReadProperties(texts, AmbientFont());
    EXPECT_FALSE(rig.cmd.fields().enabled);
    EXPECT_EQ(rig.cmd.backStyle(), 0);
    EXPECT_EQ(rig.cmd.caption().colour, 0xFF0000u);
}

TEST(ButtonBag, WriteLeavesOutDefaultsAndRoundTripsTheRest) {
    Rig rig;
    rig.LoadStored();
    rig.cmd.SetFont(AmbientFont());
    PropertyBag bag;
    rig.site.notified.clear();
    rig.cmd.WriteProperties(bag, AmbientFont());
    EXPECT_EQ(bag.size(), 0u);
    EXPECT_TRUE(rig.site.notified.empty());

    rig.cmd.SetEnabled(false);
    rig.cmd.SetFontColour(0x80000012);
    rig.cmd.SetVisible(0);
    rig.cmd.SetFont(button::DesignFont());
    rig.cmd.WriteProperties(bag, AmbientFont());
    EXPECT_EQ(bag.size(), 4u);  // Enabled, Font, FontColour, Visible
    Rig back;
    back.cmd.ReadProperties(bag, AmbientFont());
    EXPECT_FALSE(back.cmd.fields().enabled);
    EXPECT_EQ(back.cmd.caption().colour, 0x80000012u);
    EXPECT_EQ(back.cmd.backStyle(), 0);
    EXPECT_EQ(back.cmd.Font(), button::DesignFont());
    EXPECT_EQ(back.cmd.fields().firstRun, 1);
}

TEST(ButtonBag, SameValueComparesNumbersAcrossTypes) {
    using button::BagValue;
    EXPECT_TRUE(button::SameBagValue(BagValue{int32_t{1}}, BagValue{std::string("1")}));
    EXPECT_TRUE(button::SameBagValue(BagValue{true}, BagValue{int32_t{-1}}));
    EXPECT_FALSE(button::SameBagValue(BagValue{true}, BagValue{int32_t{1}}));
    EXPECT_FALSE(button::SameBagValue(BagValue{std::string("Command")}, BagValue{std::string("command")}));
    EXPECT_FALSE(button::SameBagValue(BagValue{int32_t{0}}, BagValue{std::string("")}));
    EXPECT_FALSE(button::SameBagValue(BagValue{AmbientFont()}, BagValue{int32_t{0}}));
}

// --- The dialog's stored buttons ------------------------------------------------------

TEST(ButtonBag, DialogButtonsLoadWithTheirSizesCaptionsAndFont) {
    struct Expect { const char* name; const char* caption; int px, py; double tx, ty; } expected[] = {
        {"Cmd_Can", "ｷｬﾝｾﾙ", 81, 25, 1215, 375},
        {"Cmd_Set", "設定", 81, 25, 1215, 375},
        {"Cmd_BGM", "...", 29, 21, 435, 315},
    };
    const auto& stored = button::DialogCommands();
    for (size_t i = 0; i < stored.size(); ++i) {
        const auto& s = stored[i];
        const auto& e = expected[i];
        EXPECT_STREQ(s.name, e.name);
        auto ext = button::ExtentFromHimetric(s.widthHimetric, s.heightHimetric);
        EXPECT_EQ(ext.widthPixels, e.px);
        EXPECT_EQ(ext.heightPixels, e.py);
        EXPECT_EQ(ext.widthTwips, e.tx);
        EXPECT_EQ(ext.heightTwips, e.ty);
        EXPECT_EQ(button::HimetricToTwips(s.widthHimetric), e.tx);
        EXPECT_EQ(button::HimetricToTwips(s.heightHimetric), e.ty);

        Rig rig;
        rig.painter.SetPixelSize(ext.widthPixels, ext.heightPixels);
        rig.cmd.ReadProperties(button::BagFor(s), AmbientFont());
        rig.cmd.Initialize();
        EXPECT_EQ(rig.cmd.Caption(), e.caption);
        EXPECT_EQ(rig.cmd.Font().faceName, "ＭＳ Ｐゴシック");
        EXPECT_EQ(rig.cmd.Font().sizePoints, 9.75);
        EXPECT_EQ(rig.cmd.Font().charset, 128);
        EXPECT_TRUE(rig.cmd.fields().enabled);
        EXPECT_EQ(rig.cmd.fields().firstRun, 1);
        EXPECT_EQ(rig.cmd.caption().colour, 0u);
        EXPECT_EQ(rig.cmd.backStyle(), 1);
        EXPECT_EQ(rig.cmd.fields().faceState, button::kStateNormal);
    }
    // At 120 dpi the same extents become more pixels, still the same twips (within one pixel).
    auto big = button::ExtentFromHimetric(2143, 661, 120);
    EXPECT_EQ(big.widthPixels, 101);
    EXPECT_EQ(big.heightPixels, 31);
    EXPECT_EQ(big.widthTwips, 1212);
}

}  // namespace
