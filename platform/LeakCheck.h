#pragma once

// Sanitizer builds look for leaks as the process exits, by which time the GL driver has been
// unloaded and its own blocks no longer name it. Called once the driver is loaded (after the first
// window is made), this moves the check ahead of the driver's exit handlers; the suppressions
// built in beside it name the driver's and the X libraries' blocks, so that any run, started by
// hand or by the tests, reports only real leaks. Does nothing in other builds.
void checkLeaksBeforeTheDriverUnloads();
