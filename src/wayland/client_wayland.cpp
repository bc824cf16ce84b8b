#include "wayland/client_wayland.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>
#include <wayland-client.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "fluttera_version.h"
#include "petals/scene.h"
#include "wayland/options.h"
#include "wayland/output_wayland.h"
#include "wayland/seat_wayland.h"

namespace wayland {
namespace {

constexpr const char* kProgram = "fluttera-wayland";

void Say(const std::string& line) { std::fprintf(stderr, "%s: %s\n", kProgram, line.c_str()); }

class Client {
public:
    explicit Client(int32_t count) { globals_.count = count; }
    ~Client();
    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;

    // Connects and checks what the compositor offers; false (with the line said) when the
    // saver cannot run there, or when a termination signal came first (stopped()).
    bool Connect(int signals);
    bool stopped() const { return stopped_; }
    // Until a key, a click, a termination signal or a failure; returns the exit status.
    int Run(int signals);

private:
    static void OnGlobal(void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t version);
    static void OnGlobalRemove(void* data, wl_registry*, uint32_t name);
    static const wl_registry_listener kRegistryListener;
    static const wl_callback_listener kSyncListener;

    void AddOutput(uint32_t name, uint32_t version);
    void OnInput(InputEvent e) {
        if (EndsSaver(e)) ended_ = true;
    }
    void Fail(const std::string& why) {
        if (failure_.empty()) failure_ = why;
        ended_ = true;
    }
    std::string LostConnection() const;
    bool ReadSignals(int fd);
    enum class Waited { Went, Stopped, Failed };
    Waited WaitOnce(int signals);
    void PrintPasses() const;

