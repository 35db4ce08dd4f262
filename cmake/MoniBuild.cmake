# Compiler settings shared by every target of one flavour.
add_compile_options(-Wall -Wextra -Wno-unused-parameter)
include_directories(${CMAKE_SOURCE_DIR}/src)

if(MONI_FLAVOUR STREQUAL "windows")
  add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
  # The deliverables must run on a Windows machine without mingw's DLLs.
  add_link_options(-static -static-libgcc -static-libstdc++)
elseif(MONI_FLAVOUR STREQUAL "native")
  # A benchmark tree measures optimised code: no sanitizers there.
  if(NOT MONI_BENCH)
    # Every sanitizer report fails the test that caused it.
    add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
  endif()
elseif(MONI_FLAVOUR STREQUAL "fuzz")
  # Every sanitizer report ends the run as a crash, UndefinedBehaviorSanitizer's too.
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
else()
  message(FATAL_ERROR "MONI_FLAVOUR must be windows, native or fuzz")
endif()

# Sources are registered per subsystem: portable core files (no windows.h) go
# into moni_core for every flavour; Win32 layer files into moni_win32.
function(moni_core_sources)
  foreach(f ${ARGN})
    set_property(GLOBAL APPEND PROPERTY MONI_CORE_SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/${f})
  endforeach()
endfunction()
function(moni_win32_sources)
  foreach(f ${ARGN})
    set_property(GLOBAL APPEND PROPERTY MONI_WIN32_SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/${f})
  endforeach()
endfunction()

# A VERSIONINFO resource for a deliverable.
function(moni_version_resource target description filename)
  set(MONI_VI_DESCRIPTION "${description}")
  set(MONI_VI_FILENAME "${filename}")
  configure_file(${CMAKE_SOURCE_DIR}/cmake/version.rc.in ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc @ONLY)
  target_sources(${target} PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
endfunction()

# Interpreted (-Oif) RPC stubs of an interface, so that they need no header
# beyond the SDK's: `side` is "client" or "server". Sets <out_var> to the
# generated stub source; the header <name>.h goes beside it in
# ${CMAKE_CURRENT_BINARY_DIR}/generated.
function(moni_rpc_stubs idl side out_var)
  get_filename_component(name ${idl} NAME_WE)
  set(gen ${CMAKE_CURRENT_BINARY_DIR}/generated)
  if(side STREQUAL "client")
    set(flags -c -C ${gen}/${name}_c.c)
    set(stub ${gen}/${name}_c.c)
  else()
    set(flags -s -S ${gen}/${name}_s.c)
    set(stub ${gen}/${name}_s.c)
  endif()
  add_custom_command(OUTPUT ${gen}/${name}.h ${stub}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${gen}
    COMMAND x86_64-w64-mingw32-widl -m64 -Oif -h -H ${gen}/${name}.h ${flags} ${idl}
    DEPENDS ${idl}
    COMMENT "RPC ${side} stubs of ${name}")
  set(${out_var} ${stub} PARENT_SCOPE)
endfunction()

# All programs and DLLs of a tree side by side, as they are installed.
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
