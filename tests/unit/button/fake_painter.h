// Recording fakes for the Command button's ports. Both write into one journal so tests
// can check the order of drawing and notifications; each face draw (which starts with a
// clear) is also kept as a record of its own.
#pragma once

#include "button/command.h"

#include <optional>
#include <string>
#include <vector>

namespace button_test {

using button::FacePicture;
using button::TwipRect;

struct CopyCall {
    FacePicture picture;
    TwipRect source, destination;
};

// Everything drawn between one Clear and the next.
struct FaceRecord {
    std::vector<CopyCall> copies;
    std::optional<button::GradientVertexTable> vertices;
    uint32_t vertexCount = 0;
    button::GradientRect rect;
    std::optional<double> captionTop, captionLeft, captionWidth;
    bool linesHidden = false;
    // The picture of the face: that of its copies (all the same), if any were made.
    std::optional<FacePicture> picture() const {
        if (copies.empty()) return std::nullopt;
        return copies.front().picture;
    }
};

class FakePainter : public button::FacePainter {
public:
    explicit FakePainter(std::vector<std::string>& journal) : journal_(journal) {}

    // Sets the inner size in pixels at 15 twips to the pixel.
    void SetPixelSize(int32_t w, int32_t h) {
        widthPx = w;
        heightPx = h;
        widthTw = w * 15.0;
        heightTw = h * 15.0;
    }

    double InnerWidthTwips() const override { return widthTw; }
    double InnerHeightTwips() const override { return heightTw; }
    int32_t InnerWidthPixels() const override { return widthPx; }
    int32_t InnerHeightPixels() const override { return heightPx; }

    void Clear() override {
        journal_.push_back("Clear");
        faces.emplace_back();
    }
    void GradientFill(const button::GradientVertexTable& v, uint32_t count, const button::GradientRect& r) override {
        journal_.push_back("GradientFill");
        FaceRecord& f = Current();
        f.vertices = v;
        f.vertexCount = count;
        f.rect = r;
    }
    void CopyPicture(FacePicture p, const TwipRect& s, const TwipRect& d) override {
        journal_.push_back("CopyPicture");
        Current().copies.push_back({p, s, d});
    }
    void Refresh() override { journal_.push_back("Refresh"); }
    void SetBackStyle(uint8_t style) override {
        journal_.push_back("SetBackStyle " + std::to_string(style));
        backStyle = style;
    }
    void HideLines() override {
        journal_.push_back("HideLines");
        Current().linesHidden = true;
    }
    void SetCaptionText(const std::string& text) override {
        journal_.push_back("SetCaptionText");
        captionText = text;
    }
    void SetCaptionFont(const button::FontSpec& font) override {
        journal_.push_back("SetCaptionFont");
        captionFont = font;
    }
    bool SetCaptionColour(uint32_t colour) override {
        journal_.push_back("SetCaptionColour " + std::to_string(colour));
        if (refuseColour) return false;
        captionColour = colour;
        return true;
    }
    bool SetCaptionEnabled(bool enabled) override {
        journal_.push_back(enabled ? "EnableCaption" : "DisableCaption");
        if (failCaptionEnable) return false;
        captionEnabled = enabled;
        return true;
    }
    void PlaceCaption(double top, double left, double width) override {
        journal_.push_back("PlaceCaption");
        FaceRecord& f = Current();
        f.captionTop = top;
        f.captionLeft = left;
        f.captionWidth = width;
    }

    // The pictures of the faces drawn so far, in order.
    std::vector<FacePicture> Pictures() const {
        std::vector<FacePicture> out;
        for (const auto& f : faces)
            if (auto p = f.picture()) out.push_back(*p);
        return out;
    }

    double widthTw = 1215, heightTw = 375;
    int32_t widthPx = 81, heightPx = 25;
    bool refuseColour = false;
    bool failCaptionEnable = false;

    std::vector<FaceRecord> faces;
    std::string captionText;
    button::FontSpec captionFont;
    uint32_t captionColour = 0;
    bool captionEnabled = true;
    uint8_t backStyle = 1;

private:
    FaceRecord& Current() {
        if (faces.empty()) faces.emplace_back();  // drawn without a clear: still recorded
        return faces.back();
    }
    std::vector<std::string>& journal_;
};

class FakeSite : public button::CommandSite {
public:
    explicit FakeSite(std::vector<std::string>& journal) : journal_(journal) {}
    void RaiseClick() override {
        journal_.push_back("Click");
        ++clicks;
    }
    void PropertyChanged(std::string_view key) override {
        journal_.push_back("Notify " + std::string(key));
        notified.emplace_back(key);
    }
    void SetPointerWatch(bool enabled, uint32_t intervalMs) override {
        journal_.push_back("SetPointerWatch");
        watchEnabled = enabled;
        watchInterval = intervalMs;
    }

    int clicks = 0;
    std::vector<std::string> notified;
    bool watchEnabled = false;
    uint32_t watchInterval = 0;

private:
    std::vector<std::string>& journal_;
};

// A button with its fakes, as a host holds it.
struct Rig {
    std::vector<std::string> journal;
    FakePainter painter{journal};
    FakeSite site{journal};
    button::Command cmd{painter, site};

    // Forgets what was drawn and notified so far.
    void Forget() {
        journal.clear();
        painter.faces.clear();
        site.notified.clear();
        site.clicks = 0;
    }
    // A stored instance as the dialog loads it: read from an empty bag, initialized.
    void LoadStored() {
        button::PropertyBag bag;
        cmd.ReadProperties(bag, button::DesignFont());
        cmd.Initialize();
        Forget();
    }
};

}  // namespace button_test
