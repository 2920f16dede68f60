# Third-party libraries: zlib from the MinGW package, PortAudio and LAME built
# by scripts/build-deps into TD_DEPS_DIR.
find_library(TD_ZLIB_LIB NAMES libz.a z REQUIRED)
add_library(td_zlib INTERFACE)
target_link_libraries(td_zlib INTERFACE ${TD_ZLIB_LIB})
add_library(td::zlib ALIAS td_zlib)

if(NOT EXISTS ${TD_DEPS_DIR}/lib/libportaudio.a)
  message(FATAL_ERROR "PortAudio not found in ${TD_DEPS_DIR}: run scripts/setup first")
endif()
add_library(td_portaudio INTERFACE)
target_include_directories(td_portaudio INTERFACE ${TD_DEPS_DIR}/include)
target_link_libraries(td_portaudio INTERFACE ${TD_DEPS_DIR}/lib/libportaudio.a winmm ole32 uuid setupapi)
add_library(td::portaudio ALIAS td_portaudio)

# libmp3lame for its decoder (the playback stand-in decodes MP3 with it).
add_library(td_mp3lame INTERFACE)
target_include_directories(td_mp3lame INTERFACE ${TD_DEPS_DIR}/include)
target_link_libraries(td_mp3lame INTERFACE ${TD_DEPS_DIR}/lib/libmp3lame.a)
add_library(td::mp3lame ALIAS td_mp3lame)

# The encoder library is loaded at run time from the program folder.
set(TD_LAME_ENC_DLL ${TD_DEPS_DIR}/bin/lame_enc.dll)
file(MAKE_DIRECTORY ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})
configure_file(${TD_LAME_ENC_DLL} ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/lame_enc.dll COPYONLY)
