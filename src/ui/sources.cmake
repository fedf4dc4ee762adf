# In the tray process: the tray icon, its menu and what they need, and the way to the views.
set(AREA_SOURCES
  Resources.h Resources.cpp
  theme/ThemePalette.h theme/ThemePalette.cpp
  theme/Spring.h theme/Spring.cpp
  theme/DesktopColorScheme.h theme/DesktopColorScheme.cpp
  shell/PanelPlacement.h shell/PanelPlacement.cpp
  shell/PanelSurface.h
  shell/ClickOutsideMonitor.h
  shell/X11ClickMonitor.h shell/X11ClickMonitor.cpp
  shell/MenuBarController.h shell/MenuBarController.cpp
  shell/TrayIcon.h shell/TrayIcon.cpp
  shell/TrayWatch.h shell/TrayWatch.cpp
  shell/X11Connection.h
  shell/SingleInstance.h shell/SingleInstance.cpp
  shell/UpdateChecker.h shell/UpdateChecker.cpp
  shell/ViewShell.h shell/ViewShell.cpp
  settings/XdgAutostart.h settings/XdgAutostart.cpp
)

# The views, loaded with Qt Quick when a window first opens.
set(AREA_VIEW_SOURCES
  theme/Symbols.h theme/Symbols.cpp
  shell/PanelWindow.h shell/PanelWindow.cpp
  shell/QmlHost.h shell/QmlHost.cpp
  shell/ShellWindows.h shell/ShellWindows.cpp
  shell/QuickShell.h shell/QuickShell.cpp
  views/QmlTypes.h
  views/CoverImageProvider.h views/CoverImageProvider.cpp
  views/SceneCover.h views/SceneCover.cpp
  views/SceneListModel.h views/SceneListModel.cpp
  views/ViewSettings.h views/ViewSettings.cpp
  views/ViewServices.h views/ViewServices.cpp
  views/Theme.h views/Theme.cpp
  launcher/SceneDrawerModel.h launcher/SceneDrawerModel.cpp
  launcher/OnboardingModel.h launcher/OnboardingModel.cpp
  controls/SliderInput.h controls/SliderInput.cpp
  controls/PopoverPlacement.h controls/PopoverPlacement.cpp
  controls/AmbientPackState.h controls/AmbientPackState.cpp
  controls/ViewRows.h controls/ViewRows.cpp
  controls/MixRowState.h controls/MixRowState.cpp
  panel/PanelState.h panel/PanelState.cpp
  settings/SettingsView.h settings/SettingsView.cpp
  settings/ScheduleDraft.h settings/ScheduleDraft.cpp
)

set(AREA_QML
  controls/PlainButton.qml
  controls/TextButton.qml
  controls/IconButton.qml
  controls/ToggleSwitch.qml
  controls/GlassPill.qml
  controls/CornerMask.qml
  controls/RoundedTopClip.qml
  controls/Spinner.qml
  controls/ThinSlider.qml
  controls/CompactVolumeRail.qml
  controls/CompactAmbientRow.qml
  controls/AmbientPackCard.qml
  controls/AmbientMixerPopoverContent.qml
  controls/MixerTriggerPill.qml
  controls/Chip.qml
  controls/SavedMixChip.qml
  controls/SleepPresetChip.qml
  controls/SleepTimerMenu.qml
  controls/SleepTimerButton.qml
  controls/MenuPill.qml
  controls/FocusButton.qml
  controls/FocusMenu.qml
  controls/FocusPlan.qml
  controls/MixesRow.qml
  panel/MenuBarPopoverView.qml
  panel/ScenePickerCard.qml
  launcher/LauncherWindowView.qml
  launcher/SceneTile.qml
  launcher/TileGrid.qml
  launcher/SceneDrawer.qml
  launcher/OnboardingView.qml
  settings/SettingsRoot.qml
  settings/HFSettingsSection.qml
  settings/HFSettingRow.qml
  settings/SettingSwitchRow.qml
  settings/HFSectionDivider.qml
  settings/IconBadge.qml
  settings/CustomScenesSection.qml
  settings/CustomSceneList.qml
  settings/CustomSceneRow.qml
  settings/ScheduleSection.qml
  settings/ScheduleList.qml
  settings/ScheduleRow.qml
  settings/ScheduleDays.qml
)

