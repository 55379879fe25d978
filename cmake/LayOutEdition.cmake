# Lays out another edition of the program beside the build's own: a folder
# holding a hard link (or, across file systems, a copy) of the executable,
# links to the libraries, dictionaries and folders of the build's bin folder,
# and the edition's own product dictionary Tool.lc. The program finds its
# files beside its executable (/proc/self/exe names the link, not the
# original), so running DEST/<program> runs that edition of the same build.
#
#   cmake -DBIN_DIR=... -DPROGRAM=CorvaneLoader -DTOOL_LC=.../cst/Tool.lc -DDEST=... -P LayOutEdition.cmake
foreach(_var BIN_DIR PROGRAM TOOL_LC DEST)
  if(NOT DEFINED ${_var})
    message(FATAL_ERROR "LayOutEdition: ${_var} is not set")
  endif()
endforeach()

file(MAKE_DIRECTORY ${DEST})
file(REMOVE ${DEST}/${PROGRAM})
file(CREATE_LINK ${BIN_DIR}/${PROGRAM} ${DEST}/${PROGRAM} COPY_ON_ERROR)
file(GLOB _entries RELATIVE ${BIN_DIR} ${BIN_DIR}/*.so* ${BIN_DIR}/*.lc ${BIN_DIR}/*)
foreach(_entry IN LISTS _entries)
  set(_wanted FALSE)
  if(IS_DIRECTORY ${BIN_DIR}/${_entry} OR _entry MATCHES "\\.so(\\.|$)" OR _entry MATCHES "\\.lc$")
    set(_wanted TRUE)
  endif()
  if(_wanted AND NOT _entry STREQUAL "Tool.lc")
    file(REMOVE ${DEST}/${_entry})
    file(CREATE_LINK ${BIN_DIR}/${_entry} ${DEST}/${_entry} SYMBOLIC)
  endif()
endforeach()
configure_file(${TOOL_LC} ${DEST}/Tool.lc COPYONLY)
