# editor benchmarks and tools
