# Finds the OpenCV modules the project uses (core, imgproc, photo, and imgcodecs
# when present) and defines imported targets OpenCV::<module>.
# Debian ships OpenCV's CMake package only with the full libopencv-dev meta
# package; the per-module -dev packages hold headers and libraries alone, so
# this falls back to finding those directly.

set(_cv_modules core imgproc photo imgcodecs)
find_path(OpenCV_INCLUDE_DIR opencv2/core.hpp PATH_SUFFIXES opencv4)
set(OpenCV_FOUND_ALL TRUE)
foreach(_m IN LISTS _cv_modules)
  find_library(OpenCV_${_m}_LIBRARY NAMES opencv_${_m})
  if(OpenCV_${_m}_LIBRARY AND OpenCV_INCLUDE_DIR AND NOT TARGET OpenCV::${_m})
    add_library(OpenCV::${_m} UNKNOWN IMPORTED)
    set_target_properties(OpenCV::${_m} PROPERTIES
      IMPORTED_LOCATION ${OpenCV_${_m}_LIBRARY}
      INTERFACE_INCLUDE_DIRECTORIES ${OpenCV_INCLUDE_DIR})
  endif()
endforeach()
set(_cv_required)
foreach(_m IN LISTS OpenCV_FIND_COMPONENTS)
  list(APPEND _cv_required OpenCV_${_m}_LIBRARY)
endforeach()
include(FindPackageHandleStandardArgs)
find_package_handle_standard_args(OpenCV REQUIRED_VARS OpenCV_INCLUDE_DIR ${_cv_required})
