duskhaven_add_test(tst_playerservice SOURCES playback/tst_playerservice.cpp
                   LABELS playback)
duskhaven_add_test(tst_musicengines SOURCES playback/tst_musicengines.cpp
                   LABELS playback audio TIMEOUT 90)
duskhaven_add_test(tst_nowplayingbridge SOURCES playback/tst_nowplayingbridge.cpp
                   LABELS playback dbus)
duskhaven_add_test(tst_playerwiring SOURCES playback/tst_playerwiring.cpp
                   LABELS playback)
