#pragma once
// A failure that ends kt7tool: the one-line message for standard error and
// the exit status (2 for usage and I/O errors).

#include <stdexcept>
#include <string>

class TToolError : public std::runtime_error {
public:
    static constexpr int Usage = 2;
    static constexpr int Failure = 2;

    explicit TToolError(const std::string& message, int status = Failure)
        : std::runtime_error(message), m_status(status)
    {
    }

    int status() const { return m_status; }

private:
    int m_status;
};
