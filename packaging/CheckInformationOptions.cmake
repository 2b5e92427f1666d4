# Runs PROGRAM --version and --help: both must succeed, --version must print
# "NAME VERSION" alone and --help must begin with the usage line (the name
# may carry its folder, which help2man strips).
#
#   cmake -DPROGRAM=<path> -DNAME=<name> -DVERSION=<version> -P CheckInformationOptions.cmake
execute_process(COMMAND ${PROGRAM} --version RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT status EQUAL 0 OR NOT out STREQUAL "${NAME} ${VERSION}\n")
  message(FATAL_ERROR "${NAME} --version: exit ${status}, printed '${out}', errors '${err}'; "
                      "expected '${NAME} ${VERSION}'")
endif()
execute_process(COMMAND ${PROGRAM} --help RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT status EQUAL 0 OR NOT out MATCHES "^Usage: ([^ \n]*/)?${NAME} ")
  message(FATAL_ERROR "${NAME} --help: exit ${status}, printed '${out}', errors '${err}'")
endif()
