set(AREA_SOURCES
  AudioEngine.h
  DisplayedScene.h DisplayedScene.cpp
  FfmpegEngine.h FfmpegEngine.cpp
  MprisAdaptors.h MprisAdaptors.cpp
  NowPlayingBridge.h NowPlayingBridge.cpp
  PlaybackQueue.h PlaybackQueue.cpp
  PlayerService.h PlayerService.cpp
  SceneArtwork.h SceneArtwork.cpp
)
# Qt Multimedia's player, the fallback engine, comes with the views' module, which links Qt
# Multimedia anyway; the tray process loads neither unless that engine is chosen.
set(AREA_VIEW_SOURCES QtMultimediaEngine.h QtMultimediaEngine.cpp)
