# fluttera, the hack for XScreenSaver: the portable core with an X11 front end. Built
# natively where the X11 and Xext development files are found; installed where Debian's
# XScreenSaver looks for hacks and their settings; packaged as a .deb by CPack.
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
  # Where the build's own prefix keeps XScreenSaver's helpers; Debian's are looked for too.
  target_compile_definitions(${name} PRIVATE FLUTTERA_XSS_LIBEXEC="${CMAKE_INSTALL_FULL_LIBEXECDIR}/xscreensaver")
endfunction()

fluttera_hack(fluttera ${HACK_MAIN})
# The same hack watched by a pass counter, with the loops the measurements compare.
fluttera_hack(fluttera_hack_bench ${CMAKE_SOURCE_DIR}/bench/x11/hack_bench_main_x11.cpp)
set_target_properties(fluttera_hack_bench PROPERTIES EXCLUDE_FROM_ALL ON)

install(TARGETS fluttera RUNTIME DESTINATION ${XSS_HACKDIR})
install(FILES ${CMAKE_SOURCE_DIR}/assets/xscreensaver/fluttera.xml DESTINATION ${XSS_CONFIGDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME fluttera)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Fluttera developers <fluttera@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Cherry-blossom petals over your desktop, a hack for XScreenSaver")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xscreensaver, xscreensaver-data")
set(CPACK_OUTPUT_FILE_PREFIX ${CMAKE_BINARY_DIR}/packages)
include(CPack)
