# Helpers shared by every target of the project.

set(PELMORA_WARNINGS -Wall -Wextra)

# Qt keywords clash with Boost.Signals2; we spell Q_SIGNALS / Q_SLOTS / Q_EMIT.
set(PELMORA_COMMON_DEFINITIONS QT_NO_KEYWORDS QT_DEPRECATED_WARNINGS_SINCE=0x050000)

# One precompiled header for the heavy third-party headers.  The first target that
# asks for it builds it; later targets with the same flags reuse it.
set(PELMORA_PCH_CORE_HEADERS
  <string> <vector> <map> <memory> <functional> <mutex>
  <QObject> <QString> <QStringList> <QByteArray> <QList> <QMap> <QVariant>)
set(PELMORA_PCH_HEADERS ${PELMORA_PCH_CORE_HEADERS}
  <QWidget> <QDialog> <QApplication> <QTimer> <QDir> <QFileInfo>
  <boost/signals2.hpp>
  <vtkObject.h> <vtkSmartPointer.h> <vtkCommand.h>)

function(pelmora_target_defaults target)
  target_compile_options(${target} PRIVATE ${PELMORA_WARNINGS})
  target_compile_definitions(${target} PRIVATE ${PELMORA_COMMON_DEFINITIONS})
  set_target_properties(${target} PROPERTIES AUTOMOC ON)
endfunction()

# A library of the project: shared, with our defaults and a precompiled header of the
# standard and QtCore headers (libraries on Qt widgets or VTK set their own list).
function(pelmora_add_library target)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;PUBLIC_LIBS" ${ARGN})
  add_library(${target} SHARED ${ARG_SOURCES})
  pelmora_target_defaults(${target})
  target_link_libraries(${target} PUBLIC ${ARG_PUBLIC_LIBS} PRIVATE ${ARG_LIBS})
  target_precompile_headers(${target} PRIVATE ${PELMORA_PCH_CORE_HEADERS})
endfunction()

# All test programs share one precompiled header, built by this small object library.
function(pelmora_test_pch_owner)
  if(NOT TARGET pelmora_test_pch)
    file(WRITE ${CMAKE_BINARY_DIR}/pelmora_test_pch.cpp "int pelmora_test_pch_anchor = 0;\n")
    add_library(pelmora_test_pch OBJECT ${CMAKE_BINARY_DIR}/pelmora_test_pch.cpp)
    pelmora_target_defaults(pelmora_test_pch)
    target_compile_options(pelmora_test_pch PRIVATE -Wno-maybe-uninitialized)
    target_link_libraries(pelmora_test_pch PRIVATE Qt5::Widgets Qt5::Test Boost::headers VTK::CommonCore GTest::gtest)
    target_precompile_headers(pelmora_test_pch PRIVATE ${PELMORA_PCH_HEADERS} <gtest/gtest.h>)
  endif()
endfunction()

# One GoogleTest executable per test directory, registered with ctest one entry per test.
# Each test process runs on an X display of its own, started by the main() in
# tests/support/TestMain.cpp, so tests that use the clipboard, the keyboard focus or window
# activation need nothing here.  RESOURCE_LOCK is for what test processes share beyond
# their display (a file, a port).
function(pelmora_add_test target)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;RESOURCE_LOCK" ${ARGN})
  pelmora_check_test_sources(${target} ${ARG_SOURCES})
  pelmora_test_pch_owner()
  add_executable(${target} ${ARG_SOURCES})
  pelmora_target_defaults(${target})
  # GCC 12 at -O3 reports a false "maybe uninitialized" inside Boost.Function when a
  # lambda is connected to a Boost.Signals2 signal, as tests do everywhere.
  target_compile_options(${target} PRIVATE -Wno-maybe-uninitialized)
  target_link_libraries(${target} PRIVATE ${ARG_LIBS} pelmora_test_support GTest::gtest Qt5::Widgets Qt5::Test Boost::headers VTK::CommonCore)
  target_precompile_headers(${target} REUSE_FROM pelmora_test_pch)
  # Instrumented builds (scripts/sanitize.sh) run several times slower.
  # The limits guard against a hang only: the tests wait for events, not for time, and a
  # machine many times slower than an idle one (one core shared by several suites and
  # busy loops) must still finish the longest entry, tens of seconds idle, well inside.
  if("${CMAKE_CXX_FLAGS} ${CMAKE_CXX_FLAGS_RELEASE}" MATCHES "-fsanitize=")
    set(properties TIMEOUT 3600)
    set(order_timeout 7200)
  else()
    set(properties TIMEOUT 1800)
    set(order_timeout 3600)
  endif()
  if(ARG_RESOURCE_LOCK)
    list(APPEND properties RESOURCE_LOCK "${ARG_RESOURCE_LOCK}")
  endif()
  gtest_discover_tests(${target} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60 PROPERTIES ${properties})
  # Each test passes whatever ran before it: the whole program once more in one process,
  # its tests shuffled.  The seed is fixed so that a failure repeats on the next run.
  add_test(NAME ${target}.AllInOneProcessShuffled
           COMMAND ${target} --gtest_shuffle --gtest_random_seed=${PELMORA_TEST_ORDER_SEED} --gtest_brief=1)
  set_tests_properties(${target}.AllInOneProcessShuffled PROPERTIES TIMEOUT ${order_timeout})
endfunction()

# The order the programs' one-process runs use; another seed shows other orders:
# cmake -DPELMORA_TEST_ORDER_SEED=N.
set(PELMORA_TEST_ORDER_SEED 1 CACHE STRING "Seed of the shuffled order of each test program's one-process run")

# What a test program does with the display must happen on the display of its own that
# TestMain.cpp starts: a source with a main() of its own would run on whatever display the
# caller has, shared with every other test.
function(pelmora_check_test_sources target)
  foreach(source ${ARGN})
    get_filename_component(path ${source} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
    if(EXISTS ${path})
      file(STRINGS ${path} mains REGEX "^[ \t]*int[ \t]+main[ \t]*\\(")
      if(mains)
        message(FATAL_ERROR "${path} defines main(), so ${target} would not run on a display of "
          "its own and its tests could lose the clipboard or the keyboard focus to other tests. "
          "Leave main() to tests/support/TestMain.cpp (it sets up the environment, the display "
          "and the QApplication); put a program that needs its own main() into an executable "
          "that a test starts.")
      endif()
    endif()
  endforeach()
endfunction()
