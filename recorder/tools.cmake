# Benchmark of the recording writer (not a test): writer_benchmark [blocks]
add_executable(writer_benchmark recorder/tools/writer_benchmark.cpp)
target_link_libraries(writer_benchmark PRIVATE suite_core)
