# quillomantrase, the Linux screen saver: the engine behind an SDL2 display and a shell that runs
# full screen by itself or as an xscreensaver hack. Without SDL2 (or Xlib) it is left out.
include_guard(GLOBAL)

find_package(SDL2 CONFIG QUIET)
find_package(X11 QUIET)
if(NOT SDL2_FOUND OR NOT X11_FOUND OR NOT X11_Xss_FOUND OR NOT X11_Xrandr_FOUND)
  message(STATUS "SDL2, Xlib, XScreenSaver or XRandR development files not found (Debian: libsdl2-dev, which brings the others): quillomantrase, the Linux saver, is not built")
  return()
endif()

include(${CMAKE_CURRENT_LIST_DIR}/command-line.cmake)
include(GNUInstallDirs)

# Where xscreensaver looks for its hacks and their settings descriptions, under the install
# prefix: with the prefix /usr (the Debian package's) these are xscreensaver's own places.
set(QUILLOMANTRASE_HACK_DIR ${CMAKE_INSTALL_LIBEXECDIR}/xscreensaver CACHE STRING
    "Directory for the xscreensaver hack (relative to the install prefix, or absolute)")
set(QUILLOMANTRASE_XSCREENSAVER_CONFIG_DIR ${CMAKE_INSTALL_DATADIR}/xscreensaver/config CACHE STRING
    "Directory for xscreensaver's hack descriptions (relative to the install prefix, or absolute)")

# Debian's SDL2 names its target SDL2::SDL2; older packages give only the variables.
if(TARGET SDL2::SDL2)
  set(QUILLOMANTRASE_SDL2 SDL2::SDL2)
else()
  add_library(quillomantrase_sdl2 INTERFACE)
  target_include_directories(quillomantrase_sdl2 INTERFACE ${SDL2_INCLUDE_DIRS})
  target_link_libraries(quillomantrase_sdl2 INTERFACE ${SDL2_LIBRARIES})
  set(QUILLOMANTRASE_SDL2 quillomantrase_sdl2)
endif()

add_library(quillomantrase_display_sdl STATIC
  ${PROJECT_SOURCE_DIR}/display/sdl_display.cpp
  ${PROJECT_SOURCE_DIR}/display/frame_changes.cpp)
target_include_directories(quillomantrase_display_sdl PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(quillomantrase_display_sdl PUBLIC ${QUILLOMANTRASE_SDL2})

add_library(quillomantrase_linux_arguments STATIC ${PROJECT_SOURCE_DIR}/shell/linux/saver_arguments.cpp)
target_link_libraries(quillomantrase_linux_arguments PUBLIC quillomantrase_command_line)

add_executable(quillomantrase
  ${PROJECT_SOURCE_DIR}/shell/linux/main.cpp
  ${PROJECT_SOURCE_DIR}/shell/linux/saver_run.cpp
  ${PROJECT_SOURCE_DIR}/shell/linux/display_covers.cpp
  ${PROJECT_SOURCE_DIR}/shell/linux/desk_monitors.cpp
  ${PROJECT_SOURCE_DIR}/shell/linux/globe_window.cpp
  ${PROJECT_SOURCE_DIR}/shell/linux/saver_input.cpp
  ${PROJECT_SOURCE_DIR}/shell/linux/host_window.cpp
  ${PROJECT_SOURCE_DIR}/shell/linux/about_box.cpp
  ${PROJECT_SOURCE_DIR}/shell/linux/linux_seam.cpp
  ${PROJECT_SOURCE_DIR}/shell/linux/sdl_video.cpp
  ${PROJECT_SOURCE_DIR}/shell/linux/started_by_hand.cpp)
target_link_libraries(quillomantrase PRIVATE
  quillomantrase_linux_arguments quillomantrase_saver_rules quillomantrase_cover_layout quillomantrase_engine quillomantrase_map
  quillomantrase_display_sdl X11::X11 X11::Xss X11::Xrandr)

install(TARGETS quillomantrase RUNTIME DESTINATION ${QUILLOMANTRASE_HACK_DIR})
install(FILES ${PROJECT_SOURCE_DIR}/resources/quillomantrase.xml DESTINATION ${QUILLOMANTRASE_XSCREENSAVER_CONFIG_DIR})

# The desktop entry by which MATE's and Xfce's screen savers find the hack (their id for it is
# screensavers-quillomantrase). They run only programs from xscreensaver's hack folder or their
# own, named by an absolute path, so the entry names the installed hack in full.
cmake_path(ABSOLUTE_PATH QUILLOMANTRASE_HACK_DIR BASE_DIRECTORY ${CMAKE_INSTALL_PREFIX} NORMALIZE OUTPUT_VARIABLE QUILLOMANTRASE_HACK_PATH)
cmake_path(APPEND QUILLOMANTRASE_HACK_PATH quillomantrase)
configure_file(${PROJECT_SOURCE_DIR}/resources/quillomantrase.desktop.in ${PROJECT_BINARY_DIR}/quillomantrase.desktop @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/quillomantrase.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications/screensavers)
install(FILES ${PROJECT_BINARY_DIR}/gzipped/quillomantrase.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)

if(QUILLOMANTRASE_TESTS)
  include(${PROJECT_SOURCE_DIR}/tests/linux/linux_tests.cmake)
endif()
