// The Linux hack: the petal model over a backdrop in an X window, paced at 60 passes a
// second, until a termination signal or the window's end.
#pragma once

#include <string>
#include <vector>

#include "petals/compositor.h"
#include "petals/pixels.h"

namespace hack {

// What a measuring build watches of the hack's passes. The program itself runs with none;
// the benchmark build brings its own, so nothing of the measuring ships in the program.
class PassWatcher {
public:
    virtual ~PassWatcher() = default;
    // False runs the passes back to back instead of at the pace.
    virtual bool Paced() = 0;
    // Once, before the first pass, with the compositor the hack has set up.
    virtual void Starting(petals::Compositor&) {}
    // Before each pass; true when it drew the whole picture into `back` itself, which the
    // hack then presents whole instead of running its own pass.
    virtual bool TakePass(const petals::PixelView& snapshot, const petals::PixelView& back) = 0;
    // The hack ends, with its window's size.
    virtual void Ending(int width, int height) = 0;
};

// Returns the process's exit status.
int RunHack(const std::vector<std::string>& args, const char* program, PassWatcher* watcher = nullptr);

}  // namespace hack
