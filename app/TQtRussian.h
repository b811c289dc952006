#pragma once
// Qt's own texts (the file dialogs and their questions, the buttons of
// message boxes, the help of the command line) in Russian, the language of
// the tool, whatever the system's locale. The tool's own texts are not
// translated.

class QCoreApplication;

class TQtRussian {
public:
    // Loads Qt's Russian translation into the application; false when it is
    // not installed, and Qt's texts stay in English.
    static bool install(QCoreApplication& app);
};
