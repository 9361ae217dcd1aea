include(${CMAKE_CURRENT_LIST_DIR}/dialogs/tallo_gui.cmake)
