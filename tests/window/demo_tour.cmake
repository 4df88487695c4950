# The demo's tour, run as a user would run it: headless first (it makes the sample
# database), then in a window on SDL's off-screen driver. The sample file stays byte for
# byte as it was, a second tour edits the same record as the first did, and a database
# path in a folder that is not there is an error naming it.
#   cmake -DDEMO=<korin_demo> -DWORK=<scratch folder> -P demo_tour.cmake
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
set(sample "${WORK}/sample.db")

execute_process(COMMAND ${CMAKE_COMMAND} -E env KORIN_BACKEND=headless
                        "${DEMO}" --db "${sample}" --shots "${WORK}/shots1"
                RESULT_VARIABLE rc OUTPUT_VARIABLE out1 ERROR_VARIABLE err1)
if(NOT rc EQUAL 0 OR NOT EXISTS "${sample}")
  message(FATAL_ERROR "headless tour failed (${rc}):\n${out1}\n${err1}")
endif()
string(FIND "${out1}" "no display: scripted tour" at)
if(at EQUAL -1)
  message(FATAL_ERROR "headless run did not tour:\n${out1}")
endif()
file(SHA256 "${sample}" before)

execute_process(COMMAND ${CMAKE_COMMAND} -E env --unset=KORIN_BACKEND SDL_VIDEODRIVER=offscreen DISPLAY=:offscreen
                        "${DEMO}" --tour --db "${sample}" --shots "${WORK}/shots2"
                RESULT_VARIABLE rc OUTPUT_VARIABLE out2 ERROR_VARIABLE err2)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "tour in a window failed (${rc}):\n${out2}\n${err2}")
endif()
foreach(expected "window: scripted tour" "demo finished")
  string(FIND "${out2}" "${expected}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "no '${expected}' from the tour in a window:\n${out2}\n${err2}")
  endif()
endforeach()
string(FIND "${out2}" "Jr. Jr." twice)
if(NOT twice EQUAL -1)
  message(FATAL_ERROR "the second tour saw the first tour's edit:\n${out2}")
endif()
file(SHA256 "${sample}" after)
if(NOT before STREQUAL after)
  message(FATAL_ERROR "the tour changed the sample database")
endif()
file(GLOB shots2 "${WORK}/shots2/*.png")
list(LENGTH shots2 count)
if(count LESS 10)
  message(FATAL_ERROR "the tour in a window wrote ${count} screenshots")
endif()

execute_process(COMMAND ${CMAKE_COMMAND} -E env KORIN_BACKEND=headless
                        "${DEMO}" --db "${WORK}/missing/folder/x.db" --shots "${WORK}/shots3"
                RESULT_VARIABLE rc OUTPUT_VARIABLE out3 ERROR_VARIABLE err3)
string(FIND "${err3}" "${WORK}/missing/folder/x.db" named)
if(rc EQUAL 0 OR named EQUAL -1 OR EXISTS "${WORK}/missing")
  message(FATAL_ERROR "a missing folder was not reported (${rc}):\n${out3}\n${err3}")
endif()
file(REMOVE_RECURSE "${WORK}")
