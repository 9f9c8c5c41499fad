#pragma once
// Resource numbers shared by the resource script and the code.
#define IDI_DESKTOP1 101
#define IDI_DESKTOP2 102
#define IDI_DESKTOP3 103
#define IDI_DESKTOP4 104
