# Included by standin/CMakeLists.txt.
# Host code compiled for the host's ABI. The host is built with the platform's usual
# 32-bit Windows compiler; clang generates code for that same ABI (member calls,
# returned classes, deleting destructors, bool results) from ordinary C++ class
# declarations. COFF objects join the Windows stand-in through the mingw linker; for
# the native stand-in the same ABI comes as ELF objects.
find_program(QUILLON_HOST_ABI_CLANG NAMES clang clang-14 REQUIRED)

set(host_abi_sources calls_into_plugin.cpp host_callees.cpp)
set(host_abi_flags -std=c++17 -O2 -ffreestanding -fno-exceptions -fno-rtti
    -fno-threadsafe-statics -fno-omit-frame-pointer -Wall -Wextra -Werror
    -I${CMAKE_SOURCE_DIR})
if(WIN32)
  list(APPEND host_abi_flags --target=i686-pc-windows-msvc)
else()
  # The native stand-in programs are position-independent executables: the tables of
  # the host classes must then be relocatable without writing into read-only pages.
  list(APPEND host_abi_flags --target=i686-pc-windows-msvc-elf
       -Xclang -mrelocation-model -Xclang pic)
endif()

set(host_abi_objects)
foreach(source IN LISTS host_abi_sources)
  set(object ${CMAKE_CURRENT_BINARY_DIR}/msvc_host/${source}${CMAKE_CXX_OUTPUT_EXTENSION})
  add_custom_command(OUTPUT ${object}
    COMMAND ${QUILLON_HOST_ABI_CLANG} ${host_abi_flags} -MD -MF ${object}.d
            -c ${CMAKE_CURRENT_LIST_DIR}/${source} -o ${object}
    DEPENDS ${CMAKE_CURRENT_LIST_DIR}/${source}
    DEPFILE ${object}.d
    COMMENT "Host ABI code ${source}"
    VERBATIM)
  list(APPEND host_abi_objects ${object})
endforeach()

# In the stand-in's own archive: the host code and the stand-in call each other.
file(MAKE_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/msvc_host)
target_sources(standin_core PRIVATE ${host_abi_objects})
