# fluttera-wayland: the portable core with a Wayland front end (src/wayland). Built
# natively where the Wayland client library, wayland-scanner and Debian's
# wayland-protocols are found. The client code of every protocol it speaks is generated at
# build time: xdg-shell (which layer-shell's popups refer to), viewporter and
# fractional-scale from wayland-protocols; layer-shell and screencopy from the project's
# own descriptions in src/wayland/protocols, since no Debian 12 package ships them.
find_program(WAYLAND_SCANNER wayland-scanner)
find_path(WAYLAND_CLIENT_INCLUDE wayland-client.h)
find_library(WAYLAND_CLIENT_LIB wayland-client)
find_path(WAYLAND_PROTOCOLS_DIR stable/xdg-shell/xdg-shell.xml PATHS /usr/share/wayland-protocols NO_DEFAULT_PATH)
if(NOT WAYLAND_SCANNER OR NOT WAYLAND_CLIENT_INCLUDE OR NOT WAYLAND_CLIENT_LIB OR NOT WAYLAND_PROTOCOLS_DIR)
  message(STATUS "fluttera-wayland: not built, no Wayland client library, wayland-scanner or wayland-protocols")
  return()
endif()

set(WL_GEN_DIR ${CMAKE_BINARY_DIR}/generated/wayland)
file(MAKE_DIRECTORY ${WL_GEN_DIR})
set(WL_PROTOCOL_XML
  ${WAYLAND_PROTOCOLS_DIR}/stable/xdg-shell/xdg-shell.xml
  ${WAYLAND_PROTOCOLS_DIR}/stable/viewporter/viewporter.xml
  ${WAYLAND_PROTOCOLS_DIR}/staging/fractional-scale/fractional-scale-v1.xml
  ${CMAKE_SOURCE_DIR}/src/wayland/protocols/wlr-layer-shell-unstable-v1.xml
  ${CMAKE_SOURCE_DIR}/src/wayland/protocols/wlr-screencopy-unstable-v1.xml)
set(WL_PROTOCOL_SRC)
set(WL_PROTOCOL_HEADERS)
foreach(xml ${WL_PROTOCOL_XML})
  get_filename_component(name ${xml} NAME_WE)
  add_custom_command(
    OUTPUT ${WL_GEN_DIR}/${name}-client-protocol.h ${WL_GEN_DIR}/${name}-protocol.c
    COMMAND ${WAYLAND_SCANNER} client-header ${xml} ${WL_GEN_DIR}/${name}-client-protocol.h
    COMMAND ${WAYLAND_SCANNER} private-code ${xml} ${WL_GEN_DIR}/${name}-protocol.c
    DEPENDS ${xml} VERBATIM)
  list(APPEND WL_PROTOCOL_SRC ${WL_GEN_DIR}/${name}-protocol.c ${WL_GEN_DIR}/${name}-client-protocol.h)
  list(APPEND WL_PROTOCOL_HEADERS ${WL_GEN_DIR}/${name}-client-protocol.h)
endforeach()
# The headers alone, for the analyzer, which reads the sources without building them.
add_custom_target(fluttera_wayland_headers DEPENDS ${WL_PROTOCOL_HEADERS})

# The generated code is wayland-scanner's, not ours to mend: a library of its own, without
# the program's -Wconversion, and its headers read as system headers, so neither the
# compiler's checks nor the analyzer (which reads only src/) hold our files to its style.
add_library(fluttera_wayland_protocols STATIC ${WL_PROTOCOL_SRC})
target_include_directories(fluttera_wayland_protocols SYSTEM PUBLIC ${WL_GEN_DIR} ${WAYLAND_CLIENT_INCLUDE})
target_link_libraries(fluttera_wayland_protocols PUBLIC ${WAYLAND_CLIENT_LIB})

file(GLOB WAYLAND_SRC CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/wayland/*_wayland.cpp)
add_executable(fluttera-wayland ${WAYLAND_SRC})
target_link_libraries(fluttera-wayland PRIVATE fluttera_core fluttera_wayland_protocols)
fluttera_program_warnings(fluttera-wayland)

# Installed and packaged with the hack (cmake/linux_hack.cmake makes the package): the
# program where an idle daemon's command finds it, and its manual page, made as the hack's.
include(GNUInstallDirs)
install(TARGETS fluttera-wayland RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(COMMAND fluttera_gzip)
  configure_file(${CMAKE_SOURCE_DIR}/assets/wayland/fluttera-wayland.6.in ${GEN_DIR}/fluttera-wayland.6 @ONLY)
  fluttera_gzip(${GEN_DIR}/fluttera-wayland.6 ${GEN_DIR}/fluttera-wayland.6.gz)
  install(FILES ${GEN_DIR}/fluttera-wayland.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
endif()
