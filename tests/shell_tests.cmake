# The command line is portable, so it is tested natively here; the Windows build runs the same
# cases under Wine from tests/windows.
if(NOT WIN32)
  include(${PROJECT_SOURCE_DIR}/cmake/command-line.cmake)
  if(NOT TARGET GTest::gtest_main)
    find_package(GTest REQUIRED)
  endif()
  include(GoogleTest)
  add_executable(command_line_test ${CMAKE_CURRENT_LIST_DIR}/command_line_test.cpp)
  target_link_libraries(command_line_test PRIVATE quillomantrase_command_line GTest::gtest_main)
  gtest_discover_tests(command_line_test)
endif()

# Where a full-screen run covers the other monitors: portable, tested natively.
if(NOT WIN32)
  add_executable(cover_layout_test ${CMAKE_CURRENT_LIST_DIR}/cover_layout_test.cpp)
  target_link_libraries(cover_layout_test PRIVATE quillomantrase_cover_layout GTest::gtest_main)
  gtest_discover_tests(cover_layout_test)
endif()
