# fluttera, the hack for XScreenSaver: the portable core with an X11 front end. Built
# natively where the X11 and Xext development files are found; installed where Debian's
# XScreenSaver looks for hacks and their settings, with its manual page; packaged as a .deb
# by CPack (scripts/package.sh sets the umask and SOURCE_DATE_EPOCH that make it reproducible).
include(GNUInstallDirs)
find_package(X11)
if(NOT X11_FOUND OR NOT X11_Xext_FOUND)
  message(STATUS "fluttera (XScreenSaver hack): not built, no X11/Xext development files")
  return()
endif()

file(GLOB_RECURSE X11_SRC CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/*_x11.cpp)
set(XSS_HACKDIR ${CMAKE_INSTALL_LIBEXECDIR}/xscreensaver)
set(XSS_CONFIGDIR ${CMAKE_INSTALL_DATADIR}/xscreensaver/config)

# The hack's entry is its own file, so the measuring build can bring another.
set(HACK_MAIN ${CMAKE_SOURCE_DIR}/src/hack/main_x11.cpp)
list(REMOVE_ITEM X11_SRC ${HACK_MAIN})

function(fluttera_hack name)
  add_executable(${name} ${X11_SRC} ${ARGN})
  target_link_libraries(${name} PRIVATE fluttera_core X11::X11 X11::Xext)
  fluttera_program_warnings(${name})
  # Where the build's own prefix keeps XScreenSaver's helpers; Debian's are looked for too.
  target_compile_definitions(${name} PRIVATE FLUTTERA_XSS_LIBEXEC="${CMAKE_INSTALL_FULL_LIBEXECDIR}/xscreensaver")
endfunction()

fluttera_hack(fluttera ${HACK_MAIN})
# The same hack watched by a pass counter, with the loops the measurements compare.
fluttera_hack(fluttera_hack_bench ${CMAKE_SOURCE_DIR}/bench/x11/hack_bench_main_x11.cpp)
set_target_properties(fluttera_hack_bench PROPERTIES EXCLUDE_FROM_ALL ON)
# The hack's pace alone (a paced loop that only waits): the floor under the hack's cost.
add_executable(fluttera_wait_loop EXCLUDE_FROM_ALL ${CMAKE_SOURCE_DIR}/bench/x11/wait_loop_x11.cpp)
target_link_libraries(fluttera_wait_loop PRIVATE fluttera_core X11::X11)
fluttera_program_warnings(fluttera_wait_loop)

install(TARGETS fluttera RUNTIME DESTINATION ${XSS_HACKDIR})

# The command that puts the hack into the user's XScreenSaver list, where users run it.
add_executable(fluttera-xscreensaver ${CMAKE_SOURCE_DIR}/src/hack/list_main_posix.cpp)
target_link_libraries(fluttera-xscreensaver PRIVATE fluttera_core)
fluttera_program_warnings(fluttera-xscreensaver)
install(TARGETS fluttera-xscreensaver RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_SOURCE_DIR}/assets/xscreensaver/fluttera.xml DESTINATION ${XSS_CONFIGDIR})

# MATE's saver lists the themes in its themes folder (category Screensaver) and runs a
# theme's program only from a fixed set of folders, /usr/libexec/xscreensaver among them,
# named by its full path there. The build's own entry names the hack where the package puts
# it (the MATE tests show it there); the installed one names it where this install puts it,
# under the prefix of the install itself (`cmake --install --prefix`, CPack's /usr).
set(FLUTTERA_DEB_PREFIX /usr)
set(FLUTTERA_PACKAGED_HACK ${FLUTTERA_DEB_PREFIX}/${XSS_HACKDIR}/fluttera)
set(DESKTOP_IN ${CMAKE_SOURCE_DIR}/assets/mate-screensaver/fluttera.desktop.in)
configure_file(${DESKTOP_IN} ${CMAKE_BINARY_DIR}/generated/fluttera.desktop @ONLY)
install(CODE "set(FLUTTERA_PACKAGED_HACK \"\${CMAKE_INSTALL_PREFIX}/${XSS_HACKDIR}/fluttera\")
  configure_file(\"${DESKTOP_IN}\" \"${CMAKE_BINARY_DIR}/generated/install/fluttera.desktop\" @ONLY)")
install(FILES ${CMAKE_BINARY_DIR}/generated/install/fluttera.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications/screensavers)

# The package's maintainer, named once: the package's control file, its changelog and its
# copyright file.
set(FLUTTERA_MAINTAINER "Fluttera developers <fluttera@users.noreply.fluttera.org>")

# fluttera_gzip IN OUT: OUT is IN compressed as Debian wants it (best compression, no name
# or time inside, so the same text gives the same bytes).
function(fluttera_gzip in out)
  execute_process(COMMAND gzip -9 -n -c ${in} OUTPUT_FILE ${out} RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "gzip ${in}: ${rc}")
  endif()
endfunction()

# The manual page, with the project's version, compressed at configure time (editing the
# page configures again). Its date and the changelog's are the release's: SOURCE_DATE_EPOCH
# (the commit's time, as scripts/package.sh sets it), else the day of the build.
set(GEN_DIR ${CMAKE_BINARY_DIR}/generated)
string(TIMESTAMP FLUTTERA_RELEASE_DATE "%Y-%m-%d" UTC)
string(TIMESTAMP FLUTTERA_RELEASE_TIME "%a, %d %b %Y %H:%M:%S +0000" UTC)
configure_file(${CMAKE_SOURCE_DIR}/assets/xscreensaver/fluttera.6.in ${GEN_DIR}/fluttera.6 @ONLY)
fluttera_gzip(${GEN_DIR}/fluttera.6 ${GEN_DIR}/fluttera.6.gz)
install(FILES ${GEN_DIR}/fluttera.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
configure_file(${CMAKE_SOURCE_DIR}/assets/xscreensaver/fluttera-xscreensaver.1.in ${GEN_DIR}/fluttera-xscreensaver.1 @ONLY)
fluttera_gzip(${GEN_DIR}/fluttera-xscreensaver.1 ${GEN_DIR}/fluttera-xscreensaver.1.gz)
install(FILES ${GEN_DIR}/fluttera-xscreensaver.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# The package's documents: its changelog, the licence in Debian's machine-readable form (its
# text taken from LICENSE) and README.Debian, the step each user takes after installing.
set(DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/fluttera)
file(READ ${CMAKE_SOURCE_DIR}/LICENSE licence)
string(FIND "${licence}" "Permission" from)
string(SUBSTRING "${licence}" ${from} -1 licence)
string(STRIP "${licence}" licence)
string(REPLACE "\n\n" "\n.\n" licence "${licence}")
string(REPLACE "\n" "\n " FLUTTERA_LICENSE_TEXT " ${licence}")
configure_file(${CMAKE_SOURCE_DIR}/packaging/deb/copyright.in ${GEN_DIR}/copyright @ONLY)
configure_file(${CMAKE_SOURCE_DIR}/packaging/deb/changelog.in ${GEN_DIR}/changelog @ONLY)
fluttera_gzip(${GEN_DIR}/changelog ${GEN_DIR}/changelog.gz)
install(FILES ${GEN_DIR}/copyright ${GEN_DIR}/changelog.gz ${CMAKE_SOURCE_DIR}/packaging/deb/README.Debian
        DESTINATION ${DOC_DIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME fluttera)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${FLUTTERA_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Cherry-blossom petals over your desktop, for XScreenSaver and Wayland")
set(CPACK_PACKAGE_DESCRIPTION "fluttera draws cherry-blossom petals that fall, sway and tumble over a
still picture of the desktop, sixty passes a second, scaled on high-DPI
screens. XScreenSaver runs it like its own hacks, one per monitor, and
its settings dialog sets the number of petals. MATE's screen saver lists
it among its themes, with the desktop's background picture under the
petals. Each user puts it into their XScreenSaver list with one command,
fluttera-xscreensaver add.

On Wayland compositors with layer-shell (sway and others), fluttera-wayland
shows the petals on every output; an idle daemon such as swayidle starts it.

It is the same petal animation as the Windows screen saver Fluttera.")
set(CPACK_PACKAGING_INSTALL_PREFIX ${FLUTTERA_DEB_PREFIX})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xscreensaver, xscreensaver-data")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "swayidle")
set(CPACK_DEBIAN_PACKAGE_ENHANCES "mate-screensaver")
set(CPACK_OUTPUT_FILE_PREFIX ${CMAKE_BINARY_DIR}/packages)
include(CPack)
