set(AREA_SOURCES
  AudioEngine.h
  PlaybackQueue.h PlaybackQueue.cpp
  PlayerService.h PlayerService.cpp
  QtMultimediaEngine.h QtMultimediaEngine.cpp
)
