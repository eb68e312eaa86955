# orvanta_library(NAME [SHARED] DIRS dir... [DEPS lib...])
# One library per source folder. Sources are globbed so a new file needs no
# edit here; a folder that has no sources yet becomes an interface library.
function(orvanta_library name)
  cmake_parse_arguments(OL "SHARED" "" "DIRS;DEPS" ${ARGN})
  set(srcs "")
  foreach(d IN LISTS OL_DIRS)
    file(GLOB found CONFIGURE_DEPENDS
         ${CMAKE_SOURCE_DIR}/${d}/*.cpp ${CMAKE_SOURCE_DIR}/${d}/*.c)
    list(APPEND srcs ${found})
  endforeach()
  if(srcs)
    if(OL_SHARED)
      add_library(${name} SHARED ${srcs})
    else()
      add_library(${name} STATIC ${srcs})
    endif()
    target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${OL_DEPS})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${CMAKE_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${OL_DEPS})
  endif()
endfunction()

# orvanta_tests(FOLDER LIBS lib...): every tests/FOLDER/*_test.cpp becomes its own
# GoogleTest program, test_FOLDER_NAME, registered with CTest. One program per file
# keeps a broken file from taking its neighbours down and lets them build in parallel.
# Other .cpp files in the folder are shared helpers, compiled once into an object
# library and linked into every program there.
function(orvanta_tests folder)
  cmake_parse_arguments(OT "" "" "LIBS" ${ARGN})
  file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_test.cpp)
  file(GLOB all CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  set(helpers ${all})
  if(tests)
    list(REMOVE_ITEM helpers ${tests})
  endif()
  string(REPLACE "/" "_" prefix "test_${folder}")
  set(support "")
  if(helpers)
    set(support ${prefix}_support)
    add_library(${support} OBJECT ${helpers})
    target_link_libraries(${support} PUBLIC ${OT_LIBS} GTest::gtest GTest::gmock Threads::Threads)
    target_include_directories(${support} PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/tests)
  endif()
  foreach(src IN LISTS tests)
    get_filename_component(base ${src} NAME_WE)
    string(REGEX REPLACE "_test$" "" base ${base})
    set(tname ${prefix}_${base})
    add_executable(${tname} ${src})
    target_link_libraries(${tname} PRIVATE ${support} ${OT_LIBS} GTest::gtest GTest::gmock GTest::gtest_main Threads::Threads)
    target_include_directories(${tname} PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/tests)
    set_target_properties(${tname} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    # Property values must be single list items here: the discovery script
    # splits lists into key/value pairs.
    gtest_discover_tests(${tname} DISCOVERY_TIMEOUT 60
      PROPERTIES ENVIRONMENT "ORVANTA_BUILD_DIR=${CMAKE_BINARY_DIR}"
                 LABELS "${folder}")
  endforeach()
endfunction()
