# highlight benchmarks and tools
