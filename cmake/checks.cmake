# The warnings every build shows; the presets make each of them stop the build
# (CMAKE_COMPILE_WARNING_AS_ERROR; `cmake --compile-no-warning-as-error` lifts that for a
# compiler newer than the project's).
#
# Beyond -Wall -Wextra: shadowed names (a local hiding a member or an outer variable is
# the classic source of a value that silently goes nowhere), format strings checked for
# their arguments, deleting through a base without a virtual destructor, a virtual hidden
# by an overload, and GCC's checks of duplicated or always-true conditions. These add no
# noise on this code, so there is nothing to keep apart.
# The C++-only ones are left out of C files (the Wayland protocols' generated code).
set(FLUTTERA_WARNINGS -Wall -Wextra -Wshadow -Wformat=2 $<$<COMPILE_LANGUAGE:CXX>:-Wnon-virtual-dtor>
    $<$<COMPILE_LANGUAGE:CXX>:-Woverloaded-virtual>)
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  list(APPEND FLUTTERA_WARNINGS -Wduplicated-cond -Wlogical-op)
endif()
# The program itself (not its tests) is also held to implicit conversions that may change a
# value: pixel arithmetic, 16-bit settings and X11's longs are where a silent truncation
# turns into a wrong picture or an out-of-range index.
set(FLUTTERA_PROGRAM_WARNINGS -Wconversion)

# fluttera_program_warnings(TARGET...): the program's stricter set on these targets.
function(fluttera_program_warnings)
  foreach(target ${ARGN})
    target_compile_options(${target} PRIVATE ${FLUTTERA_PROGRAM_WARNINGS})
  endforeach()
endfunction()

# The sanitized build (preset native-asan): AddressSanitizer and UndefinedBehaviorSanitizer
# (with a float converted to an integer it does not fit, which GCC leaves out of
# "undefined"), every report fatal, with frame pointers for readable stacks, and the
# standard library's own checks (an index past a vector's size but inside its capacity is
# no overflow to ASan).
option(FLUTTERA_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
if(FLUTTERA_SANITIZE)
  set(sanitize -fsanitize=address,undefined,float-cast-overflow -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_compile_options(${sanitize})
  add_compile_definitions(_GLIBCXX_ASSERTIONS)
  add_link_options(${sanitize})
endif()
