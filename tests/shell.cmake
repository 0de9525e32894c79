# The shell's rules over a fake window system.
kurimaro_unit_test(shell_test shell_test.cpp commands_test.cpp menu_test.cpp wake_test.cpp
  texts_test.cpp)
target_link_libraries(shell_test PRIVATE kurimaro_shell)
target_compile_definitions(shell_test PRIVATE KURIMARO_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
