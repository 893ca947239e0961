# The date and commit a build describes: SOURCE_DATE_EPOCH when the caller
# sets it, else the last commit's date, so two builds of one commit carry the
# same dates (the Debian changelog, and CMake's own timestamps, which follow
# SOURCE_DATE_EPOCH).
#   LETTERMOOR_COMMIT          abbreviated hash, or "unknown" outside git
#   LETTERMOOR_CHANGELOG_DATE  that date as Debian's changelog writes it
find_package(Git QUIET)
set(LETTERMOOR_COMMIT unknown)
set(commit_epoch "")
if(GIT_FOUND)
  execute_process(COMMAND ${GIT_EXECUTABLE} log -1 --format=%h%n%ct
                  WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
                  OUTPUT_VARIABLE commit_lines OUTPUT_STRIP_TRAILING_WHITESPACE
                  RESULT_VARIABLE git_status ERROR_QUIET)
  if(git_status EQUAL 0 AND commit_lines MATCHES "^([0-9a-f]+)\n([0-9]+)$")
    set(LETTERMOOR_COMMIT ${CMAKE_MATCH_1})
    set(commit_epoch ${CMAKE_MATCH_2})
  endif()
endif()
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH} AND commit_epoch)
  set(ENV{SOURCE_DATE_EPOCH} ${commit_epoch})
endif()
# string(TIMESTAMP) takes SOURCE_DATE_EPOCH when it is set.
string(TIMESTAMP LETTERMOOR_CHANGELOG_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
