#include "wayland/output_wayland.h"

#include <time.h>

#include <climits>
#include <new>
#include <optional>
#include <utility>

#include "petals/petal_frames.h"
#include "wayland/capture_pixels.h"

namespace wayland {
namespace {

int64_t NowNs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return int64_t{ts.tv_sec} * 1000000000 + ts.tv_nsec;
}

}  // namespace

const wl_output_listener Output::kOutputListener = {&Output::OnGeometry, &Output::OnMode, &Output::OnDone,
                                                    &Output::OnScale,    &Output::OnName, &Output::OnDescription};
const zwlr_layer_surface_v1_listener Output::kLayerListener = {&Output::OnConfigure, &Output::OnClosed};
const wl_callback_listener Output::kFrameListener = {&Output::OnFrame};
const wp_fractional_scale_v1_listener Output::kFractionalListener = {&Output::OnPreferredScale};

Output::Output(const Globals& globals, wl_output* output, uint32_t registryName, uint32_t seed,
               std::function<void(const std::string&)> fail)
    : g_(globals), output_(output), registryName_(registryName), seed_(seed), fail_(std::move(fail)),
      name_("output-" + std::to_string(registryName)), pace_(1000000000) {
    wl_output_add_listener(output_, &kOutputListener, this);
    // Before version 2 the output sends no "done": nothing more to wait for.
    if (wl_output_get_version(output_) < WL_OUTPUT_DONE_SINCE_VERSION) Start();
}

Output::~Output() {
    capture_.reset();
    DestroySurface();
    if (wl_output_get_version(output_) >= WL_OUTPUT_RELEASE_SINCE_VERSION) wl_output_release(output_);
    else wl_output_destroy(output_);
}

void Output::OnGeometry(void* data, wl_output*, int32_t, int32_t, int32_t, int32_t, int32_t, const char*, const char*,
                        int32_t transform) {
    static_cast<Output*>(data)->transform_ = static_cast<uint32_t>(transform);
}

void Output::OnScale(void* data, wl_output*, int32_t factor) { static_cast<Output*>(data)->pendingScale_ = factor; }

void Output::OnName(void* data, wl_output*, const char* name) { static_cast<Output*>(data)->name_ = name; }

// The output's description is complete: the first time, the saver starts on it; later,
// a new scale lays its petals out again.
void Output::OnDone(void* data, wl_output*) {
    auto* self = static_cast<Output*>(data);
    const bool rescaled = self->pendingScale_ != self->scale_;
    self->scale_ = self->pendingScale_;
    if (!self->started_) self->Start();
    else if (rescaled && self->layer_ && self->logicalWidth_ > 0) self->Relayout();
}

// A picture of the output first, while nothing of the saver shows on it; then the surface.
void Output::Start() {
    started_ = true;
    if (!g_.screencopy) {
        ShowSurface(false);
        return;
    }
    captureTransform_ = transform_;
    capture_ = std::make_unique<Capture>(g_.screencopy, g_.shm, output_, [this](bool ok) {
        if (!ok) capture_.reset();  // no picture of this output: the live desktop, then
        ShowSurface(ok);
    });
}

void Output::ShowSurface(bool still) {
    still_ = still;
    surface_ = wl_compositor_create_surface(g_.compositor);
    if (g_.viewporter && g_.fractional) {
        viewport_ = wp_viewporter_get_viewport(g_.viewporter, surface_);
        fractional_ = wp_fractional_scale_manager_v1_get_fractional_scale(g_.fractional, surface_);
        wp_fractional_scale_v1_add_listener(fractional_, &kFractionalListener, this);
    }
    layer_ = zwlr_layer_shell_v1_get_layer_surface(g_.layerShell, surface_, output_, ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY,
                                                   "fluttera");
    zwlr_layer_surface_v1_add_listener(layer_, &kLayerListener, this);
    zwlr_layer_surface_v1_set_size(layer_, 0, 0);
    zwlr_layer_surface_v1_set_anchor(layer_, ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM |
                                                 ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT |
                                                 ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT);
    zwlr_layer_surface_v1_set_exclusive_zone(layer_, -1);
    zwlr_layer_surface_v1_set_keyboard_interactivity(layer_, ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_EXCLUSIVE);
    wl_surface_commit(surface_);  // no buffer yet: the compositor answers with the size
}

void Output::DestroySurface() {
    if (frame_) wl_callback_destroy(frame_);
    if (fractional_) wp_fractional_scale_v1_destroy(fractional_);
    if (viewport_) wp_viewport_destroy(viewport_);
    if (layer_) zwlr_layer_surface_v1_destroy(layer_);
    if (surface_) wl_surface_destroy(surface_);
    frame_ = nullptr;
    fractional_ = nullptr;
    viewport_ = nullptr;
    layer_ = nullptr;
    surface_ = nullptr;
    buffers_.Destroy();
    scene_.reset();
    layout_ = SurfaceLayout{};
}

void Output::OnConfigure(void* data, zwlr_layer_surface_v1* layer, uint32_t serial, uint32_t width,
                         uint32_t height) {
    auto* self = static_cast<Output*>(data);
    zwlr_layer_surface_v1_ack_configure(layer, serial);
    self->logicalWidth_ = static_cast<int32_t>(std::min<uint32_t>(width, INT32_MAX));
    self->logicalHeight_ = static_cast<int32_t>(std::min<uint32_t>(height, INT32_MAX));
    self->Relayout();
}

// The compositor will not show the surface again (its output is going away).
void Output::OnClosed(void* data, zwlr_layer_surface_v1*) { static_cast<Output*>(data)->DestroySurface(); }

