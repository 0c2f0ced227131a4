# velmora-admin prints reports to PDF without a window: a demo office's
# management report and a route's active clients come out as PDF files whose
# text carries the title and a known client; an unknown route, a bad date and
# an unknown report are refused with a message and write no file.
file(REMOVE_RECURSE "${DIR}")
execute_process(COMMAND "${ADMIN}" seed-demo "${DIR}" --clients 40 RESULT_VARIABLE rc ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "seed-demo failed: ${rc} ${err}")
endif()

function(expect_pdf file title)
  if(NOT EXISTS "${file}")
    message(FATAL_ERROR "${file} was not written")
  endif()
  execute_process(COMMAND pdftotext "${file}" - OUTPUT_VARIABLE text RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0 OR NOT text MATCHES "${title}" OR NOT text MATCHES "Report Date/Time:")
    message(FATAL_ERROR "${file} does not read as the ${title}:\n${text}")
  endif()
  set(pdf_text "${text}" PARENT_SCOPE)
endfunction()

execute_process(COMMAND "${ADMIN}" report management --dir "${DIR}" --from 2020-01-01
                        --to 31/12/2030 --pdf "${DIR}/management.pdf"
                RESULT_VARIABLE rc ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "the management report failed: ${rc} ${err}")
endif()
expect_pdf("${DIR}/management.pdf" "MANAGEMENT REPORT")
if(NOT pdf_text MATCHES "Period: 01/01/2020 to 31/12/2030")
  message(FATAL_ERROR "the period is not printed:\n${pdf_text}")
endif()

execute_process(COMMAND "${ADMIN}" report active --dir "${DIR}" --route "${ROUTE}"
                        --pdf "${DIR}/active.pdf" RESULT_VARIABLE rc ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "the active client list failed: ${rc} ${err}")
endif()
expect_pdf("${DIR}/active.pdf" "ACTIVE CLIENT LIST")
if(NOT pdf_text MATCHES "[0-9][0-9][0-9][0-9]/[A-Z][A-Z][A-Z]")
  message(FATAL_ERROR "no client on the active list:\n${pdf_text}")
endif()

foreach(bad "active;--route;Nowhere" "management;--from;31/02/2026" "nothing")
  execute_process(COMMAND "${ADMIN}" report ${bad} --dir "${DIR}" --pdf "${DIR}/bad.pdf"
                  RESULT_VARIABLE rc ERROR_VARIABLE err)
  if(rc EQUAL 0 OR NOT err MATCHES "velmora-admin: " OR EXISTS "${DIR}/bad.pdf")
    message(FATAL_ERROR "report ${bad} was not refused: ${rc} ${err}")
  endif()
endforeach()

# The management report's words come out of the PDF as typed ("Profit", not
# a ligature glyph), and the headless footer carries the version text as the
# desktop's does.
execute_process(COMMAND pdftotext "${DIR}/management.pdf" - OUTPUT_VARIABLE text)
if(NOT text MATCHES "Nett Profit" OR NOT text MATCHES "Gross Profit on Premiums")
  message(FATAL_ERROR "\"Profit\" cannot be found in the PDF text:\n${text}")
endif()
if(NOT text MATCHES "\\[1\\.02\\]")
  message(FATAL_ERROR "the footer lacks the version text:\n${text}")
endif()

# A route, agent or collector typed in another case is the stored one: the
# list is the same as with the code as stored, never empty.
string(TOLOWER "${ROUTE}" route_lower)
execute_process(COMMAND "${ADMIN}" report active --dir "${DIR}" --route "${route_lower}"
                        --pdf "${DIR}/active-lower.pdf" RESULT_VARIABLE rc ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "the active list with a lower-case route failed: ${rc} ${err}")
endif()
execute_process(COMMAND pdftotext "${DIR}/active.pdf" - OUTPUT_VARIABLE as_stored)
execute_process(COMMAND pdftotext "${DIR}/active-lower.pdf" - OUTPUT_VARIABLE as_typed)
string(REGEX MATCHALL "[0-9][0-9][0-9][0-9]/[A-Z][A-Z][A-Z]" ids_stored "${as_stored}")
string(REGEX MATCHALL "[0-9][0-9][0-9][0-9]/[A-Z][A-Z][A-Z]" ids_typed "${as_typed}")
if(NOT ids_typed OR NOT ids_typed STREQUAL ids_stored)
  message(FATAL_ERROR "route \"${route_lower}\" did not list the clients of \"${ROUTE}\":\n${as_typed}")
