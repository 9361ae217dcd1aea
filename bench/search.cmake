# search benchmarks and tools
