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

# One GoogleTest executable per test directory, registered with ctest. RESOURCE_LOCK names
# what its tests share with other test processes on the same display (the clipboard, the
# keyboard focus and the modal dialogs that take it), so that ctest runs them one at a time.
function(pelmora_add_test target)
  cmake_parse_arguments(ARG "" "RESOURCE_LOCK" "SOURCES;LIBS" ${ARGN})
  pelmora_test_pch_owner()
  add_executable(${target} ${ARG_SOURCES})
  pelmora_target_defaults(${target})
  # GCC 12 at -O3 reports a false "maybe uninitialized" inside Boost.Function when a
  # lambda is connected to a Boost.Signals2 signal, as tests do everywhere.
  target_compile_options(${target} PRIVATE -Wno-maybe-uninitialized)
  target_link_libraries(${target} PRIVATE ${ARG_LIBS} pelmora_test_support GTest::gtest Qt5::Widgets Qt5::Test Boost::headers VTK::CommonCore)
  target_precompile_headers(${target} REUSE_FROM pelmora_test_pch)
  # Instrumented builds (scripts/sanitize.sh) run several times slower.
  if("${CMAKE_CXX_FLAGS} ${CMAKE_CXX_FLAGS_RELEASE}" MATCHES "-fsanitize=")
    set(properties TIMEOUT 900)
  else()
    set(properties TIMEOUT 120)
  endif()
  if(ARG_RESOURCE_LOCK)
    list(APPEND properties RESOURCE_LOCK ${ARG_RESOURCE_LOCK})
  endif()
  gtest_discover_tests(${target} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60 PROPERTIES ${properties})
endfunction()
