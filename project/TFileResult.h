#pragma once
// Outcome of a file operation: success, or the file and the system's reason
// for the failure, ready to be shown to the user.

#include <string>
#include <utility>

class TFileResult {
public:
    static TFileResult success() { return TFileResult(); }
    static TFileResult failure(std::string fileName, std::string reason)
    {
        return TFileResult(std::move(fileName), std::move(reason));
    }
    // A failure whose reason is the system's text for errno value code.
    static TFileResult fromErrno(std::string fileName, int code);

    bool ok() const { return m_failed == false; }
    explicit operator bool() const { return ok(); }
    const std::string& fileName() const { return m_fileName; }
    const std::string& reason() const { return m_reason; }
    // The errno value behind a system failure, 0 otherwise.
    int code() const { return m_code; }
    // "file: reason", or an empty text on success.
    std::string text() const;

private:
    TFileResult() = default;
    TFileResult(std::string fileName, std::string reason)
        : m_failed(true), m_fileName(std::move(fileName)), m_reason(std::move(reason))
    {
    }

    bool m_failed = false;
    int m_code = 0;
    std::string m_fileName;
    std::string m_reason;
};
