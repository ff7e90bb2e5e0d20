# The Windows module Quillomantrase.scr, cross-built with mingw-w64 (cmake/mingw-w64-x86_64.cmake).
# It imports only Windows' own DLLs: libgcc and libstdc++ are linked in statically.
enable_language(RC)
include(${CMAKE_CURRENT_LIST_DIR}/command-line.cmake)

set(QUILLOMANTRASE_WINDOWS_LIBRARIES ddraw dxguid gdi32 user32 kernel32)

# The shell and the DirectDraw device, without the four seams the tests replace. Object
# libraries: the engine calls back into both (messages, clock), so they must not be archives.
add_library(quillomantrase_windows_shell OBJECT
  shell/windows/saver_start_up.cpp
  shell/windows/saver_window.cpp
  shell/windows/monitor_covers.cpp
  shell/windows/options_dialog.cpp
  shell/windows/map_resource.cpp
  shell/windows/preview.cpp
  shell/windows/dpi_awareness.cpp
  shell/windows/user_message.cpp
  display/ddraw_display.cpp)
target_include_directories(quillomantrase_windows_shell PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(quillomantrase_windows_shell PUBLIC
  quillomantrase_saver_rules quillomantrase_cover_layout quillomantrase_engine quillomantrase_map
  quillomantrase_command_line ${QUILLOMANTRASE_WINDOWS_LIBRARIES})

# Message boxes, the clock, the monitors and the DirectDraw object as the module really has them.
add_library(quillomantrase_windows_seams OBJECT
  shell/windows/message_box.cpp
  shell/windows/monitor_list.cpp
  shell/windows/clock.cpp
  display/ddraw_create.cpp)
target_include_directories(quillomantrase_windows_seams PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(quillomantrase_windows_seams PUBLIC ${QUILLOMANTRASE_WINDOWS_LIBRARIES})

set(QUILLOMANTRASE_MODULE_SOURCES
  ${CMAKE_CURRENT_SOURCE_DIR}/shell/windows/entry.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/resources/quillomantrase.rc)
set(QUILLOMANTRASE_MODULE_EXPORTS ${CMAKE_CURRENT_SOURCE_DIR}/resources/quillomantrase.def)

# A module whose map, earth-1000x500.bmp, comes from mapDirectory: the real one, or (for the
# tests) a damaged one.
function(quillomantrase_add_module target outputName mapDirectory)
  add_executable(${target} WIN32 ${QUILLOMANTRASE_MODULE_SOURCES})
  set_target_properties(${target} PROPERTIES OUTPUT_NAME ${outputName} SUFFIX .scr)
  target_include_directories(${target} BEFORE PRIVATE ${mapDirectory})
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${mapDirectory}/earth-1000x500.bmp)
  target_link_libraries(${target} PRIVATE quillomantrase_windows_shell quillomantrase_windows_seams)
  # The linker takes the exports from the .def file itself (CMake only does so for DLLs). A
  # release module is stripped as it is linked: the static C++ runtime brings debug sections
  # and symbols that a screen saver does not need, and the checks test the module that ships.
  target_link_options(${target} PRIVATE -static-libgcc -static-libstdc++ ${QUILLOMANTRASE_MODULE_EXPORTS}
    $<$<CONFIG:Release,MinSizeRel>:-s>)
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${QUILLOMANTRASE_MODULE_EXPORTS})
endfunction()

quillomantrase_add_module(quillomantrase_module Quillomantrase ${CMAKE_CURRENT_SOURCE_DIR}/resources)
install(FILES $<TARGET_FILE:quillomantrase_module> DESTINATION .)
