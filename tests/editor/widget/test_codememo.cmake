# The editor widget on the offscreen platform.
tallo_add_test(test_codememo
  ${CMAKE_CURRENT_LIST_DIR}/CodeMemoTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CodeMemoTestSupport.cpp
  GUI)
