// Entry point of fluttera, the hack for XScreenSaver.
#include <string>
#include <vector>

#include "hack/hack_x11.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return hack::RunHack(args, argc > 0 ? argv[0] : "fluttera");
}
