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
