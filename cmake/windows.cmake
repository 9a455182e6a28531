# Windows build: kestrune.exe, lame_enc.dll beside it, and the Wine-run test suite.
include(${CMAKE_CURRENT_LIST_DIR}/DelayImports.cmake)
set(KESTRUNE_WIN32_LIBS
  comctl32 strmiids uuid gdi32 user32 advapi32 msimg32
  ${KESTRUNE_DELAYED_LIBS})
# Every folder library stands on kestrune_base, so its import libraries end every link line.
target_link_libraries(kestrune_base PUBLIC ${KESTRUNE_WIN32_LIBS})
# One self-contained executable: no MinGW runtime DLLs to ship beside it.
add_link_options(-static -static-libgcc -static-libstdc++ $<$<CONFIG:Release>:-s>)

file(GLOB resource_scripts CONFIGURE_DEPENDS resources/*.rc)
# The resource compiler's scan sees #include lines only: redrawn pictures, icons and the
# manifest must rebuild the scripts too, or the executables keep the old art.
file(GLOB resource_files CONFIGURE_DEPENDS resources/bitmaps/* resources/*.manifest)
set_source_files_properties(${resource_scripts} PROPERTIES OBJECT_DEPENDS "${resource_files}")

if(EXISTS ${CMAKE_SOURCE_DIR}/app/win32/WinMain.cpp)
  add_executable(kestrune WIN32 app/win32/WinMain.cpp ${resource_scripts})
  target_link_libraries(kestrune PRIVATE kestrune_app)
endif()

# kestrune-demo.exe: the same process entry and window with the demo receiver behind the HID
# interface.
if(TARGET kestrune)
  file(GLOB demo_win32_sources CONFIGURE_DEPENDS demo/win32/*.cpp)
  add_executable(kestrune-demo WIN32 app/win32/WinMain.cpp ${demo_win32_sources} ${resource_scripts})
  target_compile_definitions(kestrune-demo PRIVATE KESTRUNE_DEMO)
  target_link_libraries(kestrune-demo PRIVATE kestrune_demo kestrune_app)
endif()

# lame_enc.dll is built from Debian's lame sources by scripts/build-lame-dll.sh and placed
# beside both executables.
set(KESTRUNE_LAME_DLL "" CACHE FILEPATH "lame_enc.dll to place beside kestrune.exe")
if(KESTRUNE_LAME_DLL AND EXISTS "${KESTRUNE_LAME_DLL}")
  configure_file("${KESTRUNE_LAME_DLL}" ${CMAKE_BINARY_DIR}/lame_enc.dll COPYONLY)
endif()

if(KESTRUNE_TESTS)
  set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
  file(GLOB win_tests CONFIGURE_DEPENDS tests/win/*.cpp tests/support/*.cpp)
  add_executable(kestrune_wintests ${win_tests} ${resource_scripts})
  target_include_directories(kestrune_wintests PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_libraries(kestrune_wintests PRIVATE kestrune_app gtest_main gmock version)
  add_dependencies(kestrune_wintests kestrune_layers_tests kestrune_layers_tests_support)
  # Some tests start or read the built executables.
  if(TARGET kestrune)
    add_dependencies(kestrune_wintests kestrune kestrune-demo)
  endif()
  target_compile_definitions(kestrune_wintests PRIVATE
    KESTRUNE_SOURCE_DIR="${CMAKE_SOURCE_DIR}" KESTRUNE_BINARY_DIR="${CMAKE_BINARY_DIR}")
  enable_testing()
  # One ctest entry per suite group keeps a Wine failure easy to place.
  add_test(NAME wine_tests COMMAND kestrune_wintests --gtest_brief=1)
  set_tests_properties(wine_tests PROPERTIES TIMEOUT 1200)
  # The cases that need the ANSI code page of a Japanese system (932), in a process started so;
  # the ordinary run skips them as disabled.
  add_test(NAME wine_tests_cp932
           COMMAND ${CMAKE_SOURCE_DIR}/scripts/wine-exec-cp932.sh $<TARGET_FILE:kestrune_wintests> --gtest_brief=1
                   --gtest_also_run_disabled_tests --gtest_filter=DISABLED_*932*)
  set_tests_properties(wine_tests_cp932 PROPERTIES TIMEOUT 300)
endif()

if(KESTRUNE_TESTS)
  # A lame_enc.dll without beWriteVBRHeader, for the encoder binding's refusal test.
  add_library(lame_enc_incomplete SHARED tests/win/lame-incomplete/LameEncIncomplete.c)
  set_target_properties(lame_enc_incomplete PROPERTIES OUTPUT_NAME lame_enc PREFIX ""
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/lame-incomplete)
  add_dependencies(kestrune_wintests lame_enc_incomplete)
endif()

# The capture soak (bench/win): a timed tool run by hand under Wine, never by the tests.
file(GLOB win_bench_sources CONFIGURE_DEPENDS bench/win/*.cpp)
foreach(src IN LISTS win_bench_sources)
  get_filename_component(name ${src} NAME_WE)
  # The simulated receiver stands in for the hardware where a benchmark needs one; the tests'
  # MP3 frame scan reads back what a benchmark recorded.
  add_executable(bench_${name} ${src} tests/support/SimulatedReceiver.cpp tests/support/AudioMp3Scan.cpp)
  target_link_libraries(bench_${name} PRIVATE kestrune_app)
  add_dependencies(bench_${name} kestrune_layers_bench)
endforeach()
# The start-up benchmark's reference window.
add_executable(bench_MinimalWindow WIN32 bench/win/minimal/MinimalWindow.cpp)
