set(AREA_SOURCES
  AppError.h AppError.cpp
  Cancellation.h Cancellation.cpp
  FadeCurve.h
  FileLocations.h FileLocations.cpp
  FileWriter.h FileWriter.cpp
  RecordStore.h RecordStore_impl.h RecordStore.cpp
  SafeFileName.h SafeFileName.cpp
  Translations.h Translations.cpp
  SettingsStore.h SettingsStore.cpp
  StartupNotice.h
  AppModule.h AppModule.cpp
  PulseLibrary.h PulseLibrary.cpp
)

# The sound server's client library: its headers only, as it is loaded when first needed
# (PulseLibrary).
find_package(PkgConfig REQUIRED)
pkg_check_modules(DUSKHAVEN_PULSE REQUIRED libpulse)
target_include_directories(duskhaven_services PUBLIC ${DUSKHAVEN_PULSE_INCLUDE_DIRS})

# The translations: Qt's lrelease compiles translations/*.ts, and the .qm files are built into
# duskhaven_services under :/i18n (Translations loads them; Q_INIT_RESOURCE pulls them in).
# English holds only the plural forms. tools/translations updates the .ts files from the
# sources (the update_translations target) and checks them in ./dev test.
find_package(Qt6 REQUIRED COMPONENTS LinguistTools)
set(DUSKHAVEN_TS_FILES ${PROJECT_SOURCE_DIR}/translations/duskhaven_de.ts
                       ${PROJECT_SOURCE_DIR}/translations/duskhaven_es.ts
                       ${PROJECT_SOURCE_DIR}/translations/duskhaven_en.ts)
set_source_files_properties(${DUSKHAVEN_TS_FILES} PROPERTIES
  OUTPUT_LOCATION ${CMAKE_CURRENT_BINARY_DIR}/i18n)
qt_add_lrelease(duskhaven_services TS_FILES ${DUSKHAVEN_TS_FILES}
  QM_FILES_OUTPUT_VARIABLE DUSKHAVEN_QM_FILES)
set(DUSKHAVEN_I18N_QRC "<!DOCTYPE RCC>\n<RCC version=\"1.0\">\n  <qresource prefix=\"/i18n\">\n")
foreach(qm IN LISTS DUSKHAVEN_QM_FILES)
  get_filename_component(qm_name ${qm} NAME)
  string(APPEND DUSKHAVEN_I18N_QRC "    <file alias=\"${qm_name}\">${qm}</file>\n")
endforeach()
string(APPEND DUSKHAVEN_I18N_QRC "  </qresource>\n</RCC>\n")
file(CONFIGURE OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/generated/duskhaven_i18n.qrc
  CONTENT "${DUSKHAVEN_I18N_QRC}")
target_sources(duskhaven_services PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/generated/duskhaven_i18n.qrc)
set_property(TARGET duskhaven_services APPEND PROPERTY AUTOGEN_TARGET_DEPENDS
  duskhaven_services_lrelease)
add_custom_target(update_translations
  COMMAND ${PROJECT_SOURCE_DIR}/tools/translations update
  WORKING_DIRECTORY ${PROJECT_SOURCE_DIR} VERBATIM)
