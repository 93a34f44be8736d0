# The guide's script reference must be what `cvnpack --statements` prints from the
# statement table (scripts/statement-reference.sh writes it).
# Run by ctest: cmake -DCVNPACK=... -DDOC=... -P ReferenceCheck.cmake
execute_process(COMMAND ${CVNPACK} --statements RESULT_VARIABLE rc OUTPUT_VARIABLE table)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cvnpack --statements failed (${rc})")
endif()
file(READ ${DOC} doc)
string(FIND "${doc}" "${table}" at)
if(at EQUAL -1)
  message(FATAL_ERROR "${DOC}: the script reference is not the statement table's; run scripts/statement-reference.sh")
endif()
