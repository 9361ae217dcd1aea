# net benchmarks and tools
