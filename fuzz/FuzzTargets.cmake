# The fuzz targets that take one layer each, for the libFuzzer build
# (fuzz/CMakeLists.txt) and for the test suite, which replays their kept inputs
# without libFuzzer (tests/CMakeLists.txt). The including file first defines
# kesto_fuzz_target(<name> <source in fuzz/> <link>...).

# The document store, the block-wise program reader and the codec, compiled
# apart from their layers with tiny nodes and chunks (KESTO_STORE_TINY_NODES),
# so that short texts make trees of many levels, and with Qt's asserts on (Qt
# defines QT_NO_DEBUG in every configuration but Debug), so that the store's
# own checks run. With them the one oracle that stands on the store: the
# streaming normaliser run over a whole store (testkit/StoreNormalize), held
# against the whole-string normaliser. An object library: linked into a
# program instead of the document's and the program file's layers, never beside
# them.
if(NOT TARGET kesto_tiny_store)
  add_library(kesto_tiny_store OBJECT
    ${PROJECT_SOURCE_DIR}/document/TextStore.cpp ${PROJECT_SOURCE_DIR}/document/TextStoreBuilder.cpp
    ${PROJECT_SOURCE_DIR}/document/TextStoreCheck.cpp ${PROJECT_SOURCE_DIR}/document/TextStoreSlab.cpp
    ${PROJECT_SOURCE_DIR}/document/TextStoreTree.cpp ${PROJECT_SOURCE_DIR}/document/StoreProgramText.cpp
    ${PROJECT_SOURCE_DIR}/document/StatementNormalizer.cpp ${PROJECT_SOURCE_DIR}/files/Cp932.cpp
    ${PROJECT_SOURCE_DIR}/platform/LocalPath.cpp ${PROJECT_SOURCE_DIR}/files/ProgramFileBlocks.cpp
    ${PROJECT_SOURCE_DIR}/testkit/StoreNormalize.cpp ${PROJECT_SOURCE_DIR}/testkit/FlatCp932.cpp)
  set_target_properties(kesto_tiny_store PROPERTIES AUTOMOC OFF AUTOUIC OFF)
  target_include_directories(kesto_tiny_store PUBLIC ${CMAKE_BINARY_DIR}/layers/document
                             ${CMAKE_BINARY_DIR}/layers/platform ${CMAKE_BINARY_DIR}/layers/files)
  target_compile_definitions(kesto_tiny_store PUBLIC KESTO_STORE_TINY_NODES)
  target_compile_options(kesto_tiny_store PUBLIC -UQT_NO_DEBUG)
  target_link_libraries(kesto_tiny_store PUBLIC kesto_text kesto_testkit_core Qt6::Core)
endif()

kesto_fuzz_target(fuzz_cp932 FuzzCp932.cpp kesto_tiny_store)
kesto_fuzz_target(fuzz_normalize FuzzNormalize.cpp kesto_text kesto_testkit_core)
# The whole-string line lookup (testkit) against a split of the text.
kesto_fuzz_target(fuzz_line_lookup FuzzLineLookup.cpp kesto_text kesto_testkit_text)
# The document store against a flat string under edits, and the block-wise
# program reader against the flat one (both flat models from testkit).
kesto_fuzz_target(fuzz_text_store FuzzTextStore.cpp kesto_tiny_store kesto_testkit_text)
