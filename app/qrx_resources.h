#pragma once
// Resource identifiers of Quorvex.exe.
#define IDI_QUORVEX 1
