#pragma once
// Saves a document model as a .docx file (Office Open XML, WordprocessingML).

#include "report/TDocument.h"

#include <string>

class TDocxWriter {
public:
    // The main part, word/document.xml, in UTF-8.
    static std::string documentXml(const TDocument& doc);
    // Writes the whole package; throws std::runtime_error when the file cannot be written.
    static void save(const TDocument& doc, const std::string& path);
    // The whole package as bytes, for a stream; throws std::runtime_error.
    static std::string bytes(const TDocument& doc);
};
