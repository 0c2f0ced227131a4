# velmora-admin files on a demo office whose client file has two pages
# overwritten: the file is named as not read to its end and the run fails,
# while every other file is still listed. The intact office passes.
file(REMOVE_RECURSE "${DIR}")
execute_process(COMMAND "${ADMIN}" seed-demo "${DIR}" --clients 300 RESULT_VARIABLE rc
                OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "seed-demo failed (${rc}): ${out} ${err}")
endif()
execute_process(COMMAND "${ADMIN}" files "${DIR}" RESULT_VARIABLE rc OUTPUT_VARIABLE out
                ERROR_VARIABLE err)
if(NOT rc EQUAL 0 OR NOT out MATCHES "VelCli      VelCli\\.Tps +[0-9]+         300")
  message(FATAL_ERROR "the intact office did not pass (${rc}): ${out} ${err}")
endif()

# Two pages at 40% and 60% of the file, blanked as a failing disk leaves them.
set(cli "${DIR}/VelCli.Tps")
file(SIZE "${cli}" bytes)
math(EXPR pages "${bytes} / 4096")
math(EXPR first "${pages} * 2 / 5")
math(EXPR second "${pages} * 3 / 5")
foreach(page ${first} ${second})
  execute_process(COMMAND dd if=/dev/zero "of=${cli}" bs=4096 seek=${page} count=1 conv=notrunc
                  RESULT_VARIABLE rc OUTPUT_QUIET ERROR_QUIET)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "could not damage page ${page} of ${cli}")
  endif()
endforeach()

execute_process(COMMAND "${ADMIN}" files "${DIR}" RESULT_VARIABLE rc OUTPUT_VARIABLE out
                ERROR_VARIABLE err)
if(rc EQUAL 0)
  message(FATAL_ERROR "a damaged client file passed:\n${out}\n${err}")
endif()
if(NOT err MATCHES "VelCli \\(VelCli\\.Tps\\) could not be read to its end")
  message(FATAL_ERROR "the damaged file was not named (${rc}):\n${err}")
endif()
if(err MATCHES "VelPay|VelTra|Config \\(")
  message(FATAL_ERROR "an intact file was named as damaged:\n${err}")
endif()
string(REGEX MATCHALL "\\.Tps" listed "${out}")
list(LENGTH listed n)
if(NOT n EQUAL 41)
  message(FATAL_ERROR "the run listed ${n} files, not 41:\n${out}")
endif()
file(REMOVE_RECURSE "${DIR}")
