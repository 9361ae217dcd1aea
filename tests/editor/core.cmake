# tests of the core part
