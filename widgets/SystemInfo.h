#pragma once
// What the system says about itself.

// The number of logical processors.
unsigned LogicalProcessorCount();
// The operating system's major version number (5 for XP, 6 for Vista and 7, 10 for 10 and 11).
unsigned OsMajorVersion();
