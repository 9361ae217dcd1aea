# tests of the widget part
tallo_add_test(test_codememo
  ${CMAKE_CURRENT_LIST_DIR}/CodeMemoTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CodeMemoTestSupport.cpp
  GUI)
