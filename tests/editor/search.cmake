# tests of the search part
