#include "project/TFileResult.h"

#include <cstring>

TFileResult TFileResult::fromErrno(std::string fileName, int code)
{
    TFileResult result = failure(std::move(fileName), std::strerror(code));
    result.m_code = code;
    result.m_kind = Kind::System;
    return result;
}

std::string TFileResult::text() const
{
    return ok() ? std::string() : m_fileName + ": " + m_reason;
}
