#pragma once

// Sanitizer builds look for leaks as the process exits, by which time the toolkit has closed its
// display and the GL driver's blocks would no longer name it. Called once the driver is loaded (after
// the first window is made), this keeps the driver loaded to the end and moves the check ahead of its
// exit handlers; the suppressions built in beside it name the driver's and the X libraries' blocks,
// so that any run, started by hand or by the tests, reports only real leaks. Does nothing in other
// builds.
void checkLeaksBeforeTheDriverUnloads();
