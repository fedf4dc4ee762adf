set(AREA_SOURCES
  Catalogue.h Catalogue.cpp
  CatalogueAddress.h CatalogueAddress.cpp
  CatalogueRefresher.h CatalogueRefresher.cpp
  HTTPClient.h HTTPClient.cpp
  JsonReader.h JsonReader.cpp
  LibraryService.h LibraryService.cpp
)
