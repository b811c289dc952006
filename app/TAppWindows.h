#pragma once
// The windows of a run, wired together and destroyed in reverse order. The
// main window is shown; the rest wait to be asked for, and what is not shown
// at start is not built at start: the dump and the traffic log make their
// contents when first shown (the log keeps the notes that come before); the
// port dialog, the project name dialog, the report window and the windows
// beside the main window are made when first needed. Only closing the main
// window ends the run.

class QApplication;
class QCoreApplication;

class TAppWindows {
public:
    // Qt's own texts in Russian; without the translation the program works,
    // with them in English, and says so on standard error.
    static void translate(QCoreApplication& app);
    // The application as the desktop sees it: its icon, its desktop entry,
    // Qt's texts in Russian.
    static void setUpApplication(QApplication& app);

    TAppWindows();
    ~TAppWindows();
    TAppWindows(const TAppWindows&) = delete;
    TAppWindows& operator=(const TAppWindows&) = delete;
};
