set(AREA_SOURCES
  AmbientEngine.h AmbientEngine.cpp
  AmbientMixerService.h AmbientMixerService.cpp
  FfmpegDecoder.h FfmpegDecoder.cpp
  LayerDecoder.h LayerDecoder.cpp
  LayerMixer.h LayerMixer.cpp
  MixSource.h
  MixStream.h MixStream.cpp
)

# The decoder of music and loops (FFmpeg).
find_package(PkgConfig REQUIRED)
pkg_check_modules(DUSKHAVEN_FFMPEG REQUIRED IMPORTED_TARGET libavformat libavcodec libswresample
  libavutil)
target_link_libraries(duskhaven_core PUBLIC PkgConfig::DUSKHAVEN_FFMPEG)
