duskhaven_add_test(tst_playbackqueue SOURCES playback/tst_playbackqueue.cpp LABELS playback)
duskhaven_add_test(tst_playerservice SOURCES playback/tst_playerservice.cpp playback/FakeAudioEngine.h
                   LABELS playback)
