// One output of the compositor and the saver's surface on it: a layer-shell surface on the
// overlay layer covering the output, with its own petals at the output's scale, over a
// still picture of the output taken before it showed (screencopy) or, where the
// compositor takes none, over the live desktop through a transparent surface. Its passes
// come only with the surface's frame callbacks, so an output that is off or hidden, and
// gives none, costs nothing.
#pragma once

#include <wayland-client.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "fractional-scale-v1-client-protocol.h"
#include "petals/scene.h"
#include "viewporter-client-protocol.h"
#include "wayland/buffers_wayland.h"
#include "wayland/damage_rules.h"
#include "wayland/output_rules.h"
#include "wayland/screencopy_wayland.h"
#include "wlr-layer-shell-unstable-v1-client-protocol.h"

namespace wayland {

// What every output's surface is made with.
struct Globals {
    wl_compositor* compositor = nullptr;
    wl_shm* shm = nullptr;
    zwlr_layer_shell_v1* layerShell = nullptr;
    zwlr_screencopy_manager_v1* screencopy = nullptr;  // null: over the live desktop
    wp_viewporter* viewporter = nullptr;
    wp_fractional_scale_manager_v1* fractional = nullptr;
    int32_t count = 0;
};

class Output {
public:
    // `fail` ends the saver with its line (no memory for the surface).
    Output(const Globals& globals, wl_output* output, uint32_t registryName, uint32_t seed,
           std::function<void(const std::string&)> fail);
    ~Output();
    Output(const Output&) = delete;
    Output& operator=(const Output&) = delete;

    uint32_t registryName() const { return registryName_; }
    const std::string& name() const { return name_; }
    uint64_t passes() const { return passes_; }

private:
    static void OnGeometry(void* data, wl_output*, int32_t, int32_t, int32_t, int32_t, int32_t, const char*,
                           const char*, int32_t transform);
    static void OnMode(void*, wl_output*, uint32_t, int32_t, int32_t, int32_t) {}
    static void OnDone(void* data, wl_output*);
    static void OnScale(void* data, wl_output*, int32_t factor);
    static void OnName(void* data, wl_output*, const char* name);
    static void OnDescription(void*, wl_output*, const char*) {}
    static void OnConfigure(void* data, zwlr_layer_surface_v1*, uint32_t serial, uint32_t width, uint32_t height);
    static void OnClosed(void* data, zwlr_layer_surface_v1*);
    static void OnFrame(void* data, wl_callback* callback, uint32_t);
    static void OnPreferredScale(void* data, wp_fractional_scale_v1*, uint32_t scale120);
    static const wl_output_listener kOutputListener;
    static const zwlr_layer_surface_v1_listener kLayerListener;
    static const wl_callback_listener kFrameListener;
    static const wp_fractional_scale_v1_listener kFractionalListener;

    void Start();
    void ShowSurface(bool still);
    void DestroySurface();
    void Relayout();
    bool MakePicture(const SurfaceLayout& layout);
    void Pass();
    void AskFrame();
    void BufferFree();
    void Fail(const char* what);

    Globals g_;
    wl_output* output_;
    uint32_t registryName_;
    uint32_t seed_;
    std::function<void(const std::string&)> fail_;
    std::string name_;
    int32_t scale_ = 1, pendingScale_ = 1;
    uint32_t transform_ = 0;         // how the output is turned (wl_output.transform)
    uint32_t captureTransform_ = 0;  // how it was turned when its picture was taken
    bool started_ = false;

    std::unique_ptr<Capture> capture_;
    bool still_ = false;  // over a still picture, else over the live desktop
    wl_surface* surface_ = nullptr;
    zwlr_layer_surface_v1* layer_ = nullptr;
    wp_viewport* viewport_ = nullptr;
    wp_fractional_scale_v1* fractional_ = nullptr;
    wl_callback* frame_ = nullptr;
    int32_t logicalWidth_ = 0, logicalHeight_ = 0;
    uint32_t preferred120_ = 0;
    SurfaceLayout layout_;

    SurfaceBuffers buffers_;
    std::vector<uint32_t> snapshotPixels_;
    petals::PixelView snapshot_;
    std::unique_ptr<petals::Scene> scene_;
    DamageShaper damage_;  // what the compositor is told changed
    FramePace pace_;
    bool passWaiting_ = false;  // a pass is due as soon as a buffer comes free
    uint64_t passes_ = 0;
};

}  // namespace wayland
