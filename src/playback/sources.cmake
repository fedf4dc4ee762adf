set(AREA_SOURCES
  AudioEngine.h
  DisplayedScene.h DisplayedScene.cpp
  FallbackEngine.h FallbackEngine.cpp
  FfmpegEngine.h FfmpegEngine.cpp
  MprisAdaptors.h MprisAdaptors.cpp
  NowPlayingBridge.h NowPlayingBridge.cpp
  PlaybackQueue.h PlaybackQueue.cpp
  PlayerService.h PlayerService.cpp
  SceneArtwork.h SceneArtwork.cpp
)

# Qt Multimedia's player, the fallback engine, is a module of its own
# (duskhaven-qtmultimedia.so): the tray process maps Qt Multimedia only when that engine is
# chosen. Its calls into the services resolve against the executable, as the views' do; the
# tests and benchmarks link the engine's static library through duskhaven_core.
add_library(duskhaven_qtmultimedia STATIC
  ${CMAKE_CURRENT_LIST_DIR}/QtMultimediaEngine.h ${CMAKE_CURRENT_LIST_DIR}/QtMultimediaEngine.cpp)
set_target_properties(duskhaven_qtmultimedia PROPERTIES POSITION_INDEPENDENT_CODE ON)
target_include_directories(duskhaven_qtmultimedia PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(duskhaven_qtmultimedia PUBLIC Qt6::Core Qt6::Multimedia)
add_library(duskhaven-qtmultimedia MODULE ${CMAKE_CURRENT_LIST_DIR}/QtMultimediaModule.cpp)
target_include_directories(duskhaven-qtmultimedia PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(duskhaven-qtmultimedia PRIVATE
  "$<LINK_LIBRARY:WHOLE_ARCHIVE,duskhaven_qtmultimedia>")
set_target_properties(duskhaven-qtmultimedia PROPERTIES PREFIX "")
add_dependencies(duskhaven_services duskhaven-qtmultimedia)
target_compile_definitions(duskhaven_services PRIVATE
  DUSKHAVEN_QTMULTIMEDIA_MODULE_BUILD_PATH="$<TARGET_FILE:duskhaven-qtmultimedia>")
install(TARGETS duskhaven-qtmultimedia LIBRARY DESTINATION ${DUSKHAVEN_MODULE_DIR})
