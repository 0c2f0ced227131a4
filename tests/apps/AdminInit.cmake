# velmora-admin init is all or nothing: a refused administrator leaves no
# configuration behind, so the corrected init succeeds and switches the
# log-in on with its administrator.
file(REMOVE_RECURSE "${DIR}")

# Refused before anything is written: no folder is made.
execute_process(COMMAND "${ADMIN}" init "${DIR}" --name "Thembeka Burial Society" --branch 07
                        --login thabo secret1
                RESULT_VARIABLE rc ERROR_VARIABLE err)
if(rc EQUAL 0 OR NOT err MATCHES "user name must have 6 to 10 characters" OR EXISTS "${DIR}")
  message(FATAL_ERROR "a short user name was not refused cleanly: ${rc} ${err}")
endif()

# In a folder that is already there, a bad password writes nothing either.
file(MAKE_DIRECTORY "${DIR}")
execute_process(COMMAND "${ADMIN}" init "${DIR}" --name "Thembeka Burial Society" --branch 07
                        --login thabom 123
                RESULT_VARIABLE rc ERROR_VARIABLE err)
if(rc EQUAL 0 OR NOT err MATCHES "password must have 6 to 10 characters")
  message(FATAL_ERROR "a short password was not refused: ${rc} ${err}")
endif()
file(GLOB made "${DIR}/*")
if(made)
  message(FATAL_ERROR "a refused init left files behind: ${made}")
endif()

execute_process(COMMAND "${ADMIN}" init "${DIR}" --name "Thembeka Burial Society" --branch 07
                        --login thabom secret1
                RESULT_VARIABLE rc ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "the corrected init failed: ${rc} ${err}")
endif()
execute_process(COMMAND "${ADMIN}" files "${DIR}" RESULT_VARIABLE rc OUTPUT_VARIABLE out
                ERROR_VARIABLE err)
if(NOT rc EQUAL 0 OR NOT out MATCHES "Config      Config\\.Tps +[0-9]+           1"
   OR NOT out MATCHES "Users       Users\\.Tps +[0-9]+           1")
  message(FATAL_ERROR "the office lacks its configuration or administrator (${rc}):\n${out}${err}")
endif()

# A folder set up without any user (as an earlier init left one when its
# administrator was refused) is given its administrator by a second init.
file(REMOVE_RECURSE "${DIR}")
execute_process(COMMAND "${ADMIN}" init "${DIR}" --name "Thembeka Burial Society" --branch 07
                RESULT_VARIABLE rc ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "init without a log-in failed: ${rc} ${err}")
endif()
execute_process(COMMAND "${ADMIN}" init "${DIR}" --name "Thembeka Burial Society" --branch 07
                        --login thabom secret1
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0 OR NOT out MATCHES "administrator was added and the log-in switched on")
  message(FATAL_ERROR "the folder without users did not get its administrator: ${rc} ${out}${err}")
endif()
execute_process(COMMAND "${ADMIN}" init "${DIR}" --name "Thembeka Burial Society" --branch 07
                        --login another1 secret2
                RESULT_VARIABLE rc ERROR_VARIABLE err)
if(rc EQUAL 0 OR NOT err MATCHES "already has its configuration")
  message(FATAL_ERROR "a folder with its administrator took another: ${rc} ${err}")
endif()
execute_process(COMMAND "${ADMIN}" files "${DIR}" OUTPUT_VARIABLE out)
if(NOT out MATCHES "Users       Users\\.Tps +[0-9]+           1")
  message(FATAL_ERROR "the office does not have exactly its one administrator:\n${out}")
endif()
file(REMOVE_RECURSE "${DIR}")
