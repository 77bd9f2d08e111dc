# Common compiler settings, carried by one INTERFACE target that every target links.
add_library(ravek_flags INTERFACE)
target_compile_features(ravek_flags INTERFACE cxx_std_20)
target_compile_options(ravek_flags INTERFACE -Wall -Wextra)
target_compile_definitions(ravek_flags INTERFACE
  QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII QT_NO_NARROWING_CONVERSIONS_IN_CONNECT)
if(RAVEK_WERROR)
  target_compile_options(ravek_flags INTERFACE -Werror)
endif()
if(RAVEK_SANITIZE)
  target_compile_options(ravek_flags INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  target_link_options(ravek_flags INTERFACE -fsanitize=address,undefined)
endif()

# ravek_library(NAME [DEPS ...])
# One static library per folder, built from every .cpp in it; DEPS are the
# libraries of the layers below it.
function(ravek_library name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT sources)
    # Headers only, so far.
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} INTERFACE ravek_flags ${ARG_DEPS})
    return()
  endif()
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ravek_flags ${ARG_DEPS})
endfunction()

# ravek_test(NAME [LIBS ...])
# A GoogleTest executable from every .cpp in the folder; ctest lists its cases one by one.
function(ravek_test name)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(${name} PRIVATE ravek_flags ${ARG_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()

# ravek_bench(NAME [LIBS ...])
# A Google Benchmark executable from every .cpp in the folder, with the library's
# own main. Benchmarks only measure; they never fail a build.
function(ravek_bench name)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/bench ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(${name} PRIVATE ravek_flags ${ARG_LIBS} benchmark::benchmark benchmark::benchmark_main)
endfunction()

# ravek_ui_library(NAME [DEPS ...])
# A library of windows under src/desktop/: every .cpp in the folder, with moc, on QtWidgets.
function(ravek_ui_library name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  file(GLOB resources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.qrc)
  add_library(${name} STATIC ${sources} ${resources})
  set_target_properties(${name} PROPERTIES AUTOMOC ON AUTORCC ON)
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ravek_flags ${ARG_DEPS} Qt6::Widgets)
endfunction()

# ravek_widget_test(NAME [LIBS ...])
# One QtTest executable per .cpp in the folder (each has its QTEST_MAIN), run
# offscreen by ctest.
function(ravek_widget_test name)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  foreach(source ${sources})
    get_filename_component(stem ${source} NAME_WE)
    set(target ${name}_${stem})
    add_executable(${target} ${source})
    set_target_properties(${target} PROPERTIES AUTOMOC ON)
    target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
    target_link_libraries(${target} PRIVATE ravek_flags ${ARG_LIBS} Qt6::Widgets Qt6::Test)
    add_test(NAME ${target} COMMAND ${target})
    set_tests_properties(${target} PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
  endforeach()
endfunction()

# ravek_screenshots(NAME [LIBS ...])
# A program that saves pictures of windows into the folder given as its first
# argument; scripts/screenshots runs every one of them under Xvfb.
function(ravek_screenshots name)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  add_executable(${name} ${sources})
  set_target_properties(${name} PROPERTIES AUTOMOC ON)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(${name} PRIVATE ravek_flags ${ARG_LIBS} Qt6::Widgets)
endfunction()
