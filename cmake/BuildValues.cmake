# The build values: where the resource sites live, the home page and the chat group.
# They are compiled into the program; there is no configuration file at run time.
# The defaults name reserved .example hosts that never resolve. A named set of values
# is loaded with `cmake -C cmake/endpoints/<name>.cmake`; `demo` points at the bundled
# demo sites on loopback.

set(SITE1_HOST "site1.example" CACHE STRING "Host of resource site 1 (may carry a port)")
set(SITE2_HOST "site2.example" CACHE STRING "Host of resource site 2 (may carry a port)")
set(SEARCH_SERVICE_HOST "search.example" CACHE STRING "Host of the site-search service of resource site 3")
set(SITE3_DOMAIN "site3.example" CACHE STRING "Resource site 3's domain as the search service knows it (cc=)")
set(SEARCH_SERVICE_SITE_ID "1" CACHE STRING "The search service's identifier for resource site 3 (s=), decimal digits")
set(SITE3_DOWNLOAD_HOST "files.site3.example" CACHE STRING "Host that serves resource site 3's text files")
set(HOME_PAGE_ADDRESS "https://read.example/" CACHE STRING "Home page of the online novel site, an https address ending in /")
set(CHAT_GROUP_NUMBER "100000" CACHE STRING "The users' chat-group number, decimal digits")
set(EXTRA_CA_FILE "" CACHE FILEPATH "A PEM file trusted in addition to the system store (empty: none)")

function(orvu_require_match name regex what)
    if(NOT "${${name}}" MATCHES "${regex}")
        message(FATAL_ERROR "${name}=\"${${name}}\" is not ${what}")
    endif()
endfunction()

# Hosts are bare: no scheme, no slash; a port may follow a colon.
foreach(host SITE1_HOST SITE2_HOST SEARCH_SERVICE_HOST SITE3_DOWNLOAD_HOST)
    orvu_require_match(${host} "^[A-Za-z0-9.-]+(:[0-9]+)?$" "a bare host name with an optional port")
endforeach()
orvu_require_match(SITE3_DOMAIN "^[A-Za-z0-9.-]+$" "a bare domain name")
orvu_require_match(SEARCH_SERVICE_SITE_ID "^[0-9]+$" "a string of decimal digits")
orvu_require_match(CHAT_GROUP_NUMBER "^[0-9]+$" "a string of decimal digits")
orvu_require_match(HOME_PAGE_ADDRESS "^https://[A-Za-z0-9.-]+(:[0-9]+)?/([A-Za-z0-9._~/-]*/)?$"
    "an https address ending in /")
if(EXTRA_CA_FILE AND NOT EXISTS "${EXTRA_CA_FILE}")
    message(FATAL_ERROR "EXTRA_CA_FILE=\"${EXTRA_CA_FILE}\" does not exist")
endif()
