# Tests of the digital channel records and table.
lumaro_add_test(tst_digitalrecord SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_digitalrecord.cpp LIBS lumaro_protocol)
lumaro_add_test(tst_digitalrules SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_digitalrules.cpp LIBS lumaro_protocol)
lumaro_add_test(tst_rs485tab SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_rs485tab.cpp)
