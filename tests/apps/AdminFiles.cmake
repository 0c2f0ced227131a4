# velmora-admin on a fresh data folder: init makes it with its configuration,
# files opens (and so creates) every record file and lists each one; a second
# run finds them all; a second init and bad options are refused.
file(REMOVE_RECURSE "${DIR}")
execute_process(COMMAND "${ADMIN}" init "${DIR}" --name "Thembeka Burial Society"
                        --address "12 Vilakazi Street" --address "Orlando West" --branch 07
                RESULT_VARIABLE rc ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "init failed: ${rc} ${err}")
endif()
foreach(run first second)
  execute_process(COMMAND "${ADMIN}" files "${DIR}" RESULT_VARIABLE rc OUTPUT_VARIABLE out
                  ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${run} files run failed (${rc}): ${err}")
  endif()
  string(REGEX MATCHALL "\\.Tps" listed "${out}")
  list(LENGTH listed n)
  if(NOT n EQUAL 41)
    message(FATAL_ERROR "${run} run listed ${n} files, not 41:\n${out}")
  endif()
  if(NOT out MATCHES "BankBranch  BankBran\\.Tps     166           0")
    message(FATAL_ERROR "BankBranch line missing or wrong:\n${out}")
  endif()
  if(NOT out MATCHES "Config      Config\\.Tps +[0-9]+           1")
    message(FATAL_ERROR "the configuration record is missing:\n${out}")
  endif()
endforeach()
file(GLOB made "${DIR}/*.Tps")
list(LENGTH made n)
if(NOT n EQUAL 41)
  message(FATAL_ERROR "the folder holds ${n} record files, not 41")
endif()

execute_process(COMMAND "${ADMIN}" init "${DIR}" --name "Another Name" --branch 08
                RESULT_VARIABLE rc ERROR_VARIABLE err)
if(rc EQUAL 0 OR NOT err MATCHES "already has its configuration")
  message(FATAL_ERROR "a second init was not refused: ${rc} ${err}")
endif()
execute_process(COMMAND "${ADMIN}" init "${DIR}-long" --name "N" --branch 12345
                RESULT_VARIABLE rc ERROR_VARIABLE err)
if(rc EQUAL 0 OR NOT err MATCHES "Branch ID may be at most 4 characters"
   OR EXISTS "${DIR}-long")
  message(FATAL_ERROR "a branch id too long was not refused cleanly: ${rc} ${err}")
endif()
execute_process(COMMAND "${ADMIN}" files "${DIR}/missing" RESULT_VARIABLE rc ERROR_VARIABLE err)
if(rc EQUAL 0 OR NOT err MATCHES "there is no data folder")
  message(FATAL_ERROR "a missing folder was not refused clearly: ${rc} ${err}")
endif()
file(REMOVE_RECURSE "${DIR}")

# The demo office: made once; a second seeding is refused and changes nothing.
execute_process(COMMAND "${ADMIN}" seed-demo "${DIR}" --clients 40 RESULT_VARIABLE rc
                OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "seed-demo failed (${rc}): ${out} ${err}")
endif()
execute_process(COMMAND "${ADMIN}" files "${DIR}" OUTPUT_VARIABLE before)
if(NOT before MATCHES "VelCli      VelCli\\.Tps +[0-9]+          40")
  message(FATAL_ERROR "the demo office does not have 40 clients:\n${before}")
endif()
execute_process(COMMAND "${ADMIN}" seed-demo "${DIR}" RESULT_VARIABLE rc ERROR_VARIABLE err)
execute_process(COMMAND "${ADMIN}" files "${DIR}" OUTPUT_VARIABLE after)
if(rc EQUAL 0 OR NOT before STREQUAL after)
  message(FATAL_ERROR "a second seed-demo was not refused cleanly (${rc}): ${err}\n${after}")
endif()
file(REMOVE_RECURSE "${DIR}")
