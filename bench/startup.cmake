# Exec → tray icon docked, and the floor it is measured against (bench/startup.sh).
pkg_check_modules(BENCH_XCB REQUIRED IMPORTED_TARGET xcb)
add_executable(tray_docked tray_docked.cpp)
target_link_libraries(tray_docked PRIVATE PkgConfig::BENCH_XCB)
add_executable(tray_floor tray_floor.cpp)
target_link_libraries(tray_floor PRIVATE Qt6::Widgets)