    wl_display* display_ = nullptr;
    wl_registry* registry_ = nullptr;
    Globals globals_;
    bool ready_ = false;  // the first round of globals is in: outputs start as they come
    std::vector<std::pair<uint32_t, uint32_t>> waitingOutputs_;  // registry name, version
    std::vector<std::unique_ptr<Output>> outputs_;
    std::vector<std::unique_ptr<Seat>> seats_;
    uint32_t seed_ = petals::TimeOfDaySeed();
    bool ended_ = false;
    bool stopped_ = false;  // a termination signal before the saver started
    std::string failure_;
};

const wl_registry_listener Client::kRegistryListener = {&Client::OnGlobal, &Client::OnGlobalRemove};
const wl_callback_listener Client::kSyncListener = {[](void* data, wl_callback* callback, uint32_t) {
    wl_callback_destroy(callback);
    *static_cast<bool*>(data) = true;
}};

template <typename T>
T* Bind(wl_registry* registry, uint32_t name, const wl_interface* interface, uint32_t offered, uint32_t wanted) {
    return static_cast<T*>(wl_registry_bind(registry, name, interface, std::min(offered, wanted)));
}

void Client::OnGlobal(void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t version) {
    auto* self = static_cast<Client*>(data);
    Globals& g = self->globals_;
    const std::string iface = interface;
    // One of each; a second offer of a global is left alone.
    if (iface == wl_compositor_interface.name && !g.compositor) {
        g.compositor = Bind<wl_compositor>(registry, name, &wl_compositor_interface, version, 4);
        return;
    }
    if (iface == wl_shm_interface.name && !g.shm) {
        g.shm = Bind<wl_shm>(registry, name, &wl_shm_interface, version, 1);
        return;
    }
    if (iface == zwlr_layer_shell_v1_interface.name && !g.layerShell) {
        g.layerShell = Bind<zwlr_layer_shell_v1>(registry, name, &zwlr_layer_shell_v1_interface, version, 4);
        return;
    }
    if (iface == zwlr_screencopy_manager_v1_interface.name && !g.screencopy) {
        g.screencopy = Bind<zwlr_screencopy_manager_v1>(registry, name, &zwlr_screencopy_manager_v1_interface, version, 3);
        return;
    }
    if (iface == wp_viewporter_interface.name && !g.viewporter) {
        g.viewporter = Bind<wp_viewporter>(registry, name, &wp_viewporter_interface, version, 1);
        return;
    }
    if (iface == wp_fractional_scale_manager_v1_interface.name && !g.fractional) {
        g.fractional = Bind<wp_fractional_scale_manager_v1>(registry, name, &wp_fractional_scale_manager_v1_interface,
                                                            version, 1);
        return;
    }
    if (iface == wl_seat_interface.name) {
        auto* seat = Bind<wl_seat>(registry, name, &wl_seat_interface, version, 7);
        self->seats_.push_back(std::make_unique<Seat>(seat, name, [self](InputEvent e) { self->OnInput(e); }));
        return;
    }
    if (iface == wl_output_interface.name) {
        if (self->ready_) self->AddOutput(name, version);
        else self->waitingOutputs_.emplace_back(name, version);
    }
}

void Client::OnGlobalRemove(void* data, wl_registry*, uint32_t name) {
    auto* self = static_cast<Client*>(data);
    auto& outputs = self->outputs_;
    outputs.erase(std::remove_if(outputs.begin(), outputs.end(), [name](const auto& o) { return o->registryName() == name; }),
                  outputs.end());
    auto& seats = self->seats_;
    seats.erase(std::remove_if(seats.begin(), seats.end(), [name](const auto& s) { return s->registryName() == name; }),
                seats.end());
}

void Client::AddOutput(uint32_t name, uint32_t version) {
    auto* output = Bind<wl_output>(registry_, name, &wl_output_interface, version, 4);
    // Each output its own petals: the seeds differ, or outputs of one size would mirror.
    const uint32_t seed = seed_ + 7919u * static_cast<uint32_t>(outputs_.size() + 1);
    outputs_.push_back(std::make_unique<Output>(globals_, output, name, seed, [this](const std::string& why) { Fail(why); }));
}

Client::~Client() {
    outputs_.clear();
    seats_.clear();
    if (globals_.fractional) wp_fractional_scale_manager_v1_destroy(globals_.fractional);
    if (globals_.viewporter) wp_viewporter_destroy(globals_.viewporter);
    if (globals_.screencopy) zwlr_screencopy_manager_v1_destroy(globals_.screencopy);
    if (globals_.layerShell) {
        if (zwlr_layer_shell_v1_get_version(globals_.layerShell) >= ZWLR_LAYER_SHELL_V1_DESTROY_SINCE_VERSION)
            zwlr_layer_shell_v1_destroy(globals_.layerShell);
        else
            wl_proxy_destroy(reinterpret_cast<wl_proxy*>(globals_.layerShell));
    }
    if (globals_.shm) wl_shm_destroy(globals_.shm);
    if (globals_.compositor) wl_compositor_destroy(globals_.compositor);
    if (registry_) wl_registry_destroy(registry_);
    if (display_) {
        wl_display_flush(display_);
        wl_display_disconnect(display_);
    }
}

bool Client::Connect(int signals) {
    display_ = wl_display_connect(nullptr);
    if (!display_) {
        Say("no Wayland compositor to connect to (is WAYLAND_DISPLAY set?)");
        return false;
    }
    registry_ = wl_display_get_registry(display_);
    wl_registry_add_listener(registry_, &kRegistryListener, this);
    // The globals, waited for beside the signals: a compositor that never answers must not
    // keep a SIGTERM from ending the saver.
    bool answered = false;
    wl_callback* sync = wl_display_sync(display_);
    wl_callback_add_listener(sync, &kSyncListener, &answered);
    while (!answered) {
        const Waited w = WaitOnce(signals);
        if (w == Waited::Went) continue;
        if (!answered) wl_callback_destroy(sync);  // else gone with its answer
        stopped_ = w == Waited::Stopped;
        return false;
    }
    if (!globals_.layerShell) {
        Say("this compositor has no layer-shell (zwlr_layer_shell_v1); GNOME does not offer it");
        return false;
    }
    if (!globals_.compositor || !globals_.shm) {
        Say("this compositor offers no surfaces in shared memory (wl_compositor, wl_shm)");
        return false;
    }
    // Every global is known now (screencopy above all): the outputs can start.
    ready_ = true;
    for (const auto& [name, version] : waitingOutputs_) AddOutput(name, version);
    waitingOutputs_.clear();
    return true;
}

std::string Client::LostConnection() const {
    const int err = wl_display_get_error(display_);
    if (err == EPROTO) {
        const wl_interface* iface = nullptr;
        uint32_t id = 0;
        const uint32_t code = wl_display_get_protocol_error(display_, &iface, &id);
        return "the compositor ended the connection: protocol error " + std::to_string(code) + " on " +
               (iface ? iface->name : "an unknown object");
    }
    return std::string("lost the connection to the compositor") + (err ? std::string(" (") + std::strerror(err) + ")" : "");
}

// True when a signal ends the saver; SIGUSR1 only prints the passes.
bool Client::ReadSignals(int fd) {
    signalfd_siginfo info{};
    bool stop = false;
    while (read(fd, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
        if (info.ssi_signo == SIGUSR1) PrintPasses();
        else stop = true;
    }
    return stop;
}

// One line per output: its name and the passes it made since the start. An output that
// is off makes none, which the end-to-end tests read here. A reader that stopped reading
// must not stall the loop (the saver would hold the keyboard and no longer end on a key):
// a line that standard output cannot take at once is dropped.
void Client::PrintPasses() const {
    for (const auto& o : outputs_) {
        const std::string line = o->name() + " passes=" + std::to_string(o->passes()) + "\n";
        pollfd out{STDOUT_FILENO, POLLOUT, 0};
        if (poll(&out, 1, 0) != 1 || !(out.revents & POLLOUT)) return;
        if (write(STDOUT_FILENO, line.data(), line.size()) < 0 && errno != EINTR) return;
    }
}

// One wait on the compositor and on the signals, and what came from the compositor
// dispatched. A lost connection is said here.
Client::Waited Client::WaitOnce(int signals) {
    while (wl_display_prepare_read(display_) != 0) {
        if (wl_display_dispatch_pending(display_) < 0) return Say(LostConnection()), Waited::Failed;
    }
    if (ended_) {
        wl_display_cancel_read(display_);
        return Waited::Went;
    }
    short wlEvents = POLLIN;
    if (wl_display_flush(display_) < 0) {
        if (errno != EAGAIN) {
            wl_display_cancel_read(display_);
            return Say(LostConnection()), Waited::Failed;
        }
        wlEvents |= POLLOUT;  // the socket is full: wait until it takes more
    }
    pollfd fds[2] = {{wl_display_get_fd(display_), wlEvents, 0}, {signals, POLLIN, 0}};
    if (poll(fds, 2, -1) < 0) {
        wl_display_cancel_read(display_);
        if (errno == EINTR) return Waited::Went;
        return Say(std::string("poll: ") + std::strerror(errno)), Waited::Failed;
    }
    if (fds[0].revents & (POLLIN | POLLERR | POLLHUP)) {
        if (wl_display_read_events(display_) < 0) return Say(LostConnection()), Waited::Failed;
    } else {
        wl_display_cancel_read(display_);
    }
    if (wl_display_dispatch_pending(display_) < 0) return Say(LostConnection()), Waited::Failed;
    if ((fds[1].revents & POLLIN) && ReadSignals(signals)) return Waited::Stopped;
    return Waited::Went;
}

int Client::Run(int signals) {
    while (!ended_) {
        const Waited w = WaitOnce(signals);
        if (w == Waited::Failed) return 1;
        if (w == Waited::Stopped) break;
    }
    if (!failure_.empty()) {
        Say(failure_);
        return 1;
    }
    return 0;
}

}  // namespace

int RunWayland(const std::vector<std::string>& args) {
    // Started with standard input, output or error closed, the compositor's socket would
    // take one of their numbers and the pass counts would be written into the protocol.
    for (int fd = open("/dev/null", O_RDWR); fd >= 0; fd = open("/dev/null", O_RDWR)) {
        if (fd > STDERR_FILENO) {
            close(fd);
            break;
        }
    }
    const WaylandOptions options = ParseWaylandOptions(args);
    for (const std::string& m : options.messages) Say(m);
    if (options.help) {
        std::fputs(WaylandUsage(kProgram).c_str(), stdout);
        return 0;
    }
    if (options.version) {
        std::printf("%s %d.%d.%d\n", kProgram, FLUTTERA_VERSION_MAJOR, FLUTTERA_VERSION_MINOR, FLUTTERA_VERSION_PATCH);
        return 0;
    }
    if (!options.ok) {
        std::fputs(WaylandUsage(kProgram).c_str(), stderr);
        return 1;
    }
    // The ending signals and the request for the pass counts arrive on a descriptor the
    // loop polls beside the compositor's, never in the middle of a pass.
    // A reader of the pass counts that went away must not end the saver.
    signal(SIGPIPE, SIG_IGN);
    sigset_t set;
    sigemptyset(&set);
    for (int s : {SIGTERM, SIGINT, SIGHUP, SIGUSR1}) sigaddset(&set, s);
    sigprocmask(SIG_BLOCK, &set, nullptr);
    const int signals = signalfd(-1, &set, SFD_CLOEXEC | SFD_NONBLOCK);
    if (signals < 0) {
        Say(std::string("signalfd: ") + std::strerror(errno));
        return 1;
    }
    int status = 1;
    {
        Client client(options.count);
        if (client.Connect(signals)) status = client.Run(signals);
        else if (client.stopped()) status = 0;
    }
    close(signals);
    return status;
}

}  // namespace wayland
