# Our own code builds warning-free at -Wall -Wextra; helpers attach this to each target. The test
# build (and so CI) turns warnings into errors, so that none creeps in.
option(VTS_WERROR "Treat compiler warnings as errors" OFF)
function(vts_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wno-missing-field-initializers)
  if(VTS_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
  # GCC 12 reports -Wrestrict inside libstdc++ for "literal" + std::string at -O2 (its bug
  # 105329); the warning points into the standard headers, not at a fault of ours.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    target_compile_options(${target} PRIVATE -Wno-restrict)
  endif()
endfunction()
