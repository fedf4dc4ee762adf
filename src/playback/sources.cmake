set(AREA_SOURCES
  AudioEngine.h
  PlaybackQueue.h PlaybackQueue.cpp
  QtMultimediaEngine.h QtMultimediaEngine.cpp
)
