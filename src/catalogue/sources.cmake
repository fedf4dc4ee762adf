set(AREA_SOURCES
  Catalogue.h Catalogue.cpp
  JsonReader.h JsonReader.cpp
)
