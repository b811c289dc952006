#pragma once
// Outcome of a file operation: success, or the file and the reason for the
// failure: as a kind with the value it names, for each front end to word in
// its own language, and as an English text, ready to be shown as it is.

#include <string>
#include <utility>

class TFileResult {
public:
    enum class Kind {
        None,           // success
        System,         // the system's failure; code() is its errno value
        NotRegularFile, // a FIFO, a device or a socket where a file was meant
        TooLarge,       // larger than value() bytes, which no such file is
        NameRefused,    // the name value() ("IN-7", "[Zones] LB2.OUT3") cannot be stored
        FileRefused,    // the file is in the encoding value() and holds characters Windows-1251 lacks
        Other,          // a reason given as text alone
    };

    static TFileResult success() { return TFileResult(); }
    static TFileResult failure(std::string fileName, std::string reason)
    {
        return TFileResult(std::move(fileName), std::move(reason));
    }
    // A failure whose reason is the system's text for errno value code.
    static TFileResult fromErrno(std::string fileName, int code);
    // A failure of a kind beyond the system's, its value and its English text.
    static TFileResult failure(std::string fileName, Kind kind, std::string value, std::string reason)
    {
        TFileResult result(std::move(fileName), std::move(reason));
        result.m_kind = kind;
        result.m_value = std::move(value);
        return result;
    }

    bool ok() const { return m_failed == false; }
    explicit operator bool() const { return ok(); }
    const std::string& fileName() const { return m_fileName; }
    const std::string& reason() const { return m_reason; }
    // The errno value behind a system failure, 0 otherwise.
    int code() const { return m_code; }
    Kind kind() const { return m_kind; }
    // What the kind names: a size, a name's place, an encoding.
    const std::string& value() const { return m_value; }
    // "file: reason", or an empty text on success.
    std::string text() const;

private:
    TFileResult() = default;
    TFileResult(std::string fileName, std::string reason)
        : m_failed(true), m_kind(Kind::Other), m_fileName(std::move(fileName)), m_reason(std::move(reason))
    {
    }

    bool m_failed = false;
    int m_code = 0;
    Kind m_kind = Kind::None;
    std::string m_value;
    std::string m_fileName;
    std::string m_reason;
};