endif()
execute_process(COMMAND "${ADMIN}" report new-agent-totals --dir "${DIR}" --agent ag1
                        --from 2000-01-01 --to 2030-12-31 --pdf "${DIR}/agent.pdf"
                RESULT_VARIABLE rc ERROR_VARIABLE err)
execute_process(COMMAND pdftotext "${DIR}/agent.pdf" - OUTPUT_VARIABLE text)
if(NOT rc EQUAL 0 OR NOT text MATCHES "AG1" OR text MATCHES "AG1[ \n]+0\\.00")
  message(FATAL_ERROR "agent \"ag1\" was not taken as AG1: ${rc} ${err}\n${text}")
endif()

# A folder that is not a data folder is refused, and no record file is made
# in it.
set(empty "${DIR}-empty")
file(REMOVE_RECURSE "${empty}")
file(MAKE_DIRECTORY "${empty}")
execute_process(COMMAND "${ADMIN}" report name-address --dir "${empty}" --pdf "${empty}/n.pdf"
                RESULT_VARIABLE rc ERROR_VARIABLE err)
file(GLOB made "${empty}/*")
if(rc EQUAL 0 OR NOT err MATCHES "no configuration record" OR made)
  message(FATAL_ERROR "a folder without a configuration was not refused cleanly: ${rc} ${err} ${made}")
endif()

# A client file with damaged pages: the report stops, says which file and
# why, writes no PDF and exits non-zero.
set(damaged "${DIR}-damaged")
file(REMOVE_RECURSE "${damaged}")
file(COPY "${DIR}/" DESTINATION "${damaged}")
file(REMOVE "${damaged}/name.pdf")
file(SIZE "${damaged}/VelCli.Tps" size)
math(EXPR pages "${size} / 4096")
math(EXPR first "${pages} * 3 / 4")  # past the pages the file opens with
math(EXPR count "${pages} - ${first}")
execute_process(COMMAND dd if=/dev/zero of=${damaged}/VelCli.Tps bs=4096 seek=${first}
                        count=${count} conv=notrunc RESULT_VARIABLE rc ERROR_QUIET)
execute_process(COMMAND "${ADMIN}" report name-address --dir "${damaged}"
                        --pdf "${damaged}/name.pdf" RESULT_VARIABLE rc ERROR_VARIABLE err)
if(rc EQUAL 0 OR NOT err MATCHES "VelCli" OR EXISTS "${damaged}/name.pdf")
  message(FATAL_ERROR "a damaged client file did not stop the report: ${rc} ${err}")
endif()

# Another process holds an exclusive lock on the client file for as long as
# the report runs: the report stops with the file's name, writes no PDF and
# exits non-zero. The lock is taken before the report starts (the holder
# marks it with a file), so no timing is assumed.
set(locked "${DIR}-locked")
file(REMOVE_RECURSE "${locked}")
file(COPY "${DIR}/" DESTINATION "${locked}")
file(REMOVE "${locked}/name.pdf" "${locked}/locked" "${locked}/over")
execute_process(
  COMMAND sh -c "
    cd \"$1\" || exit 90
    # The holder keeps its transaction open until the report is over.
    ( printf 'BEGIN EXCLUSIVE;\\n.shell touch locked\\n'
      n=0; while [ ! -e over ] && [ $n -lt 1200 ]; do sleep 0.1; n=$((n + 1)); done ) |
        sqlite3 VelCli.Tps >/dev/null 2>&1 &
    i=0
    while [ ! -e locked ]; do
      sleep 0.1; i=$((i + 1)); [ $i -gt 600 ] && { touch over; wait; exit 91; }
    done
    \"$2\" report name-address --dir . --pdf name.pdf; rc=$?
    touch over
    wait
    exit $rc" sh "${locked}" "${ADMIN}"
  RESULT_VARIABLE rc ERROR_VARIABLE err)
if(rc EQUAL 0 OR rc EQUAL 90 OR rc EQUAL 91 OR NOT err MATCHES "VelCli" OR EXISTS "${locked}/name.pdf")
  message(FATAL_ERROR "a client file locked by another process did not stop the report: ${rc} ${err}")
endif()
