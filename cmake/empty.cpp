// Keeps kestrune_platform a valid library on a platform that has no adapters.
