# The Windows build's tests that run a Windows program go through Wine. They carry the
# label wine, so that make test-windows runs them where Wine runs (scripts/runs_here.sh),
# and they need Wine's prefix made first: tests that start together in a prefix not yet
# made both begin to make it, and one of them dies. CTest runs the fixture's setup
# before them, even when a filter picked only some of them.
add_test(NAME wine_prefix_ready COMMAND sh ${CMAKE_SOURCE_DIR}/scripts/wine_prefix.sh)
set_tests_properties(wine_prefix_ready PROPERTIES LABELS wine FIXTURES_SETUP wine_prefix
  TIMEOUT 600)

# quillon_wine_tests(TEST...): tests of the current folder that run under Wine.
function(quillon_wine_tests)
  set_tests_properties(${ARGN} PROPERTIES LABELS wine FIXTURES_REQUIRED wine_prefix)
endfunction()
