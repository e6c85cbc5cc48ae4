# Third-party libraries. libzip (and, for Windows, libjpeg-turbo) are built from Debian's source
# packages by tools/build-deps.sh into ${DEPS_ROOT}/<target>; zlib comes from Debian's packages
# (built instrumented into the same prefix for the fuzz preset).
set(DEPS_ROOT "${PROJECT_SOURCE_DIR}/build/deps" CACHE PATH "Root of the cached dependency prefixes")
if(WIN32)
  set(SETUP_DEPS_TARGET ${CMAKE_SYSTEM_PROCESSOR}-w64-mingw32)
elseif(SETUP_FUZZ)
  set(SETUP_DEPS_TARGET fuzz)  # libzip instrumented like the drivers
else()
  set(SETUP_DEPS_TARGET native)
endif()
set(SETUP_DEPS_PREFIX "${DEPS_ROOT}/${SETUP_DEPS_TARGET}")
if(NOT EXISTS "${SETUP_DEPS_PREFIX}/lib/cmake/libzip")
  message(FATAL_ERROR "Dependencies missing in ${SETUP_DEPS_PREFIX}: run tools/build-deps.sh ${SETUP_DEPS_TARGET}")
endif()
list(PREPEND CMAKE_PREFIX_PATH "${SETUP_DEPS_PREFIX}")
list(PREPEND CMAKE_FIND_ROOT_PATH "${SETUP_DEPS_PREFIX}")

find_package(ZLIB REQUIRED)
find_package(libzip 1.7 CONFIG REQUIRED)
if(WIN32)
  find_library(SETUP_JPEG_LIB NAMES libjpeg.a jpeg PATHS "${SETUP_DEPS_PREFIX}/lib" NO_DEFAULT_PATH REQUIRED)
  add_library(jpeg_static STATIC IMPORTED)
  set_target_properties(jpeg_static PROPERTIES IMPORTED_LOCATION "${SETUP_JPEG_LIB}"
    INTERFACE_INCLUDE_DIRECTORIES "${SETUP_DEPS_PREFIX}/include")
endif()

# The static libzip needs its crypto back end and zlib at link time.
if(WIN32)
  # Replaces libzip's own list, which names the ordinary bcrypt import: bcrypt is delay-loaded.
  set_property(TARGET libzip::zip PROPERTY INTERFACE_LINK_LIBRARIES ZLIB::ZLIB delay::bcrypt advapi32)
else()
  find_package(OpenSSL REQUIRED)
  set_property(TARGET libzip::zip APPEND PROPERTY INTERFACE_LINK_LIBRARIES ZLIB::ZLIB OpenSSL::Crypto)
endif()
