#pragma once

// Makes the name lookup of one host as slow as a dead name server: getaddrinfo
// for kSlowLookupHost waits until released, or ten seconds, and then finds
// nothing; every other name is looked up as usual. Linked into a test program,
// its getaddrinfo takes the place of the C library's for libcurl; preloaded
// (LD_PRELOAD) into another program, it does the same there.
namespace lumeward::test {

inline constexpr char kSlowLookupHost[] = "slow-lookup.invalid";

// Lookups of kSlowLookupHost waiting now.
int slowLookupsUnderWay();
// Ends the lookups waiting now; later ones wait again.
void releaseSlowLookups();

}  // namespace lumeward::test
