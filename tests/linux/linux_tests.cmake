# The Linux saver's tests. The unit tests run anywhere; the display tests run on an Xvfb that
# CTest starts around them. scripts/test-linux-saver.sh runs everything under Xvfb, with the
# helpers below, the way a person would check the saver.
enable_testing()
if(NOT TARGET GTest::gtest_main)
  find_package(GTest REQUIRED)
endif()
include(GoogleTest)

set(QUILLOMANTRASE_LINUX_TESTS ${PROJECT_SOURCE_DIR}/tests/linux)

add_executable(linux_saver_test
  ${QUILLOMANTRASE_LINUX_TESTS}/frame_changes_test.cpp
  ${QUILLOMANTRASE_LINUX_TESTS}/saver_arguments_test.cpp)
target_link_libraries(linux_saver_test PRIVATE quillomantrase_display_sdl quillomantrase_linux_arguments GTest::gtest_main)
gtest_discover_tests(linux_saver_test DISCOVERY_TIMEOUT 30)

# SDL events judged by the saver rules; no display needed.
add_executable(saver_input_test ${QUILLOMANTRASE_LINUX_TESTS}/saver_input_test.cpp ${PROJECT_SOURCE_DIR}/shell/linux/saver_input.cpp
  ${PROJECT_SOURCE_DIR}/tests/support/recording_seam.cpp)
target_link_libraries(saver_input_test PRIVATE
  quillomantrase_saver_rules quillomantrase_display_memory ${QUILLOMANTRASE_SDL2} GTest::gtest_main)
gtest_discover_tests(saver_input_test DISCOVERY_TIMEOUT 30)

# The SDL display in real X windows, on an Xvfb of the suite's own: without it they fail. One at
# a time, since their windows would cover each other on the one screen.
set(QUILLOMANTRASE_XVFB_DIR ${CMAKE_CURRENT_BINARY_DIR}/xvfb)
add_test(NAME xvfb_start COMMAND bash ${QUILLOMANTRASE_LINUX_TESTS}/xvfb_fixture.sh start ${QUILLOMANTRASE_XVFB_DIR})
add_test(NAME xvfb_stop COMMAND bash ${QUILLOMANTRASE_LINUX_TESTS}/xvfb_fixture.sh stop ${QUILLOMANTRASE_XVFB_DIR})
set_tests_properties(xvfb_start PROPERTIES FIXTURES_SETUP xvfb TIMEOUT 90)
set_tests_properties(xvfb_stop PROPERTIES FIXTURES_CLEANUP xvfb)
add_executable(sdl_display_test ${QUILLOMANTRASE_LINUX_TESTS}/sdl_display_test.cpp
  ${PROJECT_SOURCE_DIR}/tests/support/recording_seam.cpp)
target_include_directories(sdl_display_test PRIVATE ${PROJECT_SOURCE_DIR})
target_link_libraries(sdl_display_test PRIVATE
  quillomantrase_engine quillomantrase_map quillomantrase_display_sdl X11::X11 GTest::gtest_main)
gtest_discover_tests(sdl_display_test DISCOVERY_TIMEOUT 30 PROPERTIES FIXTURES_REQUIRED xvfb RESOURCE_LOCK xvfb_screen
  ENVIRONMENT QUILLOMANTRASE_TEST_DISPLAY_FILE=${QUILLOMANTRASE_XVFB_DIR}/display)

# A window of another program for the saver to draw into: prints its id, lives until killed.
add_executable(test_host_window ${QUILLOMANTRASE_LINUX_TESTS}/test_host_window.cpp)
target_link_libraries(test_host_window PRIVATE X11::X11)

# Finds the stars and the globe in a screenshot.
add_executable(picture_check ${QUILLOMANTRASE_LINUX_TESTS}/picture_check.cpp)

# The covers over the other displays, with SDL's displays and windows faked at link time: the
# test defines the SDL procedures the covers call and links no SDL.
add_executable(display_covers_test
  ${QUILLOMANTRASE_LINUX_TESTS}/display_covers_test.cpp
  ${PROJECT_SOURCE_DIR}/shell/linux/display_covers.cpp)
target_include_directories(display_covers_test PRIVATE
  ${PROJECT_SOURCE_DIR} $<TARGET_PROPERTY:${QUILLOMANTRASE_SDL2},INTERFACE_INCLUDE_DIRECTORIES>)
target_link_libraries(display_covers_test PRIVATE quillomantrase_cover_layout GTest::gtest_main)
gtest_discover_tests(display_covers_test)

# Tells whether the pointer shows where it is (needs libxfixes-dev, which
# scripts/test-linux-saver.sh installs).
if(TARGET X11::Xfixes)
  add_executable(cursor_check ${QUILLOMANTRASE_LINUX_TESTS}/cursor_check.cpp)
  target_link_libraries(cursor_check PRIVATE X11::X11 X11::Xfixes)
endif()
