// The Command button's face: a vertical gradient, the eight border slices of a state
// picture over it, and the caption placed on top.
#include "button/command.h"

namespace button {

void Command::DrawFace(FacePicture picture) {
    // The gradient's direction follows the state, not the picture being drawn.
    switch (fields_.faceState) {
        case kStateNormal: fields_.gradientReversed = false; break;
        case kStateHighLight: fields_.gradientReversed = true; break;
        case kStateSelected: fields_.gradientReversed = false; break;
        default: break;
    }

    const double W = painter_.InnerWidthTwips();
    const double H = painter_.InnerHeightTwips();
    ComputeSliceGeometry(W, H, fields_.sliceGeometry);

    painter_.Clear();
    FillGradient();

    // Below 8 pixels the edge slices get no room (their size is zero or negative); they
    // are left out, and the corners alone frame the face.
    for (const Slice& s : fields_.sliceGeometry) {
        if (s.dstW <= 0 || s.dstH <= 0) continue;
        painter_.CopyPicture(picture, TwipRect{s.srcX, s.srcY, s.srcW, s.srcH},
                             TwipRect{s.dstX, s.dstY, s.dstW, s.dstH});
    }
    painter_.Refresh();

    // The label keeps its height; its text sits 10 twips above the exact centre.
    caption_.top = (H - caption_.height - 20) / 2;
    caption_.left = 0;
    caption_.width = W;
    painter_.PlaceCaption(caption_.top, caption_.left, caption_.width);

    painter_.HideLines();
}

void Command::FillGradient() {
    static const GradientColour white = GradientColourFromText(kGradientWhiteText);
    static const GradientColour pale = GradientColourFromText(kGradientPaleText);

    const GradientColour& top = fields_.gradientReversed ? pale : white;
    const GradientColour& bottom = fields_.gradientReversed ? white : pale;
    GradientVertex& v0 = fields_.gradientVertices[0];
    GradientVertex& v1 = fields_.gradientVertices[1];
    v0.red = top.red;
    v0.green = top.green;
    v0.blue = top.blue;
    v1.red = bottom.red;
    v1.green = bottom.green;
    v1.blue = bottom.blue;

    const int32_t w = painter_.InnerWidthPixels();
    const int32_t h = painter_.InnerHeightPixels();
    v0.x = 0;
    v0.y = 0;
    v1.x = w - 1;
    v1.y = h - 1;

    fields_.gradientRect.upperLeft = 1;
    fields_.gradientRect.lowerRight = 0;

    // A surface without a pixel to fill gets no gradient.
    if (w > 0 && h > 0) painter_.GradientFill(fields_.gradientVertices, 3, fields_.gradientRect);
    painter_.Refresh();
}

void Command::ApplyEnabled() {
    if (fields_.enabled) {
        DrawFace(FacePicture::Normal);
        if (painter_.SetCaptionEnabled(true)) caption_.enabled = true;
    } else {
        DrawFace(FacePicture::Disable);
        if (painter_.SetCaptionEnabled(false)) caption_.enabled = false;
    }
}

void Command::RefreshLook() {
    if (!fields_.enabled) return;
    // A step that fails turns the caption black and the next step still runs.
    auto failed = [this] { ApplyCaptionColour(0); };
    if (painter_.SetCaptionEnabled(true)) {
        caption_.enabled = true;
    } else {
        failed();
    }
    if (fields_.firstRun == 0 && !ApplyCaptionColour(0)) failed();
    DrawFace(FacePicture::Normal);
}

}  // namespace button
