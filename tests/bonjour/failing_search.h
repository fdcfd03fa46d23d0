#pragma once
// A test's hand on the daemon's searches: the next searches the plug-in starts are made to fail,
// as the daemon fails them (AVAHI_BROWSER_FAILURE), some time after they started. Linked into a
// test program, failing_search.cpp stands in front of libavahi-client for the plug-in it loads.
extern "C" {
// The next n searches fail, each afterMs after it started.
void QuorrilFailNextSearches(int n, int afterMs);
// How many searches were made to fail so far.
int QuorrilFailedSearches();
}
