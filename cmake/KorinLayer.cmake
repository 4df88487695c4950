# korin_layer(NAME EXPORT name DIRS dirs... DEPS targets...)
# One static library per layer, built from every .cpp file of its folders (sub-folders
# included), so that adding a module needs no edit of a build file. The library is
# installed as libkorin_<export>.a, exported as korin::<export>, and its folders'
# headers go to include/korin/<folder>/.
function(korin_layer name)
  cmake_parse_arguments(L "" "EXPORT" "DIRS;DEPS" ${ARGN})
  if(NOT L_DIRS)
    set(L_DIRS ${CMAKE_CURRENT_SOURCE_DIR})
  endif()
  set(srcs)
  foreach(d ${L_DIRS})
    file(GLOB_RECURSE s CONFIGURE_DEPENDS ${d}/*.cpp)
    list(APPEND srcs ${s})
    file(RELATIVE_PATH rel ${PROJECT_SOURCE_DIR} ${d})
    install(DIRECTORY ${d}/ DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/korin/${rel}
            FILES_MATCHING PATTERN "*.h")
  endforeach()
  # A layer whose modules have not landed yet still links: it gets one empty unit.
  set(stub ${CMAKE_CURRENT_BINARY_DIR}/${name}_layer.cpp)
  if(NOT EXISTS ${stub})
    file(WRITE ${stub} "// layer ${name}\n")
  endif()
  add_library(${name} STATIC ${srcs} ${stub})
  add_library(korin::${L_EXPORT} ALIAS ${name})
  set_target_properties(${name} PROPERTIES EXPORT_NAME ${L_EXPORT} OUTPUT_NAME korin_${L_EXPORT})
  target_include_directories(${name} PUBLIC
    $<BUILD_INTERFACE:${KORIN_INCLUDE_DIR}> $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
  target_link_libraries(${name} PUBLIC ${L_DEPS})
  install(TARGETS ${name} EXPORT KorinTargets ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
endfunction()
# korin_tests(LABEL DEPS targets... [PROPERTIES name value...]): one GoogleTest program per
# test folder; PROPERTIES are added to each of its tests.
function(korin_tests label)
  cmake_parse_arguments(T "" "" "DEPS;PROPERTIES" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${label}/*.cpp)
  if(NOT srcs)
    return()
  endif()
  add_executable(test_${label} ${srcs} ${KORIN_TEST_SUPPORT})
  target_link_libraries(test_${label} PRIVATE ${T_DEPS} GTest::gtest GTest::gtest_main korin_testsupport)
  gtest_discover_tests(test_${label}
    DISCOVERY_MODE PRE_TEST
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    PROPERTIES LABELS ${label} ENVIRONMENT "KORIN_BACKEND=headless" ${T_PROPERTIES})
endfunction()
