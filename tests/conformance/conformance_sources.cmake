# The conformance tests, compiled once against the project's gdi32 and once,
# by the Windows build, against Windows' own (with test_dc_win32.cpp in place
# of test_dc_user32_gdi32.cpp).
set(WALKERS_CONFORMANCE_TESTS
    ${CMAKE_CURRENT_LIST_DIR}/drawing_calls_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/region_calls_test.cpp
)
set(WALKERS_CONFORMANCE_USER32_GDI32_DC ${CMAKE_CURRENT_LIST_DIR}/test_dc_user32_gdi32.cpp)
set(WALKERS_CONFORMANCE_WIN32_DC ${CMAKE_CURRENT_LIST_DIR}/test_dc_win32.cpp)
