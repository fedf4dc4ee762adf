set(AREA_SOURCES
  FfmpegDecoder.h FfmpegDecoder.cpp
  MixSource.h
  MixStream.h MixStream.cpp
)

find_package(PkgConfig REQUIRED)
# The decoder of music and loops: FFmpeg, in a module the application loads at its first
# decode, so that starting it does not load FFmpeg's hundred libraries.
pkg_check_modules(DUSKHAVEN_FFMPEG REQUIRED IMPORTED_TARGET libavformat libavcodec libswresample
  libavutil)
add_library(duskhaven-ffmpeg MODULE ${CMAKE_CURRENT_LIST_DIR}/FfmpegModule.cpp)
target_link_libraries(duskhaven-ffmpeg PRIVATE PkgConfig::DUSKHAVEN_FFMPEG Qt6::Core)
target_include_directories(duskhaven-ffmpeg PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
set_target_properties(duskhaven-ffmpeg PROPERTIES PREFIX "" CXX_VISIBILITY_PRESET hidden)
add_dependencies(duskhaven_services duskhaven-ffmpeg)
target_compile_definitions(duskhaven_services PRIVATE
  DUSKHAVEN_FFMPEG_MODULE_BUILD_PATH="$<TARGET_FILE:duskhaven-ffmpeg>")
install(TARGETS duskhaven-ffmpeg LIBRARY DESTINATION ${DUSKHAVEN_MODULE_DIR})
