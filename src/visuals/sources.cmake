set(AREA_SOURCES
  HexColor.h HexColor.cpp
)
