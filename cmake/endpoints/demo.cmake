# Build values for the bundled demo resource sites, all on loopback.
# Use: cmake -C cmake/endpoints/demo.cmake -B build
set(SITE1_HOST "127.0.0.1:18443" CACHE STRING "")
set(SITE2_HOST "127.0.0.1:18080" CACHE STRING "")
set(SEARCH_SERVICE_HOST "127.0.0.1:18081" CACHE STRING "")
set(SITE3_DOMAIN "site3.demo" CACHE STRING "")
set(SEARCH_SERVICE_SITE_ID "3003" CACHE STRING "")
set(SITE3_DOWNLOAD_HOST "127.0.0.1:18444" CACHE STRING "")
set(HOME_PAGE_ADDRESS "https://127.0.0.1:18445/" CACHE STRING "")
set(CHAT_GROUP_NUMBER "123456789" CACHE STRING "")
# The demo sites' HTTPS certificates come from the CA made at configure time.
set(EXTRA_CA_FILE "${CMAKE_BINARY_DIR}/certs/ca.pem" CACHE FILEPATH "")
