# Boost.Regex, header-only in its standalone mode.
#
# A cross compiler must not see the host's /usr/include, so for it only the boost/ folder
# is exposed, through a generated include directory that links to it.
find_path(TROVELLA_BOOST_HEADERS boost/regex.hpp
          PATHS /usr/include
          NO_CMAKE_FIND_ROOT_PATH
          DOC "Directory that holds boost/regex.hpp")
if(NOT TROVELLA_BOOST_HEADERS)
    message(FATAL_ERROR "boost/regex.hpp not found: install libboost-regex1.81-dev (MSYS2: mingw-w64-i686-boost)")
endif()

set(boost_include_dir ${TROVELLA_BOOST_HEADERS})
if(CMAKE_CROSSCOMPILING AND TROVELLA_BOOST_HEADERS STREQUAL "/usr/include")
    set(boost_include_dir ${CMAKE_BINARY_DIR}/boost-include)
    file(MAKE_DIRECTORY ${boost_include_dir})
    if(NOT EXISTS ${boost_include_dir}/boost)
        file(CREATE_LINK ${TROVELLA_BOOST_HEADERS}/boost ${boost_include_dir}/boost SYMBOLIC)
    endif()
endif()

add_library(trovella_boost_regex INTERFACE)
target_include_directories(trovella_boost_regex SYSTEM INTERFACE ${boost_include_dir})
target_compile_definitions(trovella_boost_regex INTERFACE BOOST_REGEX_STANDALONE)
