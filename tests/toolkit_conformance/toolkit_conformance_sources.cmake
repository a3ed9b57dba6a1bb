# The toolkit's behaviour tests, compiled once for each backend with that
# backend's desktop driver: desktop_driver_sim.cpp and desktop_driver_x11.cpp
# here, desktop_driver_win32.cpp in the Windows build.
set(WALKERS_TOOLKIT_CONFORMANCE_TESTS
    ${CMAKE_CURRENT_LIST_DIR}/events_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/program_end_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/timers_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/../support/test_forms.cpp
)
set(WALKERS_TOOLKIT_SIM_DRIVER ${CMAKE_CURRENT_LIST_DIR}/desktop_driver_sim.cpp)
set(WALKERS_TOOLKIT_X11_DRIVER ${CMAKE_CURRENT_LIST_DIR}/desktop_driver_x11.cpp)
set(WALKERS_TOOLKIT_WIN32_DRIVER ${CMAKE_CURRENT_LIST_DIR}/desktop_driver_win32.cpp)
