target_sources(lumaro_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/digitalrecord.h ${CMAKE_CURRENT_LIST_DIR}/digitalrecord.cpp
    ${CMAKE_CURRENT_LIST_DIR}/digitalcommands.cpp
    ${CMAKE_CURRENT_LIST_DIR}/rs485tab.h ${CMAKE_CURRENT_LIST_DIR}/rs485tab.cpp
)
