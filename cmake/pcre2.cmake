# PCRE2: Debian's libpcre2-dev natively; for Windows, Debian's source package cross-compiled
# statically with its own CMake build.
add_library(corvana_pcre2 INTERFACE)
if(WIN32)
    include(ExternalProject)
    file(GLOB PCRE2_ARCHIVE "${CORVANA_DEPS_DIR}/pcre2_*.orig.tar.*")
    if(NOT PCRE2_ARCHIVE)
        message(FATAL_ERROR "PCRE2 sources not found in ${CORVANA_DEPS_DIR}; run scripts/setup.sh")
    endif()
    set(PCRE2_PREFIX ${CMAKE_BINARY_DIR}/pcre2)
    ExternalProject_Add(pcre2_build
        URL ${PCRE2_ARCHIVE}
        PREFIX ${PCRE2_PREFIX}
        CMAKE_ARGS
            -DCMAKE_TOOLCHAIN_FILE=${CMAKE_TOOLCHAIN_FILE}
            -DCMAKE_BUILD_TYPE=Release
            -DCMAKE_INSTALL_PREFIX=${PCRE2_PREFIX}/install
            -DBUILD_SHARED_LIBS=OFF -DBUILD_STATIC_LIBS=ON
            -DPCRE2_BUILD_PCRE2_8=ON -DPCRE2_BUILD_PCRE2GREP=OFF -DPCRE2_BUILD_TESTS=OFF
            -DPCRE2_SUPPORT_JIT=OFF -DPCRE2_SUPPORT_UNICODE=ON
            -Wno-dev
        BUILD_BYPRODUCTS ${PCRE2_PREFIX}/install/lib/libpcre2-8.a
        DOWNLOAD_EXTRACT_TIMESTAMP ON)
    file(MAKE_DIRECTORY ${PCRE2_PREFIX}/install/include)
    add_dependencies(corvana_pcre2 pcre2_build)
    target_include_directories(corvana_pcre2 INTERFACE ${PCRE2_PREFIX}/install/include)
    target_link_libraries(corvana_pcre2 INTERFACE ${PCRE2_PREFIX}/install/lib/libpcre2-8.a)
    target_compile_definitions(corvana_pcre2 INTERFACE PCRE2_STATIC PCRE2_CODE_UNIT_WIDTH=8)
else()
    find_package(PkgConfig REQUIRED)
    pkg_check_modules(PCRE2 REQUIRED IMPORTED_TARGET libpcre2-8)
    target_link_libraries(corvana_pcre2 INTERFACE PkgConfig::PCRE2)
    target_compile_definitions(corvana_pcre2 INTERFACE PCRE2_CODE_UNIT_WIDTH=8)
endif()
