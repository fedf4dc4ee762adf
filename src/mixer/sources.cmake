set(AREA_SOURCES
  AmbientEngine.h AmbientEngine.cpp
  AmbientMixerService.h AmbientMixerService.cpp
  LayerDecoder.h LayerDecoder.cpp
  LayerMixer.h LayerMixer.cpp
)
