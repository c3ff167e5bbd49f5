# Fails when PROGRAM is larger than MOST bytes.
#   cmake -DPROGRAM=path -DMOST=bytes -P check_size.cmake
file(SIZE "${PROGRAM}" size)
if(size GREATER MOST)
  message(FATAL_ERROR "${PROGRAM} is ${size} bytes, over ${MOST}: something pulls in code the "
                      "program never uses (link with -Wl,-Map to see what)")
endif()
message(STATUS "${PROGRAM} is ${size} bytes, at most ${MOST}")
