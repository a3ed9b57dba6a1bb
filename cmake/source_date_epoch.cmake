# Writes the time the release files carry, in seconds since 1970, to OUTPUT
# (left alone when unchanged): SOURCE_DATE_EPOCH when set, else the time of
# the last commit of SOURCE_DIR, else the time of its CMakeLists.txt (a
# source release's files all carry the commit's time).
#   cmake -DSOURCE_DIR=... -DOUTPUT=... -P source_date_epoch.cmake
set(epoch "$ENV{SOURCE_DATE_EPOCH}")
if(epoch STREQUAL "")
    execute_process(COMMAND git -C "${SOURCE_DIR}" log -1 --format=%ct
                    OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE
                    RESULT_VARIABLE status ERROR_QUIET)
    if(NOT status EQUAL 0)
        file(TIMESTAMP "${SOURCE_DIR}/CMakeLists.txt" epoch "%s" UTC)
    endif()
endif()
if(NOT epoch MATCHES "^[0-9]+$")
    message(FATAL_ERROR "no time for the release files: '${epoch}'")
endif()
file(WRITE "${OUTPUT}.tmp" "${epoch}\n")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
