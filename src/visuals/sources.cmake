# The illustrations are painted with QPainter alone, so the tray process can make a still of
# one (for the desktop's media widget) without loading the views.
set(AREA_SOURCES
  HexColor.h HexColor.cpp
  ShapePaths.h ShapePaths.cpp
  ArtPhases.h ArtPhases.cpp
  Illustration.h Illustration.cpp Illustrations.cpp
)

set(AREA_VIEW_SOURCES
  ArtClock.h ArtClock.cpp
  OnScreen.h OnScreen.cpp
  IllustrationView.h IllustrationView.cpp
  VideoLoop.h VideoLoop.cpp
)

set(AREA_QML
  SceneCoverArt.qml
  SceneFallback.qml
  SceneVideoLoop.qml
)

# The video loops the application carries, next to the module's files so that a scene's
# videoLoop can name one (see VideoLoop::location). resources/videos/make-dusk-glow makes them.
qt_add_resources(duskhaven_views duskhaven_videos
  PREFIX /qt/qml/Duskhaven/videos
  BASE ${PROJECT_SOURCE_DIR}/resources/videos
  FILES ${PROJECT_SOURCE_DIR}/resources/videos/dusk-glow.mp4
)
