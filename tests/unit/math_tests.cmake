# Vector math tables: included by the unit test list.
target_sources(quillon_unit_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/math_test.cpp)
