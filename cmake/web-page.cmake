# The saver as a web page: the engine in WebAssembly behind a canvas, in build-web/site/ with its
# page, its script and the map, ready for any static web server. Also sets up what the engine's
# tests and the node renderer need under emscripten.
include_guard(GLOBAL)

# Programs run under node (the tests, quillomantrase-render.js) report their exit code, and a
# frame of any screen size fits in memory that grows.
add_link_options(-sALLOW_MEMORY_GROWTH=1 -sEXIT_RUNTIME=1)

# The engine truncates floats to pixels at every texel edge: WebAssembly's saturating conversion
# is one instruction, where the trapping one needs a range test around it. Every current browser
# has it; the engine's values lie far inside the integer range, where both give the same.
target_compile_options(quillomantrase_engine PRIVATE -mnontrapping-fptoint)
# The globe's row loop is written with vectors of four lanes: WebAssembly's vector instructions,
# which the page needs anyway.
set_source_files_properties(render/globe_texture.cpp PROPERTIES COMPILE_OPTIONS -msimd128)

if(QUILLOMANTRASE_TESTS)
  # Debian's GoogleTest sources, built here without threads (none in plain WebAssembly).
  set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
endif()

set(QUILLOMANTRASE_SITE ${CMAKE_BINARY_DIR}/site)

# The canvas display finds changed regions the way the Linux display does; its rectangles are
# SDL_Rect, which emscripten's own SDL headers declare.
add_library(quillomantrase_display_canvas STATIC display/canvas_display.cpp display/frame_changes.cpp)
set_source_files_properties(display/canvas_display.cpp PROPERTIES COMPILE_OPTIONS -msimd128)
target_include_directories(quillomantrase_display_canvas PUBLIC ${CMAKE_CURRENT_LIST_DIR}/..)
target_include_directories(quillomantrase_display_canvas SYSTEM PUBLIC ${EMSCRIPTEN_SYSROOT}/include/SDL)

# The frame comparison is linked in as an object of the page itself, so that it takes the C
# library's place (built without builtins, so no loop of it turns back into a call to memcmp).
add_executable(quillomantrase-page shell/web/web_entry.cpp shell/web/web_seam.cpp display/word_compare.cpp)
set_source_files_properties(display/word_compare.cpp PROPERTIES COMPILE_OPTIONS "-fno-builtin;-msimd128")
target_link_libraries(quillomantrase-page PRIVATE
  quillomantrase_saver_rules quillomantrase_engine quillomantrase_map quillomantrase_display_canvas)
set_target_properties(quillomantrase-page PROPERTIES
  OUTPUT_NAME quillomantrase RUNTIME_OUTPUT_DIRECTORY ${QUILLOMANTRASE_SITE})
target_link_options(quillomantrase-page PRIVATE
  -sMODULARIZE=1 -sEXPORT_NAME=QuillomantraseModule -sEXIT_RUNTIME=0 -sENVIRONMENT=web
  -sEXPORTED_FUNCTIONS=_malloc,_StartWebRun,_TickWebRun,_StartWebInputCount,_JudgeWebInput
  -sEXPORTED_RUNTIME_METHODS=UTF8ToString)

# The page, its script and the map beside the program, copied again whenever they change.
set(QUILLOMANTRASE_SITE_FILES ${PROJECT_SOURCE_DIR}/shell/web/index.html ${PROJECT_SOURCE_DIR}/shell/web/page.js
    ${QUILLOMANTRASE_MAP_FILE})
set(QUILLOMANTRASE_SITE_COPIES)
foreach(file ${QUILLOMANTRASE_SITE_FILES})
  get_filename_component(name ${file} NAME)
  add_custom_command(OUTPUT ${QUILLOMANTRASE_SITE}/${name}
    COMMAND ${CMAKE_COMMAND} -E copy ${file} ${QUILLOMANTRASE_SITE}/${name}
    DEPENDS ${file})
  list(APPEND QUILLOMANTRASE_SITE_COPIES ${QUILLOMANTRASE_SITE}/${name})
endforeach()
add_custom_target(quillomantrase-site ALL DEPENDS ${QUILLOMANTRASE_SITE_COPIES})
add_dependencies(quillomantrase-site quillomantrase-page)
