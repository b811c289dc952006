#pragma once
// The six windows of a run, created in the order the program creates them,
// wired together, and destroyed in reverse order. The main window is shown;
// the rest wait to be asked for. Only closing the main window ends the run.

class TAppWindows {
public:
    TAppWindows();
    ~TAppWindows();
    TAppWindows(const TAppWindows&) = delete;
    TAppWindows& operator=(const TAppWindows&) = delete;
};
