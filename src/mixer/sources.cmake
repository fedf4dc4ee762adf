set(AREA_SOURCES
  AmbientEngine.h AmbientEngine.cpp
  LayerDecoder.h LayerDecoder.cpp
  LayerMixer.h LayerMixer.cpp
)
