// The library that holds the shared precompiled header.
