#pragma once
// The six windows of a kt7config run, created in the order the program
// creates them and wired the same way, for benchmarks that need the whole
// program in-process. The main window is shown; the rest wait to be asked for.

class TBenchWindows {
public:
    TBenchWindows();
    ~TBenchWindows();
    TBenchWindows(const TBenchWindows&) = delete;
    TBenchWindows& operator=(const TBenchWindows&) = delete;
};
