duskhaven_add_test(tst_cacheservice SOURCES storage/tst_cacheservice.cpp LABELS storage)
# The crash-safety case runs a real download in this helper process and kills it mid-transfer.
add_executable(storage_download_child storage/download_child.cpp)
target_link_libraries(storage_download_child PRIVATE duskhaven_testsupport)
duskhaven_add_test(tst_downloadservice SOURCES storage/tst_downloadservice.cpp LABELS storage)
target_compile_definitions(tst_downloadservice
  PRIVATE DOWNLOAD_CHILD="$<TARGET_FILE:storage_download_child>")
add_dependencies(tst_downloadservice storage_download_child)
duskhaven_add_test(tst_pinservice SOURCES storage/tst_pinservice.cpp LABELS storage)
duskhaven_add_test(tst_imagecache SOURCES storage/tst_imagecache.cpp LABELS storage)
duskhaven_add_test(tst_videocache SOURCES storage/tst_videocache.cpp LABELS storage)
