# Compiler settings every target of ours shares, carried by one interface target.
add_library(gaugelet_options INTERFACE)
add_library(gaugelet::options ALIAS gaugelet_options)

if(MSVC)
    target_compile_options(gaugelet_options INTERFACE /W4 /utf-8 /permissive-)
    if(GAUGELET_WERROR)
        target_compile_options(gaugelet_options INTERFACE /WX)
    endif()
else()
    target_compile_options(gaugelet_options INTERFACE -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor)
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
        # GCC 12 at -O3 reports -Wrestrict inside libstdc++'s own std::string code (GCC bug 105329),
        # which breaks the release build with warnings as errors.
        target_compile_options(gaugelet_options INTERFACE $<$<CONFIG:Release>:-Wno-restrict>)
    endif()
    if(GAUGELET_WERROR)
        target_compile_options(gaugelet_options INTERFACE -Werror)
    endif()
endif()

if(WIN32)
    # Unicode Win32 APIs everywhere; Windows 10 is the oldest target.
    target_compile_definitions(gaugelet_options INTERFACE UNICODE _UNICODE _WIN32_WINNT=0x0A00 WINVER=0x0A00)
    # One self-contained executable: no libgcc, libstdc++ or winpthread DLLs beside it.
    if(NOT MSVC)
        target_link_options(gaugelet_options INTERFACE -static -static-libgcc -static-libstdc++)
        # No link time in the PE header: the same sources link to the same bytes.
        target_link_options(gaugelet_options INTERFACE -Wl,--no-insert-timestamp)
    endif()
endif()

if(GAUGELET_SANITIZE)
    target_compile_options(gaugelet_options INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer
                                                      -fno-sanitize-recover=undefined)
    target_link_options(gaugelet_options INTERFACE -fsanitize=address,undefined)
endif()

if(GAUGELET_SANITIZE_THREAD)
    target_compile_options(gaugelet_options INTERFACE -fsanitize=thread -fno-omit-frame-pointer)
    target_link_options(gaugelet_options INTERFACE -fsanitize=thread)
endif()

if(GAUGELET_FUZZ)
    # Coverage for libFuzzer in every library, with the sanitizers that turn silent faults into crashes.
    target_compile_options(gaugelet_options INTERFACE -fsanitize=fuzzer-no-link,address,undefined
                                                      -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
    target_link_options(gaugelet_options INTERFACE -fsanitize=address,undefined)
endif()
