# What the installed files say about this release, each taken from where it already stands:
# the version and date from the top entry of the Debian changelog, the contact address and
# web page from the About dialog.

set(PULVAR_CHANGELOG ${CMAKE_CURRENT_LIST_DIR}/debian/changelog)
set(PULVAR_ABOUT_HEADER ${PROJECT_SOURCE_DIR}/src/about/about_form.h)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
             ${PULVAR_CHANGELOG} ${PULVAR_ABOUT_HEADER})

# The quoted text of one of the About dialog's constants, e.g. kAuthorEmail.
function(pulvar_about_constant name out)
  file(STRINGS ${PULVAR_ABOUT_HEADER} line REGEX "${name}\\[\\] = \"")
  string(REGEX REPLACE ".*\"(.*)\".*" "\\1" value "${line}")
  if(NOT value)
    message(FATAL_ERROR "${PULVAR_ABOUT_HEADER} holds no ${name}")
  endif()
  set(${out} "${value}" PARENT_SCOPE)
endfunction()

pulvar_about_constant(kAuthorEmail PULVAR_CONTACT_EMAIL)
pulvar_about_constant(kUpdatePage PULVAR_HOMEPAGE)
set(PULVAR_MAINTAINER "Pulvar developers <${PULVAR_CONTACT_EMAIL}>")

# A release without its changelog entry is not packaged.
file(STRINGS ${PULVAR_CHANGELOG} top_entry LIMIT_COUNT 1 REGEX "^pulvar \\(")
if(NOT top_entry MATCHES "^pulvar \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "The top entry of ${PULVAR_CHANGELOG} is not version ${PROJECT_VERSION}")
endif()
file(STRINGS ${PULVAR_CHANGELOG} top_trailer LIMIT_COUNT 1 REGEX "^ -- ")
string(REGEX REPLACE "^ -- .*>  " "" changelog_date "${top_trailer}")

# The date in the forms the manual pages (and help2man) and AppStream want.
foreach(form "EPOCH;+%s" "DATE;+%F" "MONTH;+%B %Y")
  list(GET form 0 name)
  list(GET form 1 format)
  execute_process(COMMAND ${CMAKE_COMMAND} -E env LC_ALL=C
                          date -u -d "${changelog_date}" "${format}"
                  OUTPUT_VARIABLE PULVAR_RELEASE_${name} OUTPUT_STRIP_TRAILING_WHITESPACE
                  COMMAND_ERROR_IS_FATAL ANY)
endforeach()
