# trovan_server_test(<name> SOURCES ... LIBS ... [LOCKS ...]): a test program that runs next to its
# own fault-injecting HTTP server (tools/fault-server). Its CTest entry is run_with_server.sh,
# which starts the server on a free loopback port, passes its address in TROVAN_TEST_SERVER, runs
# the program under Wine and stops the server. The program is linked with
# trovan_fault_server_client: #include "fault_server_client.h" to talk to the server.
include_guard(GLOBAL)

function(trovan_server_test name)
  trovan_test(${name} ${ARGN} LIBS trovan_fault_server_client
              WRAPPER ${PROJECT_SOURCE_DIR}/tests/net/run_with_server.sh)
endfunction()

if(NOT TARGET trovan_fault_server_client)
  add_library(trovan_fault_server_client STATIC ${CMAKE_CURRENT_LIST_DIR}/fault_server_client.cpp)
  target_include_directories(trovan_fault_server_client PUBLIC ${CMAKE_CURRENT_LIST_DIR})
  target_link_libraries(trovan_fault_server_client PUBLIC trovan_jsoncpp ws2_32)
  trovan_warnings(trovan_fault_server_client)
endif()
