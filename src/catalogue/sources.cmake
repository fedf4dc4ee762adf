set(AREA_SOURCES
  Catalogue.h Catalogue.cpp
)
