# settingsrecord: a settings record of either recorder made and its fields
# read or set by name (README); the GUI tests write their records with it.
add_executable(settingsrecord handset/tools/settingsrecord_main.cpp)
target_link_libraries(settingsrecord PRIVATE suite_handset)
