#pragma once
// A PDF of a .docx, made by LibreOffice where it is installed: the same
// program and arguments for kt7tool, which waits for it, and the window,
// which runs it without blocking. The conversion uses a LibreOffice profile
// of its own (in the user's cache folder), so a LibreOffice the user has
// open neither takes the job nor is disturbed by it.

#include <string>
#include <vector>

class TPdfConversion {
public:
    // Why there is no PDF on a machine without LibreOffice.
    static constexpr const char* MissingText = "LibreOffice (soffice) is not installed";

    // soffice, else libreoffice, as found on PATH; empty when neither is.
    static std::string program();
    // The arguments that write the PDF of docx beside it.
    static std::vector<std::string> arguments(const std::string& docx);
    // Where that PDF goes: docx with its extension replaced by ".pdf".
    static std::string pdfPath(const std::string& docx);
    // How long a conversion may take before it is given up: a LibreOffice
    // that hangs must not hold the pack for good.
    static constexpr int TimeoutSeconds = 180;

    // Runs the conversion and waits for it (at most timeoutSeconds); the
    // reason it failed, or empty when the PDF is there.
    static std::string run(const std::string& docx, int timeoutSeconds = TimeoutSeconds);
};
