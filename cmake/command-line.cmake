# The saver's command line, shared by the Windows module and the Linux saver.
include_guard(GLOBAL)

add_library(quillomantrase_command_line STATIC ${CMAKE_CURRENT_LIST_DIR}/../shell/command_line.cpp)
target_include_directories(quillomantrase_command_line PUBLIC ${CMAKE_CURRENT_LIST_DIR}/..)
