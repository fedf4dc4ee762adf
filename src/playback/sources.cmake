set(AREA_SOURCES
  AudioEngine.h
  FfmpegEngine.h FfmpegEngine.cpp
  MprisAdaptors.h MprisAdaptors.cpp
  NowPlayingBridge.h NowPlayingBridge.cpp
  PlaybackQueue.h PlaybackQueue.cpp
  PlayerService.h PlayerService.cpp
  QtMultimediaEngine.h QtMultimediaEngine.cpp
)
