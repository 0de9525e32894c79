# Alarm times file and the character's behaviour.
kurimaro_unit_test(behaviour_test alarm_list_test.cpp behaviour_test.cpp alarm_day_test.cpp)
target_link_libraries(behaviour_test PRIVATE kurimaro_behaviour)
