# Tests of the analog channel records and table.
lumaro_add_test(tst_analogrecord SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_analogrecord.cpp LIBS lumaro_protocol)
lumaro_add_test(tst_analogrules SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_analogrules.cpp LIBS lumaro_protocol)
lumaro_add_test(tst_analogtab SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_analogtab.cpp)
