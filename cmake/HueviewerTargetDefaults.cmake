# What every target of ours gets: standard C++20 and strict warnings. Set per target, so
# third-party code keeps its own flags.
function(hueviewer_target_defaults target)
  target_compile_features(${target} PUBLIC cxx_std_20)
  # clang-tidy reads a unity build's units a target at a time, through the files that include
  # them: those includes of .cpp files are meant.
  set_target_properties(${target} PROPERTIES UNITY_BUILD_CODE_BEFORE_INCLUDE
                                             "// NOLINTNEXTLINE(bugprone-suspicious-include)")
  set_target_properties(${target} PROPERTIES CXX_EXTENSIONS OFF)
  if(WIN32)
    # windows.h must not define min and max over std::min and std::max. MinGW's own
    # headers already define NOMINMAX, so a second #define would warn.
    target_compile_definitions(${target} PRIVATE NOMINMAX WIN32_LEAN_AND_MEAN)
  endif()
  if(MSVC)
    target_compile_options(${target} PRIVATE /W4 /permissive-)
    if(HUEVIEWER_WARNINGS_AS_ERRORS)
      target_compile_options(${target} PRIVATE /WX)
    endif()
  else()
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wconversion)
    if(HUEVIEWER_WARNINGS_AS_ERRORS)
      target_compile_options(${target} PRIVATE -Werror)
    endif()
  endif()
endfunction()
