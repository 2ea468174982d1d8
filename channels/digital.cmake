target_sources(lumaro_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/digitalrecord.h ${CMAKE_CURRENT_LIST_DIR}/digitalrecord.cpp
    ${CMAKE_CURRENT_LIST_DIR}/digitalrules.h ${CMAKE_CURRENT_LIST_DIR}/digitalrules.cpp
    ${CMAKE_CURRENT_LIST_DIR}/digitalcommands.cpp
    ${CMAKE_CURRENT_LIST_DIR}/protocolhint.h ${CMAKE_CURRENT_LIST_DIR}/protocolhint.cpp
    ${CMAKE_CURRENT_LIST_DIR}/rs485tab.h ${CMAKE_CURRENT_LIST_DIR}/rs485tab.cpp
)