# The logo drawn at the tray's sizes at build time: the tray process then needs no SVG support.
set(DUSKHAVEN_LOGO_SIZES 16 22 24 32 48 64)
set(DUSKHAVEN_LOGO_DIR ${CMAKE_CURRENT_BINARY_DIR}/generated/logo)
add_executable(duskhaven-logo-rasters ${CMAKE_CURRENT_SOURCE_DIR}/ui/LogoRasters.cpp)
target_link_libraries(duskhaven-logo-rasters PRIVATE Qt6::Gui)
set(DUSKHAVEN_LOGO_RASTERS "")
set(DUSKHAVEN_LOGO_QRC_FILES "")
foreach(size IN LISTS DUSKHAVEN_LOGO_SIZES)
  list(APPEND DUSKHAVEN_LOGO_RASTERS ${DUSKHAVEN_LOGO_DIR}/${size}.png)
  string(APPEND DUSKHAVEN_LOGO_QRC_FILES
    "    <file alias=\"logo/${size}.png\">${DUSKHAVEN_LOGO_DIR}/${size}.png</file>\n")
endforeach()
add_custom_command(OUTPUT ${DUSKHAVEN_LOGO_RASTERS}
  COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
          $<TARGET_FILE:duskhaven-logo-rasters> ${PROJECT_SOURCE_DIR}/resources/DuskhavenLogo.svg
          ${DUSKHAVEN_LOGO_DIR} ${DUSKHAVEN_LOGO_SIZES}
  DEPENDS duskhaven-logo-rasters ${PROJECT_SOURCE_DIR}/resources/DuskhavenLogo.svg
  COMMENT "Drawing the logo for the tray")
add_custom_target(duskhaven_logo_rasters DEPENDS ${DUSKHAVEN_LOGO_RASTERS})
set_property(TARGET duskhaven_services APPEND PROPERTY AUTOGEN_TARGET_DEPENDS duskhaven_logo_rasters)

# The interface's plain Qt resources: the logo (whole, and drawn for the tray) and the symbol
# font (the views are the QML module). The qrc is generated so that it can name the font where
# its Debian package installs it; AUTORCC compiles it into duskhaven_services, and
# Resources::init() pulls it into each executable.
find_file(DUSKHAVEN_SYMBOL_FONT MaterialIcons-Regular.ttf
  PATHS /usr/share/fonts/truetype/material-design-icons-iconfont NO_DEFAULT_PATH REQUIRED)
set(DUSKHAVEN_UI_DIR ${CMAKE_CURRENT_SOURCE_DIR}/ui)
set(DUSKHAVEN_RESOURCES_DIR ${PROJECT_SOURCE_DIR}/resources)
configure_file(ui/duskhaven_ui.qrc.in ${CMAKE_CURRENT_BINARY_DIR}/generated/duskhaven_ui.qrc @ONLY)
target_sources(duskhaven_services PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/generated/duskhaven_ui.qrc)

# X11: the panel's window states, the launcher's aspect hint and the click-outside monitor.
find_package(PkgConfig REQUIRED)
pkg_check_modules(DUSKHAVEN_XCB REQUIRED IMPORTED_TARGET xcb xcb-xinput)
target_link_libraries(duskhaven_services PUBLIC PkgConfig::DUSKHAVEN_XCB)
target_link_libraries(duskhaven_views PUBLIC PkgConfig::DUSKHAVEN_XCB)

install(FILES ${PROJECT_SOURCE_DIR}/resources/${DUSKHAVEN_APP_ID}.desktop
  DESTINATION share/applications)
install(FILES ${PROJECT_SOURCE_DIR}/resources/${DUSKHAVEN_APP_ID}.metainfo.xml
  DESTINATION share/metainfo)
install(FILES ${PROJECT_SOURCE_DIR}/resources/dusk-haven.svg
  DESTINATION share/icons/hicolor/scalable/apps RENAME ${DUSKHAVEN_APP_ID}.svg)
# The tray's icon by name, for the trays that colour a symbolic icon to their own bar. Trays look
# names up in the desktop's icon themes only (Qt exports no theme path of its own), so runs from
# the build tree find it through the build's share/ folder on XDG_DATA_DIRS.
set(DUSKHAVEN_SYMBOLIC_ICON icons/hicolor/symbolic/apps/${DUSKHAVEN_APP_ID}-symbolic.svg)
configure_file(${PROJECT_SOURCE_DIR}/resources/${DUSKHAVEN_APP_ID}-symbolic.svg
  ${PROJECT_BINARY_DIR}/share/${DUSKHAVEN_SYMBOLIC_ICON} COPYONLY)
install(FILES ${PROJECT_SOURCE_DIR}/resources/${DUSKHAVEN_APP_ID}-symbolic.svg
  DESTINATION share/icons/hicolor/symbolic/apps)
