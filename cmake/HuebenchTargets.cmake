# Shared compile settings and small helpers for the project's own targets.

if(HB_SANITIZE)
  add_compile_options(-fsanitize=${HB_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=${HB_SANITIZE})
endif()

if(HB_BUILD_FUZZ)
  # Instrument the project's own code for coverage; the fuzz targets add the fuzzer's main.
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()

function(hb_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wconversion
    -Wno-sign-conversion -Wnon-virtual-dtor -Woverloaded-virtual)
  if(HB_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
  target_compile_definitions(${target} PRIVATE QT_NO_KEYWORDS QT_NO_CAST_FROM_ASCII
    QT_NO_CAST_TO_ASCII QT_NO_URL_CAST_FROM_STRING QT_USE_QSTRINGBUILDER)
endfunction()

# hb_library(NAME SOURCES ... LIBS ...): a static library of the project with its
# include root at src/.
function(hb_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${ARG_LIBS})
  hb_warnings(${name})
endfunction()

# hb_thread_sanitizer_support(TARGET): in a ThreadSanitizer build, a program the tests run learns
# how Qt, which is not instrumented, hands values between threads.
function(hb_thread_sanitizer_support target)
  if(HB_SANITIZE MATCHES "thread")
    target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/tests/support/ThreadSanitizerQtSync.cpp)
  endif()
endfunction()

# hb_test(NAME SOURCES ... LIBS ...): one Qt Test executable registered with CTest.
# Tests run without a display unless they ask for one.
function(hb_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE Qt6::Test ${ARG_LIBS})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  hb_thread_sanitizer_support(${name})
  hb_warnings(${name})
  add_test(NAME ${name} COMMAND ${name})
  # A QSKIP shows as "Skipped" in CTest's summary rather than passing quietly.
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 120
    SKIP_REGULAR_EXPRESSION "SKIP   : ")
  if(ARG_LABELS)
    set_tests_properties(${name} PROPERTIES LABELS "${ARG_LABELS}")
  endif()
  # Tests on DNS-SD share the one Avahi daemon of the test environment: each sees what another
  # publishes, so they never run at the same time (ctest -j).
  if("dnssd" IN_LIST ARG_LABELS)
    set_tests_properties(${name} PROPERTIES RESOURCE_LOCK dnssd-daemon)
  endif()
endfunction()
