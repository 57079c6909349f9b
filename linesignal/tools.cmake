# Robustness sweep and worst-case timing of the line decoders (not run by the tests).
add_executable(linesignal_sweep linesignal/tools/sweep.cpp linesignal/tests/signal_kit.cpp)
target_include_directories(linesignal_sweep PRIVATE linesignal/tests)
target_link_libraries(linesignal_sweep PRIVATE suite_core)
add_executable(linesignal_bench linesignal/tools/bench.cpp linesignal/tests/signal_kit.cpp)
target_include_directories(linesignal_bench PRIVATE linesignal/tests)
target_link_libraries(linesignal_bench PRIVATE suite_core)
