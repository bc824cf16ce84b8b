#include "button/stored_instances.h"
#include "settings_dialog/dialog_model.h"
#include "support/fakes.h"

#include <gtest/gtest.h>

#include <map>

namespace {

using dialog::ClickAction;
using dialog::ControlId;

TEST(DialogClicks, WhatAClickOnEachControlDoes) {
    // Controls not named here do nothing when clicked. kind: the music kind chosen, -1 none.
    struct Case { ClickAction action; int16_t kind; };
    const std::map<ControlId, Case> acting = {
        {ControlId::CancelButton, {ClickAction::Close, -1}},
        {ControlId::SetButton, {ClickAction::SaveAndClose, -1}},
        {ControlId::FileButton, {ClickAction::ChooseMusicFile, -1}},
        {ControlId::HomePageLink, {ClickAction::OpenHomePage, -1}},
        {ControlId::NoneIndicator, {ClickAction::ShowMusicKind, music::kMusicNone}},
        {ControlId::NoneCaption, {ClickAction::ShowMusicKind, music::kMusicNone}},
        {ControlId::CdIndicator, {ClickAction::ShowMusicKind, music::kMusicCd}},
        {ControlId::CdCaption, {ClickAction::ShowMusicKind, music::kMusicCd}},
        {ControlId::FileIndicator, {ClickAction::ShowMusicKind, music::kMusicFile}},
        {ControlId::FileCaption, {ClickAction::ShowMusicKind, music::kMusicFile}},
    };
    for (const dialog::ControlSpec& c : dialog::Controls()) {
        startup::SaverSettings settings;
        settings.MusicKind = 7;  // no option chosen yet
        fakes::Files files;
        dialog::DialogModel model(settings, files, "C:\\Saver");
        model.Load();
        const auto it = acting.find(c.id);
        const Case want = it == acting.end() ? Case{ClickAction::None, -1} : it->second;
        EXPECT_EQ(model.Click(c.id), want.action) << dialog::FullName(c);
        EXPECT_EQ(settings.MusicKind, want.kind < 0 ? 7 : want.kind) << dialog::FullName(c);
        for (int k = 0; k < music::kMusicKinds; ++k)
            EXPECT_EQ(model.IndicatorChosen(k), k == want.kind) << dialog::FullName(c) << ", option " << k;
        // An option's music kind is its place in the designer's group.
        if (want.kind >= 0) {
            EXPECT_EQ(c.index, want.kind) << dialog::FullName(c);
        }
        EXPECT_EQ(files.writes, 0) << dialog::FullName(c);  // the model never saves on its own
    }
}

TEST(DialogClicks, TheStoredButtonsComeInTheTablesOrder) {
    std::vector<std::string> table, stored;
    for (const dialog::ControlSpec& c : dialog::Controls())
        if (c.kind == dialog::ControlKind::Button) table.push_back(c.name);
    for (const button::StoredCommand& s : button::DialogCommands()) stored.push_back(s.name);
    EXPECT_EQ(table, stored);
}

}  // namespace
