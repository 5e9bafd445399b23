# Shared build helpers: warnings, sanitizers, embedded text and packed game scripts.

set(QUILLON_WARNINGS -Wall -Wextra -Wpedantic -Wno-missing-field-initializers)
if(QUILLON_SANITIZE)
  # No stack redzones: the interpreter raises by longjmp through our frames, and the poison those frames leave
  # behind would be reported against whatever uses that stack next. Heap checks are what these runs are for.
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined
    --param=asan-stack=0)
  add_link_options(-fsanitize=address,undefined)
endif()
if(QUILLON_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "QUILLON_FUZZ needs clang: configure with CC=clang CXX=clang++ (tools/fuzz does)")
  endif()
  # Everything is instrumented for coverage; only the fuzz programs link libFuzzer's main.
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer
    -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

# quillon_soname(VARIABLE LIBRARY [HINTS...]): VARIABLE is the name a library opened at run time (dlopen) goes
# by, the soname its development link points at, so that the player opens the version it was built against.
function(quillon_soname variable library)
  find_library(quillon_soname_${library} ${library} HINTS ${ARGN} REQUIRED)
  set(path ${quillon_soname_${library}})
  if(IS_SYMLINK ${path})
    file(READ_SYMLINK ${path} path)
  endif()
  get_filename_component(name ${path} NAME)
  set(${variable} ${name} PARENT_SCOPE)
endfunction()

# quillon_library(NAME SOURCES...): one static library per subsystem, warnings on, sources rooted at src/.
function(quillon_library name)
  add_library(${name} STATIC ${ARGN})
  target_compile_options(${name} PRIVATE ${QUILLON_WARNINGS})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
endfunction()

# quillon_embed_text(TARGET SYMBOL FILE): compiles FILE into TARGET as `extern const char SYMBOL[]`
# (zero-terminated), so scripts and shader text ship inside the binary and are edited as plain files.
function(quillon_embed_text target symbol file)
  set(out ${CMAKE_CURRENT_BINARY_DIR}/embedded/${symbol}.cpp)
  add_custom_command(
    OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -DIN=${file} -DOUT=${out} -DSYMBOL=${symbol}
            -P ${PROJECT_SOURCE_DIR}/cmake/EmbedText.cmake
    DEPENDS ${file} ${PROJECT_SOURCE_DIR}/cmake/EmbedText.cmake
    COMMENT "Embedding ${file}")
  target_sources(${target} PRIVATE ${out})
endfunction()

# quillon_pack_scripts(TARGET OUTPUT DIR): packs the .rb files of DIR (in name order) into a scripts file.
function(quillon_pack_scripts target output dir)
  file(GLOB scripts CONFIGURE_DEPENDS ${dir}/*.rb)
  list(SORT scripts)
  add_custom_command(
    OUTPUT ${output}
    COMMAND ${PROJECT_SOURCE_DIR}/tools/pack-scripts -o ${output} ${scripts}
    DEPENDS ${scripts} ${PROJECT_SOURCE_DIR}/tools/pack-scripts
    COMMENT "Packing scripts into ${output}")
  add_custom_target(${target} ALL DEPENDS ${output})
endfunction()
