# The saver as a web page: the engine in WebAssembly behind a canvas, in build-web/site/ with its
# page, its script, the map, the icon, the manifest and the service worker that keeps them for
# offline use, ready for any static web server; beside them quillomantrase.html, the same page in
# one file that works from disk. Also sets up what the engine's tests and the node renderer need
# under emscripten.
include_guard(GLOBAL)

# Programs run under node (the tests, quillomantrase-render.js) report their exit code, and a
# frame of any screen size fits in memory that grows. They are built for node alone with their
# WebAssembly inside the script, so that no node, whatever its version, tries to fetch it.
add_link_options(-sALLOW_MEMORY_GROWTH=1 -sEXIT_RUNTIME=1 -sENVIRONMENT=node -sSINGLE_FILE=1)

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
  -sMODULARIZE=1 -sEXPORT_NAME=QuillomantraseModule -sEXIT_RUNTIME=0 -sENVIRONMENT=web -sSINGLE_FILE=0
  -sEXPORTED_FUNCTIONS=_malloc,_StartWebRun,_TickWebRun,_StartWebInputCount,_JudgeWebInput
  -sEXPORTED_RUNTIME_METHODS=UTF8ToString)

# The page, its script, the manifest and the map beside the program, copied again whenever they
# change.
set(QUILLOMANTRASE_SITE_FILES ${PROJECT_SOURCE_DIR}/shell/web/index.html ${PROJECT_SOURCE_DIR}/shell/web/page.js
    ${PROJECT_SOURCE_DIR}/shell/web/manifest.webmanifest ${QUILLOMANTRASE_MAP_FILE})
set(QUILLOMANTRASE_SITE_COPIES)
foreach(file ${QUILLOMANTRASE_SITE_FILES})
  get_filename_component(name ${file} NAME)
  add_custom_command(OUTPUT ${QUILLOMANTRASE_SITE}/${name}
    COMMAND ${CMAKE_COMMAND} -E copy ${file} ${QUILLOMANTRASE_SITE}/${name}
    DEPENDS ${file})
  list(APPEND QUILLOMANTRASE_SITE_COPIES ${QUILLOMANTRASE_SITE}/${name})
endforeach()
# The link writes the .wasm beside the script; saying so lets the steps below depend on it.
add_custom_command(TARGET quillomantrase-page POST_BUILD COMMAND ${CMAKE_COMMAND} -E true
  BYPRODUCTS ${QUILLOMANTRASE_SITE}/quillomantrase.wasm)

find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(build_site ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/shell/web/build_site.py)

# The icon is a frame of the renderer where the whole globe shows, Australia on its day side.
add_custom_command(OUTPUT ${QUILLOMANTRASE_SITE}/icon-192.png
  COMMAND ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:quillomantrase-render>
    --size 192x192 --time 1765084800 --frames 805 --output ${CMAKE_BINARY_DIR}/icon-192-rendered.png
  COMMAND ${build_site} icon ${CMAKE_BINARY_DIR}/icon-192-rendered.png ${QUILLOMANTRASE_SITE}/icon-192.png
  DEPENDS quillomantrase-render ${PROJECT_SOURCE_DIR}/shell/web/build_site.py)

# What the service worker keeps: everything index.html loads.
set(offline_files index.html page.js quillomantrase.js quillomantrase.wasm earth-1000x500.bmp
    manifest.webmanifest icon-192.png)
list(TRANSFORM offline_files PREPEND ${QUILLOMANTRASE_SITE}/ OUTPUT_VARIABLE offline_paths)
add_custom_command(OUTPUT ${QUILLOMANTRASE_SITE}/service-worker.js
  COMMAND ${build_site} worker ${PROJECT_SOURCE_DIR}/shell/web/service-worker.js
    ${QUILLOMANTRASE_SITE}/service-worker.js ${QUILLOMANTRASE_SITE} ${offline_files}
  DEPENDS ${PROJECT_SOURCE_DIR}/shell/web/service-worker.js ${PROJECT_SOURCE_DIR}/shell/web/build_site.py
    ${offline_paths} quillomantrase-page)

add_custom_command(OUTPUT ${QUILLOMANTRASE_SITE}/quillomantrase.html
  COMMAND ${build_site} one-file ${QUILLOMANTRASE_SITE}/index.html ${QUILLOMANTRASE_SITE}/quillomantrase.html
  DEPENDS ${PROJECT_SOURCE_DIR}/shell/web/build_site.py ${offline_paths} quillomantrase-page)

add_custom_target(quillomantrase-site ALL DEPENDS ${QUILLOMANTRASE_SITE_COPIES} ${QUILLOMANTRASE_SITE}/icon-192.png
  ${QUILLOMANTRASE_SITE}/service-worker.js ${QUILLOMANTRASE_SITE}/quillomantrase.html)
add_dependencies(quillomantrase-site quillomantrase-page)
