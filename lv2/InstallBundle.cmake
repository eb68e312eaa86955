# cmake -DBUNDLE=build/Orvanta.lv2 [-DPLATFORM_LIB=build/lib/libplatform.so] -P lv2/InstallBundle.cmake
#
# Copies an LV2 bundle into the first folder of LV2_PATH, or into ~/.lv2 when
# LV2_PATH is unset or empty; an older copy of the bundle there is replaced.
# PLATFORM_LIB goes beside the editor UI, which finds it there through its
# run path.

if(NOT BUNDLE OR NOT IS_DIRECTORY "${BUNDLE}" OR NOT EXISTS "${BUNDLE}/manifest.ttl")
  message(FATAL_ERROR "install-lv2: no built bundle at '${BUNDLE}' (build it first)")
endif()

set(dest "")
if(DEFINED ENV{LV2_PATH} AND NOT "$ENV{LV2_PATH}" STREQUAL "")
  string(REPLACE ":" ";" folders "$ENV{LV2_PATH}")
  foreach(folder IN LISTS folders)
    if(NOT folder STREQUAL "")
      set(dest "${folder}")
      break()
    endif()
  endforeach()
endif()
if(dest STREQUAL "")
  if(NOT DEFINED ENV{HOME} OR "$ENV{HOME}" STREQUAL "")
    message(FATAL_ERROR "install-lv2: neither LV2_PATH nor HOME is set")
  endif()
  set(dest "$ENV{HOME}/.lv2")
endif()

get_filename_component(name "${BUNDLE}" NAME)
file(MAKE_DIRECTORY "${dest}")
file(REMOVE_RECURSE "${dest}/${name}")
file(COPY "${BUNDLE}" DESTINATION "${dest}" FOLLOW_SYMLINK_CHAIN)
if(PLATFORM_LIB)
  file(GLOB ui_binaries "${dest}/${name}/*.bundle/Contents/MacOS")
  foreach(folder IN LISTS ui_binaries)
    file(COPY "${PLATFORM_LIB}" DESTINATION "${folder}" FOLLOW_SYMLINK_CHAIN)
  endforeach()
endif()
message(STATUS "Installed ${name} into ${dest}")
