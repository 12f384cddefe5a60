#pragma once
// The report of a broken invariant, for every program built on the rules.

namespace burrowlight::sys {

// Makes a panic print "BurrowLight panicked: {message}" on standard error before the
// abort. Programs call it first thing; hooks installed later (the terminal's restore)
// run before it.
void report_panics();

}  // namespace burrowlight::sys
