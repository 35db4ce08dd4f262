# The Wine runtime of this build tree (scripts/wine-env): the wrapper that the
# toolchain names as CMAKE_CROSSCOMPILING_EMULATOR, and the ctest fixture that
# brings up one prefix, one private display and one persistent wine server for
# the whole run and ends them afterwards, also when tests fail or time out.
set(MONI_WINE_ENV ${CMAKE_SOURCE_DIR}/scripts/wine-env)
file(WRITE ${CMAKE_BINARY_DIR}/wine/run
  "#!/bin/sh\nexec '${MONI_WINE_ENV}' '${CMAKE_BINARY_DIR}' run \"$@\"\n")
file(CHMOD ${CMAKE_BINARY_DIR}/wine/run PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

add_test(NAME wine.start COMMAND ${MONI_WINE_ENV} ${CMAKE_BINARY_DIR} start)
add_test(NAME wine.stop COMMAND ${MONI_WINE_ENV} ${CMAKE_BINARY_DIR} stop)
set_tests_properties(wine.start PROPERTIES FIXTURES_SETUP wine TIMEOUT 300)
set_tests_properties(wine.stop PROPERTIES FIXTURES_CLEANUP wine)

# Registers the GoogleTest cases of a Windows test program, one ctest test per
# case, to run under Wine inside the fixture. Cases are found in the sources,
# so nothing runs at build time. Pictures that tests save go to
# <tree>/artifacts (MONI_ARTIFACT_DIR). The cases are left in <target>_CASES.
function(moni_add_wine_gtest target)
  get_target_property(srcs ${target} SOURCES)
  gtest_add_tests(TARGET ${target} SOURCES ${srcs} TEST_LIST cases)
  file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/artifacts)
  set_tests_properties(${cases} PROPERTIES FIXTURES_REQUIRED wine LABELS wine
    ENVIRONMENT "MONI_ARTIFACT_DIR=${CMAKE_BINARY_DIR}/artifacts")
  set(${target}_CASES ${cases} PARENT_SCOPE)
endfunction()
