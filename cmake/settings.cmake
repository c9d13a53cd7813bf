# The project's build settings, on one target that every library, program, test, benchmark and
# fuzzer links: the language, the warnings, the sanitizers, the hardening and the include root.
# Nothing is set for a whole folder, so a target builds the same wherever it is defined.
add_library(corvanite_settings INTERFACE)

target_compile_features(corvanite_settings INTERFACE cxx_std_20)

# Every target includes from the project root: #include "inet/split_url.h".
target_include_directories(corvanite_settings INTERFACE ${PROJECT_SOURCE_DIR})

target_compile_options(corvanite_settings INTERFACE -Wall -Wextra)
if(CORVANITE_WERROR)
  target_compile_options(corvanite_settings INTERFACE -Werror)
endif()

if(CORVANITE_SANITIZE)
  target_compile_options(corvanite_settings INTERFACE
    -fsanitize=${CORVANITE_SANITIZE} -fno-omit-frame-pointer)
  target_link_options(corvanite_settings INTERFACE -fsanitize=${CORVANITE_SANITIZE})
endif()

# The hardening Debian builds its own packages with: checked string and memory calls, guarded
# stacks and returns, relocations read-only and bound at start. Left to the sanitizers when
# they are on; fortified calls need the optimiser, so not in Debug.
if(NOT CORVANITE_SANITIZE AND NOT CORVANITE_FUZZ)
  target_compile_options(corvanite_settings INTERFACE
    -fstack-protector-strong -fcf-protection
    $<$<NOT:$<CONFIG:Debug>>:-D_FORTIFY_SOURCE=2>)
  target_link_options(corvanite_settings INTERFACE LINKER:-z,relro LINKER:-z,now)
endif()

# Coverage feedback for the fuzzers everywhere; the fuzzer's own main only in fuzz/.
if(CORVANITE_FUZZ)
  target_compile_options(corvanite_settings INTERFACE
    -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all
    -fno-omit-frame-pointer)
  target_link_options(corvanite_settings INTERFACE -fsanitize=address,undefined)
endif()

# Fails the configuration when a target that compiles does not link corvanite_settings: it
# would build without the warnings, sanitizers or hardening of the rest.
function(corvanite_check_settings directory)
  get_property(targets DIRECTORY ${directory} PROPERTY BUILDSYSTEM_TARGETS)
  foreach(target IN LISTS targets)
    get_target_property(type ${target} TYPE)
    if(type MATCHES "^(STATIC_LIBRARY|SHARED_LIBRARY|MODULE_LIBRARY|OBJECT_LIBRARY|EXECUTABLE)$")
      get_target_property(libraries ${target} LINK_LIBRARIES)
      if(NOT "corvanite_settings" IN_LIST libraries)
        message(FATAL_ERROR "${target} (${directory}) does not link corvanite_settings: add "
                            "it to its target_link_libraries")
      endif()
    endif()
  endforeach()
  get_property(subdirectories DIRECTORY ${directory} PROPERTY SUBDIRECTORIES)
  foreach(subdirectory IN LISTS subdirectories)
    corvanite_check_settings(${subdirectory})
  endforeach()
endfunction()
