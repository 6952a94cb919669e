# The hardening Debian builds its own packages with (dpkg-buildflags, hardening=+all): a
# stack protector, fortified string and memory functions, format strings checked, relocations
# made read-only and resolved at start-up, and position-independent executables. It is set
# here rather than left to whoever builds, so the tests run the same code the .deb ships.
include(CheckPIESupported)

set(CMAKE_POSITION_INDEPENDENT_CODE ON)
check_pie_supported(LANGUAGES CXX)

if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang" AND CMAKE_SYSTEM_NAME STREQUAL "Linux")
    add_compile_options(-fstack-protector-strong -Wformat -Werror=format-security)
    # Fortification works only with the optimiser on; in a Debug build (-O0) it would be
    # nothing but a warning. A compiler that defines it already is overruled, not redefined.
    add_compile_options(
        "$<$<CONFIG:Release,RelWithDebInfo,MinSizeRel>:-U_FORTIFY_SOURCE;-D_FORTIFY_SOURCE=2>")
    add_link_options(-Wl,-z,relro -Wl,-z,now)
endif()