void Output::OnPreferredScale(void* data, wp_fractional_scale_v1*, uint32_t scale120) {
    auto* self = static_cast<Output*>(data);
    self->preferred120_ = scale120;
    if (self->logicalWidth_ > 0) self->Relayout();
}

void Output::Fail(const char* what) {
    fail_(std::string("no memory for ") + what + " of " + std::to_string(logicalWidth_) + "x" +
          std::to_string(logicalHeight_) + " at scale " + std::to_string(scale_) + " on " + name_);
}

// The surface's size or scale is new: buffers, picture and petals for it, and at once
// the first picture (later ones come with the frame callbacks).
void Output::Relayout() {
    // A compositor before version 3 of wl_compositor cannot take a buffer scale.
    const int32_t scale = wl_compositor_get_version(g_.compositor) >= WL_SURFACE_SET_BUFFER_SCALE_SINCE_VERSION ? scale_ : 1;
    const SurfaceLayout layout = LayoutSurface(logicalWidth_, logicalHeight_, scale, preferred120_, viewport_ != nullptr);
    if (layout.Empty()) return Fail("a surface");
    if (layout.bufferWidth == layout_.bufferWidth && layout.bufferHeight == layout_.bufferHeight &&
        layout.bufferScale == layout_.bufferScale && layout.viewport == layout_.viewport && layout.dpi == layout_.dpi)
        return;
    layout_ = layout;
    if (!MakePicture(layout)) return Fail("a surface");
    if (layout.viewport) {
        wl_surface_set_buffer_scale(surface_, 1);
        wp_viewport_set_destination(viewport_, logicalWidth_, logicalHeight_);
    } else {
        if (viewport_) wp_viewport_set_destination(viewport_, -1, -1);
        wl_surface_set_buffer_scale(surface_, layout.bufferScale);
    }
    if (still_) {  // nothing under an opaque surface needs drawing
        wl_region* region = wl_compositor_create_region(g_.compositor);
        wl_region_add(region, 0, 0, logicalWidth_, logicalHeight_);
        wl_surface_set_opaque_region(surface_, region);
        wl_region_destroy(region);
    }
    passWaiting_ = false;
    if (!frame_) Pass();
}

// The buffers, the backdrop and the petals at the layout's size; false without memory.
bool Output::MakePicture(const SurfaceLayout& layout) {
    const int32_t w = layout.bufferWidth, h = layout.bufferHeight;
    const uint32_t format = still_ ? WL_SHM_FORMAT_XRGB8888 : WL_SHM_FORMAT_ARGB8888;
    if (!buffers_.Create(g_.shm, w, h, format, [this] { BufferFree(); })) return false;
    try {
        // Transparent where there is no picture: the live desktop shows through.
        snapshotPixels_.assign(static_cast<size_t>(w) * static_cast<size_t>(h), 0);
        snapshot_ = petals::PixelView{snapshotPixels_.data(), w, h, w};
        if (still_ && !FitCapture(capture_->picture(captureTransform_), snapshot_)) return false;
        if (!scene_) {
            scene_ = std::make_unique<petals::Scene>(g_.count, seed_);
            // The petals' own rectangles, joined only where they overlap: the catch-up copy
            // between the buffers is then the least, and the damage is joined for the
            // compositor on its own (DamageShaper).
            scene_->compositor().SetRectCost(0);
            damage_.Reserve(2 * (static_cast<size_t>(g_.count) + 1) + 1);
        }
        const petals::PixelRect whole{0, 0, w, h};
        scene_->Lay({petals::Monitor{whole, layout.dpi}}, whole);
        for (int32_t size : scene_->MissingFrameSizes()) {
            std::optional<petals::SpriteFrames> frames = petals::LoadPetalFrames(size);
            if (!frames) return false;
            PrepareFrames(*frames, !still_);
            scene_->SetFrames(std::move(*frames));
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

void Output::OnFrame(void* data, wl_callback* callback, uint32_t) {
    auto* self = static_cast<Output*>(data);
    wl_callback_destroy(callback);
    self->frame_ = nullptr;
    if (self->pace_.OnFrame(NowNs())) {
        self->Pass();
    } else {  // too soon after the last pass on a fast output: only wait for the next
        self->AskFrame();
        wl_surface_commit(self->surface_);
    }
}

void Output::AskFrame() {
    frame_ = wl_surface_frame(surface_);
    wl_callback_add_listener(frame_, &kFrameListener, this);
}

void Output::BufferFree() {
    if (passWaiting_ && surface_) Pass();
}

// One pass of the petals, into a buffer the compositor is not reading, with the damage
// of what changed (joined so that the compositor repaints little more), and the wish for
// the next frame callback. A pass that changed nothing attaches nothing: the compositor
// has nothing to redraw.
void Output::Pass() {
    if (!scene_ || !surface_) return;
    ShmBuffer* buffer = buffers_.Begin();
    if (!buffer) {
        passWaiting_ = true;
        return;
    }
    passWaiting_ = false;
    const std::vector<petals::PixelRect>& changed = scene_->Pass(snapshot_, buffer->view());
    ++passes_;
    buffers_.Drawn(changed, !changed.empty());
    if (!changed.empty()) {
        wl_surface_attach(surface_, buffer->buffer(), 0, 0);
        if (wl_surface_get_version(surface_) >= WL_SURFACE_DAMAGE_BUFFER_SINCE_VERSION) {
            for (const petals::PixelRect& r : damage_.Shape(changed))
                wl_surface_damage_buffer(surface_, r.left, r.top, r.Width(), r.Height());
        } else {
            wl_surface_damage(surface_, 0, 0, INT32_MAX, INT32_MAX);
        }
    }
    AskFrame();
    wl_surface_commit(surface_);
}

}  // namespace wayland
