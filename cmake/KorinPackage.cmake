# What `cmake --install` writes besides libraries and headers: the CMake package
# (find_package(Korin) with targets korin::…) and a pkg-config file korin.pc.
include(CMakePackageConfigHelpers)
set(KORIN_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Korin)
install(EXPORT KorinTargets NAMESPACE korin:: DESTINATION ${KORIN_CMAKE_DIR})
set(KORIN_WITH_SDL2 ${SDL2_FOUND})
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/KorinConfig.cmake.in
  ${PROJECT_BINARY_DIR}/KorinConfig.cmake INSTALL_DESTINATION ${KORIN_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/KorinConfigVersion.cmake
  COMPATIBILITY SameMinorVersion)
install(FILES ${PROJECT_BINARY_DIR}/KorinConfig.cmake ${PROJECT_BINARY_DIR}/KorinConfigVersion.cmake
  DESTINATION ${KORIN_CMAKE_DIR})

set(KORIN_PC_REQUIRES "sqlite3 libpq cairo pangocairo")
if(SDL2_FOUND)
  string(APPEND KORIN_PC_REQUIRES " sdl2")
endif()
configure_file(${PROJECT_SOURCE_DIR}/cmake/korin.pc.in ${PROJECT_BINARY_DIR}/korin.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/korin.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
