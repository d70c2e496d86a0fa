# Warnings and sanitizers for every target of the project.
add_compile_options(-Wall -Wextra)
if(UORDANE_WERROR)
  add_compile_options(-Werror)
endif()
if(UORDANE_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

# One place that says how a layer library is made: a static library of every
# .cpp in the folder, its headers reachable as "layer/header.h", linking the
# layers it may use. A layer with no sources yet is an interface library.
function(uordane_layer name)
  cmake_parse_arguments(ARG "" "" "LINKS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(sources)
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} PUBLIC ${ARG_LINKS})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} INTERFACE ${ARG_LINKS})
  endif()
endfunction()

# One test binary per layer: every *_test.cpp of the folder, registered with
# CTest test by test. EACH_BACKEND registers every test twice, named
# "Suite.Test.Sqlite" and "Suite.Test.Postgres", with UORDANE_TEST_BACKEND
# telling the binary's fixtures which database to test on.
function(uordane_test_binary name)
  cmake_parse_arguments(ARG "EACH_BACKEND" "" "LINKS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_test.cpp)
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE testfixtures ${ARG_LINKS})
  if(NOT ARG_EACH_BACKEND)
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
      PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 180)
    return()
  endif()
  foreach(backend Sqlite Postgres)
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 TEST_SUFFIX .${backend}
      PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
                 ENVIRONMENT_MODIFICATION "UORDANE_TEST_BACKEND=set:${backend}" TIMEOUT 180)
  endforeach()
endfunction()
