set(AREA_SOURCES
  AmbientEngine.h AmbientEngine.cpp
  AmbientMixerService.h AmbientMixerService.cpp
  AmbientPack.h AmbientPack.cpp
  LayerDecoder.h LayerDecoder.cpp
  LayerMixer.h LayerMixer.cpp
)
