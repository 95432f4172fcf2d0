# Builds one example game from its project and plays it headless for a fixed
# number of steps. Fails when the project does not build cleanly, when the
# game does not end normally, or when it reported an error (without a display
# the error window's text goes to stderr).
#   cmake -DGAMEPACK=... -DRUNNER=... -DPROJECT=... -DWORK=... -DSTEPS=... -P play_example.cmake
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/data)

execute_process(COMMAND ${GAMEPACK} build ${PROJECT} -o ${WORK}/game
  RESULT_VARIABLE status ERROR_VARIABLE errors)
if(status OR NOT errors STREQUAL "")
  message(FATAL_ERROR "gamepack build ${PROJECT} failed (${status}):\n${errors}")
endif()

# A port of its own, so that copies of the tests running at once on one
# machine do not meet.
string(RANDOM LENGTH 4 ALPHABET 0123456789 port)
math(EXPR port "30000 + ${port}")

# Its own highscores, saved games and multiplayer port; the leak checker stays
# with the in-process tests (it can crash on the software renderer's threads
# at exit when the machine is loaded).
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env
    XDG_DATA_HOME=${WORK}/data VELMORA_MPLAY_PORT=${port}
    SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy LIBGL_ALWAYS_SOFTWARE=1
    ASAN_OPTIONS=detect_leaks=0:detect_odr_violation=0
    ${RUNNER} --unthrottled --max-steps ${STEPS} --report ${WORK}/game
  WORKING_DIRECTORY ${WORK}
  RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE errors)
if(status OR errors MATCHES "ERROR|Failed to|Error in" OR NOT output MATCHES "game ended after ${STEPS} steps")
  message(FATAL_ERROR "${PROJECT} did not play ${STEPS} steps cleanly (${status}):\n${output}\n${errors}")
endif()
file(REMOVE_RECURSE ${WORK})
