# Tests of the analog channel records, table and worker commands.
lumaro_add_test(tst_analogrecord SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_analogrecord.cpp LIBS lumaro_protocol)
lumaro_add_test(tst_analogrules SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_analogrules.cpp LIBS lumaro_protocol)
lumaro_add_test(tst_analogtab SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_analogtab.cpp)
lumaro_add_test(tst_analogcommands SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_analogcommands.cpp)
