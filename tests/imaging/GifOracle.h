#pragma once
// The benchmarks' and fuzzers' name for the giflib oracle.
#include "imaging/WriterOracles.h"
