# The floor of the first click on the tray icon (bench/first-click.py): a Widgets tray icon
# whose first click builds a small Qt Quick panel.
add_executable(quick_panel_floor quick_panel_floor.cpp)
target_link_libraries(quick_panel_floor PRIVATE Qt6::Widgets Qt6::Quick)
