# Our own targets build with every warning as an error; generated code and
# third-party sources do not link this target.
add_library(zorvik_warnings INTERFACE)
target_compile_options(zorvik_warnings INTERFACE -Wall -Wextra -Werror)
target_compile_definitions(zorvik_warnings INTERFACE WIN32_LEAN_AND_MEAN NOMINMAX UNICODE _UNICODE
                                                     _WIN32_WINNT=0x0601)
