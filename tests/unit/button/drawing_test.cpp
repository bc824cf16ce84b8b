#include "button/command.h"
#include "button/face_geometry.h"
#include "fake_painter.h"

#include <gtest/gtest.h>

namespace {

using button::FacePicture;
using button::TwipRect;
using button_test::Rig;

struct SliceRow {
    TwipRect src, dst;
};

void ExpectSlices(const button_test::FaceRecord& face, const SliceRow (&rows)[8]) {
    ASSERT_EQ(face.copies.size(), 8u);
    for (int i = 0; i < 8; ++i) {
        const auto& c = face.copies[i];
        const auto& r = rows[i];
        EXPECT_EQ(c.source, r.src) << "slice " << i + 1 << " source " << c.source.x << "," << c.source.y << ","
                                   << c.source.w << "," << c.source.h;
        EXPECT_EQ(c.destination, r.dst) << "slice " << i + 1 << " destination " << c.destination.x << ","
                                        << c.destination.y << "," << c.destination.w << "," << c.destination.h;
    }
}

TEST(ButtonFace, SaveButtonStretchesTopAndBottomEdges) {
    Rig rig;
    rig.painter.SetPixelSize(81, 25);  // 1215 x 375 twips
    rig.LoadStored();
    rig.cmd.DrawFace(FacePicture::Normal);
    ASSERT_EQ(rig.painter.faces.size(), 1u);
    const SliceRow rows[8] = {
        {{0, 0, 60, 60}, {1, 1, 60, 60}},
        {{60, 1, 840, 60}, {60, 1, 1095, 60}},
        {{900, 1, 60, 60}, {1155, 1, 60, 60}},
        {{900, 60, 60, 255}, {1155, 60, 60, 255}},
        {{900, 315, 60, 60}, {1155, 315, 60, 60}},
        {{60, 315, 840, 60}, {60, 315, 1095, 60}},
        {{0, 315, 60, 60}, {1, 315, 60, 60}},
        {{1, 60, 60, 255}, {1, 60, 60, 255}},
    };
    ExpectSlices(rig.painter.faces[0], rows);
    for (const auto& c : rig.painter.faces[0].copies) EXPECT_EQ(c.picture, FacePicture::Normal);
}

TEST(ButtonFace, MusicFileButtonShrinksEveryEdge) {
    Rig rig;
    rig.painter.SetPixelSize(29, 21);  // 435 x 315 twips
    rig.LoadStored();
    rig.cmd.DrawFace(FacePicture::Selected);
    const SliceRow rows[8] = {
        {{0, 0, 60, 60}, {1, 1, 60, 60}},
        {{60, 1, 840, 60}, {60, 1, 315, 60}},
        {{900, 1, 60, 60}, {375, 1, 60, 60}},
        {{900, 60, 60, 255}, {375, 60, 60, 195}},
        {{900, 315, 60, 60}, {375, 255, 60, 60}},
        {{60, 315, 840, 60}, {60, 255, 315, 60}},
        {{0, 315, 60, 60}, {1, 255, 60, 60}},
        {{1, 60, 60, 255}, {1, 60, 60, 195}},
    };
    ExpectSlices(rig.painter.faces[0], rows);
    // The geometry kept in the button is the one drawn.
    const auto& g = rig.cmd.fields().sliceGeometry;
    EXPECT_EQ(g[3].dstH, 195);
    EXPECT_EQ(g[5].dstY, 255);
}

TEST(ButtonFace, DrawsInOrderAndPlacesTheCaptionAboveCentre) {
    Rig rig;
    rig.LoadStored();
    rig.cmd.DrawFace(FacePicture::Normal);
    const std::vector<std::string> expected = {
        "Clear",       "GradientFill", "Refresh",     "CopyPicture", "CopyPicture", "CopyPicture",
        "CopyPicture", "CopyPicture",  "CopyPicture", "CopyPicture", "CopyPicture", "Refresh",
        "PlaceCaption", "HideLines"};
    EXPECT_EQ(rig.journal, expected);

    struct Case { int wPx, hPx; double top; } cases[] = {{81, 25, 80}, {29, 21, 50}, {81, 26, 87.5}};
    for (const auto& c : cases) {
        rig.painter.SetPixelSize(c.wPx, c.hPx);
        rig.Forget();
        rig.cmd.DrawFace(FacePicture::Normal);
        const auto& f = rig.painter.faces.at(0);
        EXPECT_DOUBLE_EQ(*f.captionTop, c.top) << c.hPx;
        EXPECT_EQ(*f.captionLeft, 0);
        EXPECT_EQ(*f.captionWidth, c.wPx * 15.0);
        EXPECT_TRUE(f.linesHidden);
    }
}

TEST(ButtonFace, GradientColoursComeFromTheirTextsAsRedGreenBlue) {
    auto pale = button::GradientColourFromText(button::kGradientPaleText);
    EXPECT_EQ(pale.red, 0xC600);
    EXPECT_EQ(pale.green, 0xC500);
    EXPECT_EQ(pale.blue, 0xD700);
    auto white = button::GradientColourFromText(button::kGradientWhiteText);
    EXPECT_EQ(white.red, 0xFF00);
    EXPECT_EQ(white.green, 0xFF00);
    EXPECT_EQ(white.blue, 0xFF00);
    auto blue = button::GradientColourFromText("&HFF");  // short texts are zero-padded on the left
    EXPECT_EQ(blue.red, 0);
    EXPECT_EQ(blue.blue, 0xFF00);
}

void ExpectVertexColour(const button::GradientVertex& v, uint16_t r, uint16_t g, uint16_t b) {
    EXPECT_EQ(v.red, r);
    EXPECT_EQ(v.green, g);
    EXPECT_EQ(v.blue, b);
    EXPECT_EQ(v.alpha, 0);
}

TEST(ButtonFace, GradientRunsWhiteToPaleAndReversesInHighLight) {
    Rig rig;
    rig.LoadStored();  // state 1
    rig.cmd.DrawFace(FacePicture::Normal);
    const auto& f = rig.painter.faces.at(0);
    ASSERT_TRUE(f.vertices);
    const auto& v = *f.vertices;
    ExpectVertexColour(v[0], 0xFF00, 0xFF00, 0xFF00);
    ExpectVertexColour(v[1], 0xC600, 0xC500, 0xD700);
    EXPECT_EQ(v[0].x, 0);
    EXPECT_EQ(v[0].y, 0);
    EXPECT_EQ(v[1].x, 80);
    EXPECT_EQ(v[1].y, 24);
    ExpectVertexColour(v[2], 0, 0, 0);  // never set
    EXPECT_EQ(f.vertexCount, 3u);
    EXPECT_EQ(f.rect.upperLeft, 1u);
    EXPECT_EQ(f.rect.lowerRight, 0u);

    rig.Forget();
    rig.cmd.OnMouseMove(0, 0);  // HighLight
    const auto& h = *rig.painter.faces.at(0).vertices;
    ExpectVertexColour(h[0], 0xC600, 0xC500, 0xD700);
    ExpectVertexColour(h[1], 0xFF00, 0xFF00, 0xFF00);
    EXPECT_TRUE(rig.cmd.fields().gradientReversed);
}

TEST(ButtonFace, GradientDirectionFollowsTheStateNotThePicture) {
    // Hover, then release: the Normal frame over the reversed gradient.
    Rig rig;
    rig.LoadStored();
    rig.cmd.OnMouseMove(0, 0);
    rig.cmd.OnMouseUp(1, 0);
    ASSERT_EQ(rig.painter.Pictures().back(), FacePicture::Normal);
    EXPECT_EQ((*rig.painter.faces.back().vertices)[0].red, 0xC600);

    // HighLightSelect entered from HighLight keeps pale at the top ...
    rig.cmd.OnFocusGained();
    rig.cmd.OnMouseUp(1, 0);
    EXPECT_EQ(rig.cmd.fields().faceState, button::kStateHighLightSelect);
    EXPECT_EQ(rig.painter.Pictures().back(), FacePicture::HighLightSelect);
    EXPECT_EQ((*rig.painter.faces.back().vertices)[0].red, 0xC600);

    // ... and entered from Selected keeps white at the top.
    Rig sel;
    sel.LoadStored();
    sel.cmd.OnFocusGained();
    sel.cmd.OnMouseMove(0, 0);
    EXPECT_EQ(sel.painter.Pictures().back(), FacePicture::HighLightSelect);
    EXPECT_EQ((*sel.painter.faces.back().vertices)[0].red, 0xFF00);
}

TEST(ButtonFace, DisabledShowsDisableFrameOverLastGradientAndGreysTheCaption) {
    Rig rig;
    rig.LoadStored();
    rig.cmd.OnMouseMove(0, 0);  // reversed gradient
    rig.Forget();
    rig.cmd.SetEnabled(false);
    ASSERT_EQ(rig.painter.Pictures(), std::vector<FacePicture>{FacePicture::Disable});
    EXPECT_EQ((*rig.painter.faces[0].vertices)[0].red, 0xC600);
    EXPECT_FALSE(rig.painter.captionEnabled);
    EXPECT_FALSE(rig.cmd.caption().enabled);
    EXPECT_EQ(rig.cmd.fields().faceState, button::kStateHighLight);
}

TEST(ButtonFace, SizesBeyondSixteenBitsKeepThePreviousValues) {
    Rig rig;
    rig.LoadStored();
    rig.cmd.DrawFace(FacePicture::Normal);
    // W - 60 = 32790 does not fit, W - 120 = 32730 does; H is ordinary.
    rig.painter.widthTw = 32850;
    rig.painter.heightTw = 315;
    rig.cmd.DrawFace(FacePicture::Normal);
    const auto& g = rig.cmd.fields().sliceGeometry;
    EXPECT_EQ(g[2].dstX, 1155);   // kept from 1215 twips
    EXPECT_EQ(g[1].dstW, 32730);  // recomputed
    EXPECT_EQ(g[4].dstY, 255);    // recomputed from the new height
    // Nothing fits: everything that depends on the size stays.
    rig.painter.widthTw = 1e9;
    rig.painter.heightTw = -1e9;
    rig.cmd.DrawFace(FacePicture::Normal);
    EXPECT_EQ(g[1].dstW, 32730);
    EXPECT_EQ(g[3].dstH, 195);
    EXPECT_EQ(g[0].dstX, 1);
}

TEST(ButtonFace, TinySizesDrawOnlySlicesWithRoomAndNeverFault) {
    struct Case { int wPx, hPx; size_t copies; bool gradient; } cases[] = {
        {0, 0, 4, false},  // corners only, no pixel for the gradient
        {1, 1, 4, true},
        {4, 25, 6, true},  // side edges only
        {7, 7, 4, true},
        {8, 8, 4, true},   // the middle sizes are exactly zero
        {9, 9, 8, true},
        {81, 5, 6, true},  // top and bottom edges only
    };
    for (const auto& c : cases) {
        Rig rig;
        rig.painter.SetPixelSize(c.wPx, c.hPx);
        rig.LoadStored();
        rig.cmd.DrawFace(FacePicture::Pressed);
        rig.cmd.OnResize();
        ASSERT_EQ(rig.painter.faces.size(), 2u);
        const auto& f = rig.painter.faces[0];
        EXPECT_EQ(f.copies.size(), c.copies) << c.wPx << "x" << c.hPx;
        EXPECT_EQ(f.vertices.has_value(), c.gradient) << c.wPx << "x" << c.hPx;
        for (const auto& copy : f.copies) {
            EXPECT_GT(copy.destination.w, 0);
            EXPECT_GT(copy.destination.h, 0);
        }
        EXPECT_TRUE(f.linesHidden);
    }
}

}  // namespace
