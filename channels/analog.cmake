target_sources(lumaro_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/analogrecord.h ${CMAKE_CURRENT_LIST_DIR}/analogrecord.cpp
    ${CMAKE_CURRENT_LIST_DIR}/analogrules.h ${CMAKE_CURRENT_LIST_DIR}/analogrules.cpp
    ${CMAKE_CURRENT_LIST_DIR}/analogcommands.cpp
    ${CMAKE_CURRENT_LIST_DIR}/analogtab.h ${CMAKE_CURRENT_LIST_DIR}/analogtab.cpp
)
