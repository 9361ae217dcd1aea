# Connection profiles and upload (core).
target_sources(tallo_core PRIVATE
)
